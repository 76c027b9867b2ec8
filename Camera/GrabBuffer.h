// CGrabBuffer: one image buffer of the grab engine. It owns payload-size
// bytes of memory and keeps the handle the stream grabber gave when the memory
// was registered with it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "quill/GrabTypes.h"

class CGrabBuffer {
  public:
    // Allocates size bytes. Throws GenICam::RuntimeException "Not enough memory
    // to allocate image buffer" when that fails (also for a size of 0).
    explicit CGrabBuffer(size_t size);
    // Frees the memory; the buffer must be deregistered first, or its stream
    // grabber closed.
    ~CGrabBuffer();

    CGrabBuffer(const CGrabBuffer&) = delete;
    CGrabBuffer& operator=(const CGrabBuffer&) = delete;

    uint8_t* GetBufferPointer() const { return m_memory; }
    size_t GetBufferSize() const { return m_size; }

    Quill::StreamBufferHandle GetBufferHandle() const { return m_handle; }
    void SetBufferHandle(Quill::StreamBufferHandle handle) { m_handle = handle; }

  private:
    uint8_t* m_memory;
    size_t m_size;
    Quill::StreamBufferHandle m_handle;
};
