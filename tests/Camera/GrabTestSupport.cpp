#include "GrabTestSupport.h"

#include <tlhelp32.h>

#include <stdexcept>

#include "Camera/DeviceHandleTable.h"
#include "Camera/PixelFormatTable.h"
#include "quill/TestPattern.h"

namespace CameraTest {

HRESULT RecordingReceiver::OnSampleOutput(const uint8_t* buffer, uint32_t width, int32_t height,
                                          uint32_t stride, VideoFormatId format) {
    if (hook) {
        hook(buffer, stride, height);
    }
    RecordedFrame frame;
    frame.width = width;
    frame.height = height;
    frame.stride = stride;
    frame.format = format;
    if (format == VideoFormat::RGB32) {
        if (height > 0) {
            frame.pixels.assign(buffer, buffer + static_cast<size_t>(stride) * static_cast<size_t>(height));
        }
    } else {
        const Quill::Pattern::LumaSampler sampler = Quill::Pattern::MakeCameraLumaSampler(
            PixelFormatName(format), buffer, static_cast<int>(width), height, static_cast<int>(stride));
        if (sampler) {
            const Quill::Pattern::FrameNumberReading reading =
                Quill::Pattern::ReadFrameNumber(static_cast<int>(width), height, sampler);
            frame.numberValid = reading.Agree();
            frame.number = reading.top;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frames.push_back(std::move(frame));
    }
    if (m_throws == Throw::GenICam) {
        QUILL_THROW(RuntimeException, "receiver failed");
    }
    if (m_throws == Throw::Other) {
        throw std::runtime_error("receiver failed");
    }
    return S_OK;
}

size_t RecordingReceiver::Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames.size();
}

size_t RecordingReceiver::CountOf(VideoFormatId format) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t count = 0;
    for (const RecordedFrame& frame : m_frames) {
        count += frame.format == format ? 1 : 0;
    }
    return count;
}

std::vector<RecordedFrame> RecordingReceiver::Frames() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

size_t ProcessThreadCount() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    size_t count = 0;
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    }
    CloseHandle(snapshot);
    return count;
}

Quill::IQuillDevice* OpenDevice(CKorvelCamera& camera) {
    long value = 0;
    Quill::IQuillDevice* device = nullptr;
    if (camera.GetDeviceValue(&value) == S_OK) {
        ResolveDeviceValue(value, &device);
    }
    return device;
}

}  // namespace CameraTest
