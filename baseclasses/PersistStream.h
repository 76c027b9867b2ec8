// CPersistStream: IPersistStream for a filter that saves a little state of
// its own. The stream starts with a version header of 12 UTF-16LE characters,
// the software version as "%011d " (11 digits and a space); then the derived
// class writes and reads its own data through WriteToStream and
// ReadFromStream.
//
// The class holds no IUnknown of its own: the object that derives from it
// supplies the IUnknown methods (DECLARE_IUNKNOWN) and answers
// IID_IPersistStream in its NonDelegatingQueryInterface.
#pragma once

#include <windows.h>
#include <objidl.h>

class CPersistStream : public IPersistStream {
  public:
    // clsid is what GetClassID reports.
    explicit CPersistStream(REFCLSID clsid);
    virtual ~CPersistStream() = default;

    CPersistStream(const CPersistStream&) = delete;
    CPersistStream& operator=(const CPersistStream&) = delete;

    // IPersist
    STDMETHODIMP GetClassID(CLSID* pClsid) override;

    // IPersistStream
    // S_OK when the object changed since it was last saved, else S_FALSE.
    STDMETHODIMP IsDirty() override;
    // Reads the version header (VFW_E_INVALID_FILE_FORMAT when it is
    // malformed or cut short), then ReadFromStream.
    STDMETHODIMP Load(IStream* pStm) override;
    // Writes the version header, then WriteToStream; stops at the first
    // failure. Afterwards the object is dirty exactly when fClearDirty is
    // FALSE.
    STDMETHODIMP Save(IStream* pStm, BOOL fClearDirty) override;
    // The header's 24 bytes plus SizeMax.
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pcbSize) override;

    // What a derived class saves; the defaults save nothing.
    virtual HRESULT WriteToStream(IStream* pStream);
    virtual HRESULT ReadFromStream(IStream* pStream);
    // Bytes WriteToStream writes at most.
    virtual int SizeMax();
    // The version written into the header; 0 unless overridden.
    virtual DWORD GetSoftwareVersion();

    // Bytes of the version header.
    static constexpr ULONG kHeaderBytes = 24;

  protected:
    void SetDirty(BOOL dirty) { m_dirty = dirty; }
    // The version the last Load read from its header.
    DWORD FileVersion() const { return m_fileVersion; }

  private:
    HRESULT ReadHeader(IStream* pStm);

    const CLSID m_clsid;
    BOOL m_dirty;
    DWORD m_fileVersion;
};
