#include "tools/capture/CaptureSinkFilter.h"

#include <new>

namespace {

// {6B3C2F4E-81D5-4C7A-9E20-5A4B1D7C0E31}: the sink's own class id; it is never registered.
const CLSID kCaptureSinkClsid = {
    0x6b3c2f4e, 0x81d5, 0x4c7a, {0x9e, 0x20, 0x5a, 0x4b, 0x1d, 0x7c, 0x0e, 0x31}};

}  // namespace

CaptureSinkFilter::CaptureSinkFilter(bool acceptVideoInfo2, HRESULT* result)
    : CBaseFilter(TEXT("capture sink"), nullptr, &m_lock, kCaptureSinkClsid), m_pin(nullptr) {
    m_pin = new (std::nothrow) SinkInputPin(this, &m_lock, result, L"In", acceptVideoInfo2);
    if (!m_pin && SUCCEEDED(*result)) {
        *result = E_OUTOFMEMORY;
    }
}

CaptureSinkFilter::~CaptureSinkFilter() {
    delete m_pin;
}

CaptureSinkFilter* CaptureSinkFilter::Create(bool acceptVideoInfo2, HRESULT* result) {
    *result = S_OK;
    auto* filter = new (std::nothrow) CaptureSinkFilter(acceptVideoInfo2, result);
    if (!filter) {
        *result = E_OUTOFMEMORY;
        return nullptr;
    }
    if (FAILED(*result)) {
        delete filter;
        return nullptr;
    }
    return filter;
}

CBasePin* CaptureSinkFilter::GetPin(int n) {
    return n == 0 ? m_pin : nullptr;
}
