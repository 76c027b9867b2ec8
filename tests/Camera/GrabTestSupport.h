// Helpers of the grab engine's and the device loss's tests: a frame receiver
// that records what it is handed, and a fixture with a camera object.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Camera/SampleOutputCallback.h"
#include "CameraTestSupport.h"

namespace CameraTest {

struct RecordedFrame {
    uint32_t width = 0;
    int32_t height = 0;
    uint32_t stride = 0;
    VideoFormatId format = -1;
    bool numberValid = false;  // both strips of the pattern read and agree
    uint32_t number = 0;
    std::vector<uint8_t> pixels;  // stride x height bytes, kept for RGB32 pictures only
};

// Records every frame: geometry, stride, format and the pattern's frame
// number (read with the camera's pixel format). Optionally throws after
// recording, or runs a hook first (on the grab thread).
class RecordingReceiver : public ISampleOutputCallback {
  public:
    enum class Throw { Nothing, GenICam, Other };

    explicit RecordingReceiver(Throw throws = Throw::Nothing) : m_throws(throws) {}
    virtual ~RecordingReceiver() = default;

    HRESULT OnSampleOutput(const uint8_t* buffer, uint32_t width, int32_t height, uint32_t stride,
                           VideoFormatId format) override;

    size_t Count() const;
    size_t CountOf(VideoFormatId format) const;
    std::vector<RecordedFrame> Frames() const;

    std::function<void(const uint8_t* buffer, uint32_t stride, int32_t height)> hook;

  private:
    Throw m_throws;
    mutable std::mutex m_mutex;
    std::vector<RecordedFrame> m_frames;
};

// Threads of this process, for telling how many a start made.
size_t ProcessThreadCount();

// The SDK device behind the camera object's device value; null when none.
Quill::IQuillDevice* OpenDevice(CKorvelCamera& camera);

class GrabTest : public CameraTest {
  protected:
    // Waits until the receiver holds at least count frames (10 s at most).
    static bool WaitForFrames(const RecordingReceiver& receiver, size_t count) {
        return WaitUntil([&] { return receiver.Count() >= count; });
    }
    static Quill::Emulation::CameraCounters Counters(const char* serial) {
        Quill::Emulation::CameraCounters counters;
        Emulator().GetCounters(serial, counters);
        return counters;
    }
};

constexpr const char* kColourSerial = "E1000001";  // row 0, BayerRG8 1920 x 1200
constexpr const char* kMonoSerial = "E2000001";    // row 1, Mono8 1280 x 960

}  // namespace CameraTest
