// Shared helpers of the camera SDK tests: every test drives the SDK through
// its public interface on the emulated cameras.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "quill/Quill.h"
#include "quill/TestPattern.h"

namespace QuillTest {

constexpr const char* kColourSerial = "E1000001";
constexpr const char* kMonoSerial = "E2000001";
constexpr const char* kColourName = "Korvel KV-C1920 (E1000001)";
constexpr const char* kMonoName = "Korvel KV-M1280 (E2000001)";

inline Quill::Emulation::IEmulationControl& Emulator() {
    return Quill::Emulation::GetEmulationControl();
}

// Polls until the condition holds or the time is up; true when it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

// Every layer's devices in enumeration order, with the layer that listed them.
struct ListedCamera {
    Quill::ITransportLayer* layer;
    Quill::CDeviceInfo info;
};
std::vector<ListedCamera> ListCameras();

// A device object made through its transport layer and destroyed at scope end.
class Device {
  public:
    explicit Device(const char* serial, bool open = true);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    Quill::IQuillDevice* get() const { return device_; }
    Quill::IQuillDevice* operator->() const { return device_; }
    Quill::ITransportLayer* layer() const { return layer_; }
    GenApi::INodeMap& Features() const { return *device_->GetNodeMap(); }
    void Destroy();

    // Typed features by name; an invalid pointer when missing.
    GenApi::CIntegerPtr Integer(const char* name) const { return Features().GetNode(name); }
    GenApi::CFloatPtr Float(const char* name) const { return Features().GetNode(name); }
    GenApi::CBooleanPtr Boolean(const char* name) const { return Features().GetNode(name); }
    GenApi::CEnumerationPtr Enumeration(const char* name) const { return Features().GetNode(name); }
    GenApi::CCommandPtr Command(const char* name) const { return Features().GetNode(name); }

    // Small, fast settings for tests that only need frames.
    void UseSize(int64_t width, int64_t height, const char* pixelFormat = nullptr);

  private:
    Quill::ITransportLayer* layer_ = nullptr;
    Quill::IQuillDevice* device_ = nullptr;
};

// A stream grabber set up as the filter's grab engine sets it up: prepared,
// with registered and queued buffers. Torn down at scope end, tolerating a
// device that was removed meanwhile.
class GrabSession {
  public:
    GrabSession(Device& device, size_t bufferCount = 10, size_t bufferSize = 0);
    ~GrabSession();
    GrabSession(const GrabSession&) = delete;
    GrabSession& operator=(const GrabSession&) = delete;

    Quill::IStreamGrabber& Grabber() const { return *grabber_; }
    void Start();
    void Stop();
    // Waits for and takes the next result; false when none came in time.
    bool Next(Quill::GrabResult& result, unsigned int timeoutMs = 10000);
    void Requeue(const Quill::GrabResult& result);
    size_t BufferSize() const { return bufferSize_; }

  private:
    Device& device_;
    Quill::IStreamGrabber* grabber_;
    size_t bufferSize_;
    std::vector<std::vector<uint8_t>> memory_;
    std::vector<Quill::StreamBufferHandle> handles_;
};

// Reads both frame-number strips of a grabbed image.
Quill::Pattern::FrameNumberReading ReadFrame(const Quill::GrabResult& result, const std::string& pixelFormat);

// Resets the emulation to its two default cameras before and after each
// test, and checks that nothing the test made outlives it.
class QuillTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace QuillTest
