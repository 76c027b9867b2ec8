// The filter's persisted state: after CPersistStream's version header, one
// block of 100 bytes holding the selected camera's identifier as narrow text
// in the thread's ANSI code page, NUL-terminated and NUL-padded. No block is
// written while no camera is open or the identifier does not fit.
#include <strsafe.h>

#include <cstring>
#include <new>
#include <string>

#include "filter/PersistedStateFormat.h"
#include "filter/SourceFilter.h"
#include "pins/CapturePin.h"

namespace {

using PersistedStateFormat::kIdentifierBlockBytes;

// The open camera's identifier; empty, with false, when none is open.
bool SelectedCameraId(CKorvelCamera& camera, std::wstring* id) {
    BSTR selected = nullptr;
    const HRESULT hr = camera.GetSelectedCameraID(&selected);
    id->assign(selected ? selected : L"", selected ? SysStringLen(selected) : 0);
    SysFreeString(selected);
    return hr == S_OK;
}

}  // namespace

int CKorvelGenICamSourceFilter::SizeMax() {
    return kIdentifierBlockBytes;
}

HRESULT CKorvelGenICamSourceFilter::WriteToStream(IStream* pStream) {
    if (!pStream) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    std::wstring id;
    try {
        SelectedCameraId(m_camera, &id);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (id.empty() || id.size() >= kIdentifierBlockBytes) {
        return S_OK;
    }

    // Converted with one byte to spare: a text that needs all 100 bytes (a
    // multi-byte code page can make one) leaves no room for its NUL.
    char text[kIdentifierBlockBytes] = {};
    const int bytes = WideCharToMultiByte(CP_THREAD_ACP, 0, id.c_str(), static_cast<int>(id.size()), text,
                                          static_cast<int>(kIdentifierBlockBytes) - 1, nullptr, nullptr);
    if (bytes <= 0) {
        const DWORD error = GetLastError();
        if (error == ERROR_INSUFFICIENT_BUFFER) {
            return STRSAFE_E_INSUFFICIENT_BUFFER;
        }
        // An identifier the code page cannot express at all is not saved
        // half-way; the caller learns why.
        return error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    char block[kIdentifierBlockBytes];
    if (PersistedStateFormat::FillIdentifierBlock(text, static_cast<size_t>(bytes), block) !=
        PersistedStateFormat::IdentifierFit::Fits) {
        return STRSAFE_E_INSUFFICIENT_BUFFER;
    }
    return pStream->Write(block, sizeof(block), nullptr);
}

HRESULT CKorvelGenICamSourceFilter::ReadFromStream(IStream* pStream) {
    if (!pStream) {
        return E_POINTER;
    }
    CAutoLock cameraLock(&m_cameraLock);
    char block[kIdentifierBlockBytes] = {};
    ULONG read = 0;
    const HRESULT hr = pStream->Read(block, sizeof(block), &read);
    // A stream that ends after the header (0 bytes, S_OK) keeps the camera.
    if (hr != S_OK || read == 0 || read > sizeof(block)) {
        return hr;
    }

    // The text before the first NUL; a block without one is read no further
    // than the bytes that arrived.
    const size_t textBytes = PersistedStateFormat::StoredIdentifierLength(block, read);
    if (textBytes == 0) {
        // No identifier stored: nothing to switch to.
        return S_OK;
    }
    try {
        std::wstring stored;
        const int characters =
            MultiByteToWideChar(CP_THREAD_ACP, 0, block, static_cast<int>(textBytes), nullptr, 0);
        if (characters <= 0) {
            return S_OK;
        }
        stored.resize(static_cast<size_t>(characters));
        MultiByteToWideChar(CP_THREAD_ACP, 0, block, static_cast<int>(textBytes), &stored[0], characters);

        std::wstring previous;
        const bool wasOpen = SelectedCameraId(m_camera, &previous);
        if (wasOpen && stored == previous) {
            return S_OK;
        }
        // While the capture pin is connected its format belongs to the open
        // camera; the stored choice is not applied then.
        if (m_capturePin && m_capturePin->IsCameraConnected()) {
            return S_OK;
        }
        if (FAILED(m_camera.SelectCameraByID(stored.c_str())) && wasOpen && !previous.empty()) {
            // Back to the camera that was open, unless it still is.
            std::wstring now;
            if (!SelectedCameraId(m_camera, &now) || now != previous) {
                m_camera.SelectCameraByID(previous.c_str());
            }
        }
    } catch (const std::bad_alloc&) {
        // The selection stays as it was; loading still succeeds.
    }
    return S_OK;
}
