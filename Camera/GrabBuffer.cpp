#include "Camera/GrabBuffer.h"

#include <new>

#include "quill/GCException.h"

CGrabBuffer::CGrabBuffer(size_t size) : m_memory(nullptr), m_size(size), m_handle(nullptr) {
    if (size != 0) {
        m_memory = new (std::nothrow) uint8_t[size];
    }
    if (m_memory == nullptr) {
        QUILL_THROW(RuntimeException, "Not enough memory to allocate image buffer");
    }
}

CGrabBuffer::~CGrabBuffer() {
    delete[] m_memory;
}
