// FormatNegotiator: the filter-level object through which both output pins
// and IAMStreamConfig decide which video media types the filter offers and
// accepts. It combines the open camera's format list and current state with
// the conversion matrix of its own engine. The filter creates it before the
// pins and destroys it after them.
//
// Every operation holds the negotiator's lock for its whole run and calls the
// camera object inside it: the negotiator's lock comes before the camera
// object's. No operation calls back into a pin.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>

#include "conversion/ConversionEngine.h"
#include "pins/ProposedMediaType.h"

class CKorvelCamera;

class FormatNegotiator {
  public:
    // The camera is the filter's and outlives the negotiator.
    explicit FormatNegotiator(CKorvelCamera* camera);
    ~FormatNegotiator();

    FormatNegotiator(const FormatNegotiator&) = delete;
    FormatNegotiator& operator=(const FormatNegotiator&) = delete;

    void Lock() { EnterCriticalSection(&m_lock); }
    void Unlock() { LeaveCriticalSection(&m_lock); }

    CKorvelCamera* Camera() const { return m_camera; }
    ConversionEngine& Engine() { return m_engine; }

    // Set by a pin when it completes a connection, cleared when it breaks it.
    void SetCapturePinConnected(bool connected);
    void SetPreviewPinConnected(bool connected);
    bool IsCapturePinConnected();
    bool IsPreviewPinConnected();

    // Offered types: the camera's own format, then every format the matrix
    // converts it into (ascending id), each first as VIDEOINFOHEADER then as
    // VIDEOINFOHEADER2, all at the camera's current size and frame rate. The
    // count is 0 without a readable current state.
    int32_t GetOfferedTypeCount();
    // Fills mediaType (its old format block is released); E_INVALIDARG past
    // the end.
    HRESULT GetOfferedMediaType(int32_t position, AM_MEDIA_TYPE* mediaType);

    // Whether the camera could deliver the type; the camera is left in the
    // state it had. With allowed and no pin connected, the camera may switch
    // its pixel format to the type's; otherwise the type must be the camera's
    // format or one it converts into.
    HRESULT TestMediaType(const AM_MEDIA_TYPE* mediaType, bool allowed);
    // Applies the type to the camera; on failure the camera keeps the state
    // it had. A null type (only with allowed) resets the camera to its lowest
    // format id at that format's largest size.
    HRESULT SetMediaTypeOnCamera(const AM_MEDIA_TYPE* mediaType, bool allowed);

    // The camera's current format, size and frame rate as a VIDEOINFOHEADER type.
    HRESULT GetCameraMediaType(AM_MEDIA_TYPE* mediaType);

    // One capability per (camera format, probed size): only the camera's own
    // formats, ascending id, largest size first.
    int32_t GetCapabilityCount();
    HRESULT GetCapabilityMediaType(int32_t index, AM_MEDIA_TYPE* mediaType);

  private:
    struct CameraState {
        VideoFormatId format;
        int32_t width;
        int32_t height;
        double frameRate;
    };

    // The camera's current format, size and frame rate.
    HRESULT ReadCameraState(CameraState* state);
    // The step shared by testing and setting; called with the lock held.
    HRESULT ApplyMediaType(const AM_MEDIA_TYPE* mediaType, const CameraState& current, bool allowed);
    // After the camera accepted a proposal: whether the picture it now
    // delivers is the one the type describes (the camera clamps sizes beyond
    // its maximum, which must not pass as the size asked for).
    HRESULT CheckDeliveredSize(const ProposedMediaType& proposal);
    HRESULT SetCameraState(const CameraState& state);
    HRESULT ResetCameraToDefault();

    CRITICAL_SECTION m_lock;
    ConversionEngine m_engine;
    CKorvelCamera* const m_camera;
    int32_t m_capturePinConnected;
    int32_t m_previewPinConnected;
};
