// CKorvelGenICamPreviewPin: the filter's second output pin, "Preview"
// (PIN_CATEGORY_PREVIEW). It receives the same camera frames as the capture
// pin, keeps its own copy, engine and connected format, and may deliver
// another format of the same picture. It offers none of the capture pin's
// stream configuration, property page or dropped-frame count: a frame it
// cannot deliver is simply not counted.
#pragma once

#include <windows.h>

#include "pins/StreamPin.h"

class CKorvelGenICamPreviewPin : public CKorvelGenICamStreamPin {
  public:
    // The filter's state lock is the pin's lock; the camera lock and the
    // negotiator are the filter's and outlive the pin.
    CKorvelGenICamPreviewPin(const TCHAR* objectName, HRESULT* result, CBaseFilter* filter,
                             CCritSec* stateLock, LPCWSTR pinName, FormatNegotiator* negotiator,
                             CCritSec* cameraLock);
    ~CKorvelGenICamPreviewPin() override;
};
