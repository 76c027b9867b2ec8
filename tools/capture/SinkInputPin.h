// SinkInputPin: the single input pin of the capture tool's sink filter. It
// accepts uncompressed video with a VIDEOINFOHEADER format (and, when told,
// VIDEOINFOHEADER2), offers the upstream pin a memory allocator when it has
// none of its own, and hands every received sample to a FrameHandler on the
// upstream pin's delivery thread.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <cstdint>

#include "baseclasses/BaseClasses.h"
#include "tools/capture/VideoFormatNames.h"

// Receives the frames of a sink pin; called on the streaming thread.
class FrameHandler {
  public:
    virtual ~FrameHandler() = default;
    // The type the connection agreed, and any type a sample later carries.
    virtual void OnMediaType(const AM_MEDIA_TYPE& type) = 0;
    // One frame; hasTime tells whether start is a valid time stamp.
    virtual void OnFrame(const uint8_t* data, size_t length, bool hasTime, REFERENCE_TIME start) = 0;
};

class SinkInputPin : public CBasePin, public IMemInputPin {
  public:
    SinkInputPin(CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR name, bool acceptVideoInfo2);
    ~SinkInputPin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Set before the graph runs; not owned.
    void SetFrameHandler(FrameHandler* handler) { m_handler = handler; }

    // CBasePin
    HRESULT CheckMediaType(const CMediaType* mediaType) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT BreakConnect() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;  // E_NOTIMPL
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* processed) override;
    STDMETHODIMP ReceiveCanBlock() override;  // S_OK: the sink writes to disk

  private:
    FrameHandler* m_handler = nullptr;
    IMemAllocator* m_allocator = nullptr;
    const bool m_acceptVideoInfo2;
    volatile LONG m_flushing = 0;
};
