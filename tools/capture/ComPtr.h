// ComPtr: holds one COM reference and releases it when it goes, so that every
// early return of the capture tool lets go of what it took.
#pragma once

#include <unknwn.h>

template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : m_pointer(other.m_pointer) {
        if (m_pointer) {
            m_pointer->AddRef();
        }
    }
    ComPtr(ComPtr&& other) noexcept : m_pointer(other.m_pointer) { other.m_pointer = nullptr; }
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        if (this != &other) {
            Reset();
            m_pointer = other.m_pointer;
            if (m_pointer) {
                m_pointer->AddRef();
            }
        }
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_pointer = other.m_pointer;
            other.m_pointer = nullptr;
        }
        return *this;
    }

    // Takes over a reference the caller already owns.
    void Attach(T* pointer) {
        Reset();
        m_pointer = pointer;
    }
    void Reset() {
        if (m_pointer) {
            T* pointer = m_pointer;
            m_pointer = nullptr;
            pointer->Release();
        }
    }
    // For an out parameter: drops what is held first.
    T** Receive() {
        Reset();
        return &m_pointer;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    // QueryInterface into another holder.
    template <typename U>
    HRESULT As(REFIID iid, ComPtr<U>* target) const {
        if (!m_pointer) {
            return E_POINTER;
        }
        return m_pointer->QueryInterface(iid, target->ReceiveVoid());
    }

    T* Get() const { return m_pointer; }
    T* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

  private:
    T* m_pointer = nullptr;
};
