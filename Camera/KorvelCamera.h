// CKorvelCamera: the camera object. It lists every camera of every transport
// layer, opens at most one at a time, reads which of its formats, sizes and
// frame rates the filter understands, and keeps the configuration callbacks
// and the frame receivers.
//
// Locks, in this order: the object lock (every field but the three the
// callback lock guards), then the callback lock (configuration callbacks, next
// cookie, device value). Both are re-entrant. The process-wide lock guards only
// the count of living objects. A removal report from the SDK's thread takes
// the object lock (DeviceLoss.cpp); CRemovalWatch keeps the object alive for it.
//
// Operations the filter calls "under the object lock" (OpenCamera,
// CloseCamera, the format list) take it themselves as well; holding it around
// several calls keeps them together.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Camera/CameraFormat.h"
#include "Camera/CameraLock.h"
#include "Camera/SampleOutputCallback.h"
#include "quill/Quill.h"

struct IKorvelGenICamConfigCallback;
class CGrabBuffer;
class CGrabSession;

class CKorvelCamera {
  public:
    // Enumerates the cameras; an SDK failure leaves the list empty. Throws
    // std::bad_alloc when the lists cannot grow.
    CKorvelCamera();
    // Closes the camera, gives the transport layers back when it is the last
    // camera object, releases the configuration callbacks.
    ~CKorvelCamera();

    CKorvelCamera(const CKorvelCamera&) = delete;
    CKorvelCamera& operator=(const CKorvelCamera&) = delete;

    // Camera objects alive in the process. Also makes the process-wide lock.
    static int32_t LivingCount();

    // The object lock, for callers that hold it around several operations (the
    // filter's first open, the negotiator's reading of FormatList).
    CCameraLock& ObjectLock() { return m_objectLock; }

    // Camera list and selection.

    // Rebuilds the transport-layer and camera lists. E_FAIL when the SDK's
    // factory fails; a layer that fails only loses its own cameras. Meant for
    // construction: the lists stay as built while a camera is open.
    HRESULT EnumerateCameras();
    int32_t GetCameraCount();
    // A new BSTR copy of a row's camera ID (the device's full name).
    // E_INVALIDARG for an index outside the list, E_POINTER for a null out.
    HRESULT GetCameraID(int32_t index, BSTR* cameraId);
    // Opens the row whose ID equals cameraId (case counts): S_OK, or E_FAIL when
    // it does not open. No row: E_INVALIDARG, and an empty (or null) ID closes
    // the open camera.
    HRESULT SelectCameraByID(const wchar_t* cameraId);
    // A new BSTR copy of the open camera's ID; with none open, an empty BSTR
    // and E_FAIL. E_INVALIDARG for a null out.
    HRESULT GetSelectedCameraID(BSTR* cameraId);
    // Closes whatever is open, then opens the row. E_INVALIDARG for an index
    // outside the list, E_FAIL when the camera does not open or offers no
    // known format; a failed open leaves the object closed.
    HRESULT OpenCamera(int32_t index);
    // Opens rows 0, 1, ... until one opens; E_FAIL when none does.
    HRESULT OpenFirstCamera();
    // Closes the open camera (if any) and tells every configuration callback
    // DeviceInvalid. With deviceLost the lost device is neither deregistered,
    // closed nor destroyed. S_OK.
    HRESULT CloseCamera(bool deviceLost);
    // Row of the open camera, -1 when none is open.
    int32_t GetSelectedIndex();

    // Frame receivers (not owned, never removed). S_FALSE for a null one,
    // which is ignored.
    HRESULT RegisterSampleOutputCallback(ISampleOutputCallback* receiver);

    // Configuration callbacks and the device value.

    // The device value of the open camera (see CDeviceHandleTable): S_OK, or
    // E_FAIL with 0 written when none is open. E_POINTER for a null out.
    HRESULT GetDeviceValue(long* deviceValue);
    // Keeps the object's IKorvelGenICamConfigCallback with the next cookie
    // (0, 1, 2, ..., never reused). E_POINTER for a null argument, E_FAIL when
    // the object does not offer the interface, E_OUTOFMEMORY when the list
    // cannot grow.
    HRESULT AddConfigCallback(IUnknown* callback, uint32_t* cookie);
    // Releases the callback of that cookie; E_INVALIDARG when there is none.
    HRESULT RemoveConfigCallback(uint32_t cookie);
    bool IsConfigCallbackSet(uint32_t cookie);

    // Image formats and frame rate.

    // Builds the format list of the freshly opened camera and leaves the camera
    // in the format, size, exposure and frame-rate limit it had.
    HRESULT ReadCameraFormats();
    // Probes the maximum size and every standard size that fits below it.
    HRESULT ProbeFormatSizes(CameraFormat* format);
    // Sets the size and reads the frame rate the camera reaches there.
    HRESULT ProbeFrameSize(int64_t width, int64_t height, double* frameRate);
    HRESULT GetCurrentFormat(uint32_t* format, int32_t* width, int32_t* height, double* frameRate);
    // Sizes above the camera's maximum are clamped to it; a frame rate of 0
    // switches the frame-rate limit off.
    HRESULT SetCameraFormat(uint32_t format, int32_t width, int32_t height, double frameRate);
    // Size number index of the first listed format equal to format.
    HRESULT GetFormatSize(uint32_t format, int32_t index, uint32_t* width, uint32_t* height,
                          double* frameRate);
    // The open camera's formats, ascending by id. Read it only while holding
    // ObjectLock(); it changes when a camera opens or closes.
    const CameraFormatList& FormatList() const { return m_formats; }

    // Grab engine (GrabEngine.cpp). Each holds the object lock for its whole run.

    // Reads the geometry and pixel format, registers and queues ten buffers and
    // starts the grab thread. S_OK also when grabbing already runs;
    // E_UNEXPECTED with no camera open; E_FAIL when the geometry cannot be read
    // or the stream does not start; E_OUTOFMEMORY. A failed start leaves no
    // buffer registered and no thread.
    HRESULT StartGrabbing();
    // Stops the grab thread (waiting at most 10000 ms) and gives the buffers
    // back. A thread still inside a receiver after the wait keeps the buffers'
    // memory until it ends.
    void StopGrabbing();
    // Executes AcquisitionStart / AcquisitionStop. E_FAIL with no camera open
    // or when the command fails.
    HRESULT StartAcquisition();
    HRESULT StopAcquisition();
    // Mode 1 writes TriggerMode "On", any other "Off". E_FAIL with no camera
    // open; otherwise the result of the write.
    HRESULT SetTriggerMode(int32_t mode);
    // In trigger mode: TriggerSource "Software", TriggerSoftware, and the
    // earlier source back. Does nothing otherwise.
    void ExecuteSoftwareTrigger();
    // True while a grab thread runs and no stop was asked of it.
    bool IsGrabbing();

    // Device loss (DeviceLoss.cpp).

    // Bound into the SDK's removal callback; called on an SDK thread. For the
    // open device: stops grabbing, hands every receiver one "Device Unplugged!"
    // picture and closes the camera without touching the lost device. A report
    // for any other device changes nothing.
    void OnDeviceRemoved(Quill::IQuillDevice* device);
    // True when the SDK reported the open device as removed.
    bool IsDeviceLossReported();

  private:
    struct CameraEntry {
        std::wstring fullName;
        int32_t transportLayerIndex;  // row of m_transportLayers that listed the camera
    };

    struct ConfigCallbackEntry {
        IKorvelGenICamConfigCallback* callback;  // one reference held
        uint32_t cookie;
    };

    // Steps of OpenCamera after the lookup; they throw GenICam exceptions.
    HRESULT OpenListedDevice(int32_t index);
    HRESULT CreateListedDevice(int32_t index, Quill::ITransportLayer* layer,
                               const GenICam::gcstring& fullName);
    void DestroyDeviceGuarded(Quill::ITransportLayer* layer, Quill::IQuillDevice* device);
    void NotifyDeviceValid(long deviceValue);
    void NotifyDeviceInvalid();
    void ReleaseConfigCallbacks();
    // The open device's node map; null when there is none.
    GenApi::INodeMap* DeviceNodeMap();
    // Grab engine steps, with the object lock held.
    HRESULT ReadGrabGeometry(GenApi::INodeMap* nodeMap);
    HRESULT StartStream(GenApi::INodeMap* nodeMap);
    // Cancels, drains and deregisters every grab buffer, then finishes the grab.
    // With keepMemory the records go to the session of a thread that has not
    // ended instead of being freed.
    void GiveBuffersBack(CGrabSession* keepMemory);
    // Builds the device-lost picture and hands it to every receiver.
    void SendDeviceLostFrame();
    // Puts back what ReadCameraFormats changed before it reads the formats.
    void RestoreProbeSettings(GenApi::INodeMap* nodeMap, bool exposureRead, int64_t exposure,
                              bool frameRateLimitOn);

    // Guarded by the object lock.
    CCameraLock m_objectLock;
    std::vector<Quill::ITransportLayer*> m_transportLayers;  // owned by the SDK's factory
    std::vector<CameraEntry> m_cameras;
    int32_t m_selectedIndex;
    Quill::IQuillDevice* m_device;
    Quill::IStreamGrabber* m_streamGrabber;
    Quill::IChunkParser* m_chunkParser;  // owned by the device
    bool m_chunkModeActive;
    std::vector<CGrabBuffer*> m_grabBuffers;
    Quill::DeviceCallbackHandle m_removalHandle;
    std::vector<ISampleOutputCallback*> m_receivers;

    // Guarded by the callback lock.
    CCameraLock m_callbackLock;
    std::vector<ConfigCallbackEntry> m_configCallbacks;
    uint32_t m_nextCookie;
    long m_deviceValue;  // 0 while no camera is open

    // Guarded by the object lock.
    CameraFormatList m_formats;
    int64_t m_payloadSize;
    int64_t m_width;
    int64_t m_height;
    GenICam::gcstring m_pixelFormatName;
    volatile LONG m_stopFlag;
    HANDLE m_grabThread;
    int32_t m_triggerModeOn;
    // What the running grab thread works with; null while idle.
    CGrabSession* m_grabSession = nullptr;
};
