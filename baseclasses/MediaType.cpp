#include "baseclasses/MediaType.h"

#include <cstring>

void WINAPI FreeMediaType(AM_MEDIA_TYPE& type) {
    if (type.pbFormat) {
        CoTaskMemFree(type.pbFormat);
        type.pbFormat = nullptr;
    }
    type.cbFormat = 0;
    if (type.pUnk) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

void WINAPI DeleteMediaType(AM_MEDIA_TYPE* type) {
    if (!type) {
        return;
    }
    FreeMediaType(*type);
    CoTaskMemFree(type);
}

HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source) {
    if (!target || !source) {
        return E_POINTER;
    }
    *target = *source;
    if (source->cbFormat != 0 && source->pbFormat) {
        target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (!target->pbFormat) {
            target->cbFormat = 0;
            target->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
    } else {
        target->pbFormat = nullptr;
        target->cbFormat = 0;
    }
    if (target->pUnk) {
        target->pUnk->AddRef();
    }
    return S_OK;
}

AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* source) {
    if (!source) {
        return nullptr;
    }
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!type) {
        return nullptr;
    }
    if (FAILED(CopyMediaType(type, source))) {
        CoTaskMemFree(type);
        return nullptr;
    }
    return type;
}

CMediaType::CMediaType() : AM_MEDIA_TYPE() {
    InitMediaType();
}

CMediaType::CMediaType(const GUID* type) : CMediaType() {
    majortype = *type;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& type, HRESULT* phr) : CMediaType() {
    const HRESULT hr = Set(type);
    if (FAILED(hr) && phr) {
        *phr = hr;
    }
}

CMediaType::CMediaType(const CMediaType& type, HRESULT* phr)
    : CMediaType(static_cast<const AM_MEDIA_TYPE&>(type), phr) {}

CMediaType::~CMediaType() {
    FreeMediaType(*this);
}

CMediaType& CMediaType::operator=(const CMediaType& type) {
    Set(type);
    return *this;
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& type) {
    Set(type);
    return *this;
}

HRESULT CMediaType::Set(const AM_MEDIA_TYPE& type) {
    if (&type == this) {
        return S_OK;
    }
    FreeMediaType(*this);
    const HRESULT hr = CopyMediaType(this, &type);
    if (FAILED(hr)) {
        InitMediaType();
    }
    return hr;
}

bool CMediaType::operator==(const CMediaType& type) const {
    if (!IsEqualGUID(majortype, type.majortype) || !IsEqualGUID(subtype, type.subtype) ||
        !IsEqualGUID(formattype, type.formattype) || cbFormat != type.cbFormat) {
        return false;
    }
    return cbFormat == 0 ||
           (pbFormat && type.pbFormat && std::memcmp(pbFormat, type.pbFormat, cbFormat) == 0);
}

BOOL CMediaType::IsValid() const {
    return IsEqualGUID(majortype, GUID_NULL) ? FALSE : TRUE;
}

ULONG CMediaType::GetSampleSize() const {
    return bFixedSizeSamples ? lSampleSize : 0;
}

void CMediaType::SetSampleSize(ULONG size) {
    if (size == 0) {
        SetVariableSize();
        return;
    }
    bFixedSizeSamples = TRUE;
    lSampleSize = size;
}

void CMediaType::SetVariableSize() {
    bFixedSizeSamples = FALSE;
}

BOOL CMediaType::SetFormat(const BYTE* format, ULONG length) {
    if (length != 0 && !format) {
        return FALSE;
    }
    if (!AllocFormatBuffer(length) && length != 0) {
        return FALSE;
    }
    if (length != 0) {
        std::memcpy(pbFormat, format, length);
    }
    return TRUE;
}

BYTE* CMediaType::AllocFormatBuffer(ULONG length) {
    ResetFormatBuffer();
    if (length == 0) {
        return nullptr;
    }
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!block) {
        return nullptr;
    }
    std::memset(block, 0, length);
    pbFormat = block;
    cbFormat = length;
    return block;
}

BYTE* CMediaType::ReallocFormatBuffer(ULONG length) {
    if (length == 0) {
        ResetFormatBuffer();
        return nullptr;
    }
    auto* block = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!block) {
        return nullptr;
    }
    std::memset(block, 0, length);
    if (pbFormat && cbFormat != 0) {
        std::memcpy(block, pbFormat, cbFormat < length ? cbFormat : length);
    }
    ResetFormatBuffer();
    pbFormat = block;
    cbFormat = length;
    return block;
}

void CMediaType::ResetFormatBuffer() {
    if (pbFormat) {
        CoTaskMemFree(pbFormat);
    }
    pbFormat = nullptr;
    cbFormat = 0;
}

void CMediaType::InitMediaType() {
    FreeMediaType(*this);
    majortype = GUID_NULL;
    subtype = GUID_NULL;
    formattype = GUID_NULL;
    bFixedSizeSamples = TRUE;
    bTemporalCompression = FALSE;
    lSampleSize = 1;
}

BOOL CMediaType::MatchesPartial(const CMediaType* ppartial) const {
    if (!ppartial) {
        return TRUE;
    }
    if (!IsEqualGUID(ppartial->majortype, GUID_NULL) && !IsEqualGUID(ppartial->majortype, majortype)) {
        return FALSE;
    }
    if (!IsEqualGUID(ppartial->subtype, GUID_NULL) && !IsEqualGUID(ppartial->subtype, subtype)) {
        return FALSE;
    }
    if (!IsEqualGUID(ppartial->formattype, GUID_NULL)) {
        if (!IsEqualGUID(ppartial->formattype, formattype) || ppartial->cbFormat != cbFormat) {
            return FALSE;
        }
        if (cbFormat != 0 &&
            (!pbFormat || !ppartial->pbFormat || std::memcmp(pbFormat, ppartial->pbFormat, cbFormat) != 0)) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CMediaType::IsPartiallySpecified() const {
    return IsEqualGUID(majortype, GUID_NULL) || IsEqualGUID(subtype, GUID_NULL) ||
                   IsEqualGUID(formattype, GUID_NULL)
               ? TRUE
               : FALSE;
}
