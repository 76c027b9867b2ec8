// CKorvelCamera: the loss of the open device, reported by the SDK on a thread
// of its own.
#include <new>

#include "Camera/DeviceLossInfo.h"
#include "Camera/KorvelCamera.h"
#include "Camera/RemovalWatch.h"

namespace {

constexpr VideoFormatId kDeviceLostFormat = VideoFormat::RGB32;

}  // namespace

void CKorvelCamera::OnDeviceRemoved(Quill::IQuillDevice* device) {
    {
        CCameraAutoLock lock(m_objectLock);
        if (device != nullptr && device == m_device) {
            Quill::ITransportLayer* layer = nullptr;
            if (m_selectedIndex >= 0 && static_cast<size_t>(m_selectedIndex) < m_cameras.size()) {
                const int32_t layerIndex = m_cameras[m_selectedIndex].transportLayerIndex;
                if (layerIndex >= 0 && static_cast<size_t>(layerIndex) < m_transportLayers.size()) {
                    layer = m_transportLayers[layerIndex];
                }
            }
            try {
                // The grab thread ends first, so no receiver gets two frames at once.
                StopGrabbing();
                SendDeviceLostFrame();
                CloseCamera(true);
            } catch (const GenICam::GenericException&) {
            }
            // The lost device can no longer be closed, but its object goes back to
            // the transport layer (the one call the SDK still takes), or every
            // unplug would leave one behind.
            DestroyDeviceGuarded(layer, device);
        }
    }
    // Last, and outside the object lock: once the report is recorded, the
    // destructor (which waits for it) may free this object.
    CRemovalWatch::Instance().Report(this, device, nullptr);
}

void CKorvelCamera::SendDeviceLostFrame() {
    CCameraAutoLock lock(m_objectLock);
    // Before any grab there is no geometry: the receivers get an empty picture,
    // a valid pointer to nothing they may read.
    static const uint8_t kEmptyPicture[4] = {0, 0, 0, 0};
    const size_t size = CDeviceLossInfo::PictureSize(m_width, m_height);
    uint8_t* picture = nullptr;
    uint32_t width = 0;
    int32_t height = 0;
    if (size != 0) {
        picture = new (std::nothrow) uint8_t[size];
        if (picture == nullptr) {
            return;
        }
        width = static_cast<uint32_t>(m_width);
        height = static_cast<int32_t>(m_height);
        CDeviceLossInfo info;
        // A failed rendering leaves the picture black, which still tells the loss.
        info.DrawDeviceLostPicture(picture, size, static_cast<int32_t>(width), height, 32);
    }
    const uint8_t* sent = picture != nullptr ? picture : kEmptyPicture;
    for (ISampleOutputCallback* receiver : m_receivers) {
        if (receiver == nullptr) {
            continue;
        }
        try {
            receiver->OnSampleOutput(sent, width, height, width * 4, kDeviceLostFormat);
        } catch (const GenICam::GenericException&) {
        } catch (...) {
        }
    }
    delete[] picture;
}
