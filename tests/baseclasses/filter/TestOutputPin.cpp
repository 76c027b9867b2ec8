#include "TestOutputPin.h"

#include <cstring>

#include <amvideo.h>
#include <uuids.h>

namespace {

constexpr LONG kWidth = 64;
constexpr LONG kHeight = 48;

// Position 0: RGB32, position 1: RGB24, both 64 x 48 in a VIDEOINFOHEADER.
HRESULT BuildType(int position, CMediaType* type) {
    const WORD bits = position == 0 ? 32 : 24;
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type->AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    if (!info) {
        return E_OUTOFMEMORY;
    }
    info->AvgTimePerFrame = 333333;
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = kWidth;
    info->bmiHeader.biHeight = kHeight;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = bits;
    info->bmiHeader.biCompression = BI_RGB;
    info->bmiHeader.biSizeImage = kWidth * kHeight * bits / 8;
    type->SetType(&MEDIATYPE_Video);
    type->SetSubtype(position == 0 ? &MEDIASUBTYPE_RGB32 : &MEDIASUBTYPE_RGB24);
    type->SetFormatType(&FORMAT_VideoInfo);
    type->SetSampleSize(info->bmiHeader.biSizeImage);
    type->SetTemporalCompression(FALSE);
    return S_OK;
}

}  // namespace

CTestOutputPin::CTestOutputPin(CBaseFilter* filter, CCritSec* lock, HRESULT* phr, LPCWSTR name)
    : CBaseOutputPin(NAME("Test output pin"), filter, lock, phr, name),
      m_counters(),
      m_nextActiveFailure(S_OK) {}

HRESULT CTestOutputPin::CheckMediaType(const CMediaType* pmt) {
    if (!pmt) {
        return E_POINTER;
    }
    for (int position = 0; position < 2; ++position) {
        CMediaType offered;
        if (SUCCEEDED(BuildType(position, &offered)) && offered == *pmt) {
            return S_OK;
        }
    }
    return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CTestOutputPin::GetMediaType(int iPosition, CMediaType* pMediaType) {
    if (!pMediaType) {
        return E_POINTER;
    }
    if (iPosition < 0) {
        return E_INVALIDARG;
    }
    if (iPosition > 1) {
        return VFW_S_NO_MORE_ITEMS;
    }
    return BuildType(iPosition, pMediaType);
}

HRESULT CTestOutputPin::DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* ppropInputRequest) {
    if (!pAlloc || !ppropInputRequest) {
        return E_POINTER;
    }
    m_counters.requested = *ppropInputRequest;
    ppropInputRequest->cBuffers = 1;
    ppropInputRequest->cbBuffer = static_cast<long>(m_mt.GetSampleSize());
    HRESULT hr = pAlloc->SetProperties(ppropInputRequest, &m_counters.granted);
    if (FAILED(hr)) {
        return hr;
    }
    return m_counters.granted.cbBuffer < ppropInputRequest->cbBuffer ? E_FAIL : S_OK;
}

HRESULT CTestOutputPin::CompleteConnect(IPin* pReceivePin) {
    ++m_counters.completeConnectCalls;
    return CBaseOutputPin::CompleteConnect(pReceivePin);
}

HRESULT CTestOutputPin::BreakConnect() {
    ++m_counters.breakConnectCalls;
    return CBaseOutputPin::BreakConnect();
}

HRESULT CTestOutputPin::Active() {
    ++m_counters.activeCalls;
    CountLockHeld();
    const HRESULT failure = m_nextActiveFailure;
    m_nextActiveFailure = S_OK;
    if (FAILED(failure)) {
        return failure;
    }
    return CBaseOutputPin::Active();
}

HRESULT CTestOutputPin::Inactive() {
    ++m_counters.inactiveCalls;
    CountLockHeld();
    return CBaseOutputPin::Inactive();
}

HRESULT CTestOutputPin::Run(REFERENCE_TIME tStart) {
    ++m_counters.runCalls;
    CountLockHeld();
    return CBaseOutputPin::Run(tStart);
}

void CTestOutputPin::CountLockHeld() {
    if (CritCheckIn(m_pLock)) {
        ++m_counters.callsUnderStateLock;
    }
}

HRESULT CTestOutputPin::DeliverOneSample() {
    IMediaSample* sample = nullptr;
    HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
    if (FAILED(hr)) {
        return hr;
    }
    BYTE* data = nullptr;
    hr = sample->GetPointer(&data);
    if (SUCCEEDED(hr)) {
        const long size = sample->GetSize();
        std::memset(data, 0x5a, static_cast<size_t>(size));
        hr = sample->SetActualDataLength(size);
    }
    if (SUCCEEDED(hr)) {
        hr = Deliver(sample);
    }
    sample->Release();
    return hr;
}
