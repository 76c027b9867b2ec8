// The pure interfaces of a camera's feature tree. Concrete nodes implement
// INode and one value interface; IBase is a virtual base of both so a node
// has one access mode and casts freely between its interfaces.
#pragma once

#include <cstdint>

#include "quill/GenApiTypes.h"

namespace GenApi {

class IBase {
  public:
    virtual EAccessMode GetAccessMode() const = 0;

  protected:
    virtual ~IBase() = default;
};

class INode : virtual public IBase {
  public:
    virtual GenICam::gcstring GetName(bool FullQualified = false) const = 0;
    virtual GenICam::gcstring GetDisplayName() const = 0;
    virtual GenICam::gcstring GetDescription() const = 0;
    virtual GenICam::gcstring GetToolTip() const = 0;
    virtual EVisibility GetVisibility() const = 0;
    virtual EInterfaceType GetPrincipalInterfaceType() const = 0;
    virtual bool IsFeature() const = 0;
    virtual INodeMap* GetNodeMap() const = 0;
};

class IValue : virtual public IBase {
  public:
    virtual INode* GetNode() = 0;
    virtual GenICam::gcstring ToString(bool Verify = false, bool IgnoreCache = false) = 0;
    virtual void FromString(const GenICam::gcstring& ValueStr, bool Verify = true) = 0;
};

class IInteger : virtual public IValue {
  public:
    virtual void SetValue(int64_t Value, bool Verify = true) = 0;
    virtual int64_t GetValue(bool Verify = false, bool IgnoreCache = false) = 0;
    virtual int64_t GetMin() = 0;
    virtual int64_t GetMax() = 0;
    virtual int64_t GetInc() = 0;
    virtual GenICam::gcstring GetUnit() const = 0;

    IInteger& operator=(int64_t Value) {
        SetValue(Value);
        return *this;
    }
    int64_t operator()() { return GetValue(); }
};

class IFloat : virtual public IValue {
  public:
    virtual void SetValue(double Value, bool Verify = true) = 0;
    virtual double GetValue(bool Verify = false, bool IgnoreCache = false) = 0;
    virtual double GetMin() = 0;
    virtual double GetMax() = 0;
    virtual GenICam::gcstring GetUnit() const = 0;

    IFloat& operator=(double Value) {
        SetValue(Value);
        return *this;
    }
    double operator()() { return GetValue(); }
};

class IBoolean : virtual public IValue {
  public:
    virtual void SetValue(bool Value, bool Verify = true) = 0;
    virtual bool GetValue(bool Verify = false, bool IgnoreCache = false) const = 0;

    IBoolean& operator=(bool Value) {
        SetValue(Value);
        return *this;
    }
    bool operator()() const { return GetValue(); }
};

class IString : virtual public IValue {
  public:
    virtual void SetValue(const GenICam::gcstring& Value, bool Verify = true) = 0;
    virtual GenICam::gcstring GetValue(bool Verify = false, bool IgnoreCache = false) = 0;
    virtual int64_t GetMaxLength() = 0;

    IString& operator=(const GenICam::gcstring& Value) {
        SetValue(Value);
        return *this;
    }
    GenICam::gcstring operator()() { return GetValue(); }
};

class ICommand : virtual public IValue {
  public:
    virtual void Execute(bool Verify = true) = 0;
    virtual bool IsDone(bool Verify = true) = 0;

    void operator()() { Execute(); }
};

class IEnumEntry : virtual public IValue {
  public:
    virtual int64_t GetValue() = 0;
    virtual GenICam::gcstring GetSymbolic() const = 0;
};

class IEnumeration : virtual public IValue {
  public:
    virtual void GetSymbolics(StringList_t& Symbolics) = 0;
    virtual void GetEntries(NodeList_t& Entries) = 0;
    virtual void SetIntValue(int64_t Value, bool Verify = true) = 0;
    virtual int64_t GetIntValue(bool Verify = false, bool IgnoreCache = false) = 0;
    virtual IEnumEntry* GetEntryByName(const GenICam::gcstring& Symbolic) = 0;
    virtual IEnumEntry* GetEntry(int64_t IntValue) = 0;
    virtual IEnumEntry* GetCurrentEntry(bool Verify = false, bool IgnoreCache = false) = 0;

    IEnumeration& operator=(const GenICam::gcstring& Symbolic) {
        FromString(Symbolic);
        return *this;
    }
    IEnumeration& operator=(const char* Symbolic) {
        FromString(GenICam::gcstring(Symbolic));
        return *this;
    }
};

class ICategory : virtual public IValue {
  public:
    virtual void GetFeatures(FeatureList_t& Features) const = 0;
};

class INodeMap {
  public:
    virtual void GetNodes(NodeList_t& Nodes) const = 0;
    virtual INode* GetNode(const GenICam::gcstring& Name) const = 0;
    virtual void InvalidateNodes() const = 0;
    virtual GenICam::gcstring GetDeviceName() = 0;
    virtual void Poll(int64_t ElapsedTime) = 0;

  protected:
    virtual ~INodeMap() = default;
};

inline bool IsReadable(EAccessMode mode) {
    return mode == RO || mode == RW;
}
inline bool IsWritable(EAccessMode mode) {
    return mode == WO || mode == RW;
}
inline bool IsAvailable(EAccessMode mode) {
    return mode != NA && mode != NI && mode != _UndefinedAccesMode;
}
inline bool IsImplemented(EAccessMode mode) {
    return mode != NI && mode != _UndefinedAccesMode;
}

inline bool IsReadable(const IBase* node) {
    return node != nullptr && IsReadable(node->GetAccessMode());
}
inline bool IsWritable(const IBase* node) {
    return node != nullptr && IsWritable(node->GetAccessMode());
}
inline bool IsAvailable(const IBase* node) {
    return node != nullptr && IsAvailable(node->GetAccessMode());
}
inline bool IsImplemented(const IBase* node) {
    return node != nullptr && IsImplemented(node->GetAccessMode());
}

}  // namespace GenApi
