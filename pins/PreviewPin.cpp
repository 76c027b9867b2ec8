#include "pins/PreviewPin.h"

CKorvelGenICamPreviewPin::CKorvelGenICamPreviewPin(const TCHAR* objectName, HRESULT* result,
                                                   CBaseFilter* filter, CCritSec* stateLock, LPCWSTR pinName,
                                                   FormatNegotiator* negotiator, CCritSec* cameraLock)
    : CKorvelGenICamStreamPin(objectName ? objectName : NAME("Preview pin"), result, filter, stateLock,
                              pinName, negotiator, cameraLock, StreamPinRole::Preview) {}

CKorvelGenICamPreviewPin::~CKorvelGenICamPreviewPin() = default;
