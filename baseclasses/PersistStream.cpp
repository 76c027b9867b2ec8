#include "baseclasses/PersistStream.h"

#include <vfwmsgs.h>

#include <cstdio>

namespace {

// The header's characters: a version needs at most 11 digits and a sign, so
// a longer run names no version this class writes.
constexpr int kMaxHeaderDigits = 20;

bool IsHeaderTerminator(WCHAR character) {
    return character == L' ' || character == L'\t' || character == L'\r' || character == L'\n' ||
           character == L'\0';
}

// One UTF-16LE character of the header: S_OK, the failure of Read, or
// VFW_E_INVALID_FILE_FORMAT when the stream ends inside the header.
HRESULT ReadHeaderCharacter(IStream* stream, WCHAR* character) {
    BYTE bytes[2] = {};
    ULONG read = 0;
    const HRESULT hr = stream->Read(bytes, sizeof(bytes), &read);
    if (FAILED(hr)) {
        return hr;
    }
    if (read != sizeof(bytes)) {
        return VFW_E_INVALID_FILE_FORMAT;
    }
    *character = static_cast<WCHAR>(bytes[0] | (bytes[1] << 8));
    return S_OK;
}

}  // namespace

CPersistStream::CPersistStream(REFCLSID clsid) : m_clsid(clsid), m_dirty(FALSE), m_fileVersion(0) {}

STDMETHODIMP CPersistStream::GetClassID(CLSID* pClsid) {
    if (!pClsid) {
        return E_POINTER;
    }
    *pClsid = m_clsid;
    return S_OK;
}

STDMETHODIMP CPersistStream::IsDirty() {
    return m_dirty ? S_OK : S_FALSE;
}

STDMETHODIMP CPersistStream::Load(IStream* pStm) {
    if (!pStm) {
        return E_POINTER;
    }
    const HRESULT hr = ReadHeader(pStm);
    if (FAILED(hr)) {
        return hr;
    }
    return ReadFromStream(pStm);
}

HRESULT CPersistStream::ReadHeader(IStream* pStm) {
    WCHAR character = 0;
    HRESULT hr = ReadHeaderCharacter(pStm, &character);
    if (FAILED(hr)) {
        return hr;
    }
    const bool negative = character == L'-';
    if (negative) {
        hr = ReadHeaderCharacter(pStm, &character);
        if (FAILED(hr)) {
            return hr;
        }
    }
    // Unsigned arithmetic: an overlong number wraps instead of overflowing.
    DWORD version = 0;
    int digits = 0;
    while (character >= L'0' && character <= L'9') {
        if (++digits > kMaxHeaderDigits) {
            return VFW_E_INVALID_FILE_FORMAT;
        }
        version = version * 10 + static_cast<DWORD>(character - L'0');
        hr = ReadHeaderCharacter(pStm, &character);
        if (FAILED(hr)) {
            return hr;
        }
    }
    if (digits == 0 || !IsHeaderTerminator(character)) {
        return VFW_E_INVALID_FILE_FORMAT;
    }
    m_fileVersion = negative ? 0 - version : version;
    return S_OK;
}

STDMETHODIMP CPersistStream::Save(IStream* pStm, BOOL fClearDirty) {
    if (!pStm) {
        return E_POINTER;
    }
    // "%011d " as 12 wide characters, without the terminator.
    char text[kHeaderBytes / 2 + 1] = {};
    const int length = std::snprintf(text, sizeof(text), "%011d ", static_cast<int>(GetSoftwareVersion()));
    if (length != static_cast<int>(kHeaderBytes / 2)) {
        return E_UNEXPECTED;
    }
    BYTE header[kHeaderBytes] = {};
    for (ULONG index = 0; index < kHeaderBytes / 2; ++index) {
        header[2 * index] = static_cast<BYTE>(text[index]);
    }
    ULONG written = 0;
    HRESULT hr = pStm->Write(header, kHeaderBytes, &written);
    if (FAILED(hr)) {
        return hr;
    }
    if (written != kHeaderBytes) {
        return STG_E_MEDIUMFULL;
    }
    hr = WriteToStream(pStm);
    if (FAILED(hr)) {
        return hr;
    }
    m_dirty = !fClearDirty;
    return S_OK;
}

STDMETHODIMP CPersistStream::GetSizeMax(ULARGE_INTEGER* pcbSize) {
    if (!pcbSize) {
        return E_POINTER;
    }
    const int dataBytes = SizeMax();
    pcbSize->QuadPart = kHeaderBytes + static_cast<ULONGLONG>(dataBytes > 0 ? dataBytes : 0);
    return S_OK;
}

HRESULT CPersistStream::WriteToStream(IStream*) {
    return S_OK;
}

HRESULT CPersistStream::ReadFromStream(IStream*) {
    return S_OK;
}

int CPersistStream::SizeMax() {
    return 0;
}

DWORD CPersistStream::GetSoftwareVersion() {
    return 0;
}
