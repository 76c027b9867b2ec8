// CMediaType: an AM_MEDIA_TYPE that owns its format block and its pUnk, with
// value semantics; and the free helpers for plain AM_MEDIA_TYPEs.
//
// Every format block is CoTaskMemAlloc'ed, so a type can be handed across a
// COM boundary and freed by its receiver with FreeMediaType/DeleteMediaType.
#pragma once

#include <windows.h>
#include <strmif.h>

class CMediaType : public AM_MEDIA_TYPE {
  public:
    CMediaType();
    explicit CMediaType(const GUID* majortype);
    // A failed copy (no memory for the format block) leaves an empty type
    // and E_OUTOFMEMORY in *phr.
    CMediaType(const AM_MEDIA_TYPE& type, HRESULT* phr = nullptr);
    CMediaType(const CMediaType& type, HRESULT* phr = nullptr);
    ~CMediaType();

    CMediaType& operator=(const CMediaType& type);
    CMediaType& operator=(const AM_MEDIA_TYPE& type);

    // Same major type, subtype, format type and format block byte for byte.
    bool operator==(const CMediaType& type) const;
    bool operator!=(const CMediaType& type) const { return !(*this == type); }

    // Copies type into this one: S_OK or E_OUTOFMEMORY (then empty).
    HRESULT Set(const AM_MEDIA_TYPE& type);

    BOOL IsValid() const;  // a major type is set

    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* type) { majortype = *type; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* type) { subtype = *type; }
    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* type) { formattype = *type; }

    BOOL IsFixedSize() const { return bFixedSizeSamples; }
    BOOL IsTemporalCompressed() const { return bTemporalCompression; }
    ULONG GetSampleSize() const;
    void SetSampleSize(ULONG size);  // 0 means variable size
    void SetVariableSize();
    void SetTemporalCompression(BOOL compressed) { bTemporalCompression = compressed; }

    BYTE* Format() const { return pbFormat; }
    ULONG FormatLength() const { return cbFormat; }
    // The format block as a T when it holds at least sizeof(T) bytes, else
    // NULL: a block shorter than the structure its format type names (a
    // type from another filter or an application) is never read past.
    template <typename T>
    const T* FormatAs() const {
        return pbFormat && cbFormat >= sizeof(T) ? reinterpret_cast<const T*>(pbFormat) : nullptr;
    }
    // Replaces the format block with a copy of length bytes of format.
    BOOL SetFormat(const BYTE* format, ULONG length);
    // A new zeroed format block of length bytes (NULL when out of memory).
    BYTE* AllocFormatBuffer(ULONG length);
    // Resizes the format block, keeping what fits (NULL when out of memory;
    // the old block is then kept).
    BYTE* ReallocFormatBuffer(ULONG length);
    void ResetFormatBuffer();

    // Back to an empty type: fixed-size samples of size 1, nothing else set.
    void InitMediaType();

    // True when every part that ppartial specifies (non-null GUIDs, and with
    // a format type its format block) equals ours.
    BOOL MatchesPartial(const CMediaType* ppartial) const;
    // True when the major type, subtype or format type is GUID_NULL.
    BOOL IsPartiallySpecified() const;
};

// Frees the format block and releases pUnk; the structure itself stays.
void WINAPI FreeMediaType(AM_MEDIA_TYPE& type);
// FreeMediaType, then CoTaskMemFree of the structure. NULL is ignored.
void WINAPI DeleteMediaType(AM_MEDIA_TYPE* type);
// A CoTaskMemAlloc'ed deep copy of source (NULL when out of memory).
AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* source);
// Deep copy into target, which must not hold a format block of its own:
// S_OK or E_OUTOFMEMORY (target then has no format block).
HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);
