// CPointer: a checked, non-owning pointer to one interface of a node. It is
// built from any node pointer by dynamic_cast, so a node of the wrong type
// (or a missing one) gives an invalid pointer rather than a wrong one.
#pragma once

#include <cstddef>
#include <type_traits>

#include "quill/GenApiInterfaces.h"

namespace GenApi {

template <class T, class B = IBase>
class CPointer {
  public:
    CPointer() = default;
    CPointer(std::nullptr_t) {}
    template <class Other>
    CPointer(Other* other) : pointer_(Cast(other)) {}
    template <class Other, class OtherBase>
    CPointer(const CPointer<Other, OtherBase>& other) : pointer_(Cast(static_cast<Other*>(other))) {}

    template <class Other>
    CPointer& operator=(Other* other) {
        pointer_ = Cast(other);
        return *this;
    }

    bool IsValid() const { return pointer_ != nullptr; }
    explicit operator bool() const { return IsValid(); }
    operator T*() const { return pointer_; }

    T* operator->() const {
        if (pointer_ == nullptr) {
            QUILL_THROW(LogicalErrorException, "NULL pointer dereferenced");
        }
        return pointer_;
    }
    T& operator*() const {
        if (pointer_ == nullptr) {
            QUILL_THROW(LogicalErrorException, "NULL pointer dereferenced");
        }
        return *pointer_;
    }

    bool operator==(std::nullptr_t) const { return pointer_ == nullptr; }
    bool operator!=(std::nullptr_t) const { return pointer_ != nullptr; }

  private:
    template <class Other>
    static T* Cast(Other* other) {
        if constexpr (std::is_convertible<Other*, T*>::value) {
            return other;
        } else {
            return other != nullptr ? dynamic_cast<T*>(other) : nullptr;
        }
    }

    T* pointer_ = nullptr;
};

typedef CPointer<IBase> CBasePtr;
typedef CPointer<INode> CNodePtr;
typedef CPointer<IValue> CValuePtr;
typedef CPointer<IInteger> CIntegerPtr;
typedef CPointer<IFloat> CFloatPtr;
typedef CPointer<IBoolean> CBooleanPtr;
typedef CPointer<IString> CStringPtr;
typedef CPointer<ICommand> CCommandPtr;
typedef CPointer<IEnumeration> CEnumerationPtr;
typedef CPointer<IEnumEntry> CEnumEntryPtr;
typedef CPointer<ICategory> CCategoryPtr;

template <class T, class B>
bool IsReadable(const CPointer<T, B>& pointer) {
    return pointer.IsValid() && IsReadable(static_cast<T*>(pointer)->GetAccessMode());
}
template <class T, class B>
bool IsWritable(const CPointer<T, B>& pointer) {
    return pointer.IsValid() && IsWritable(static_cast<T*>(pointer)->GetAccessMode());
}
template <class T, class B>
bool IsAvailable(const CPointer<T, B>& pointer) {
    return pointer.IsValid() && IsAvailable(static_cast<T*>(pointer)->GetAccessMode());
}
template <class T, class B>
bool IsImplemented(const CPointer<T, B>& pointer) {
    return pointer.IsValid() && IsImplemented(static_cast<T*>(pointer)->GetAccessMode());
}

}  // namespace GenApi
