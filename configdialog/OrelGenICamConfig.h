// The GenICam feature dialog library, OrelGenICamConfig.dll, as its clients see
// it: two exports reached by ordinal and a plain (non-COM) dialog object whose
// operations stand in a fixed order. Clients call the operations by position,
// so the order below is the library's binary contract: append, never reorder.
#pragma once

#include <windows.h>
#include <cstdint>

struct IKorvelGenICamSource;

class IOrelGenICamConfigDialog {
public:
    // 1: the version of this contract (kOrelGenICamConfigVersion).
    virtual int32_t GetInterfaceVersion() = 0;
    // 2: the dialog's own window while attached, else null.
    virtual HWND GetWindow() = 0;
    // 3: creates the dialog as a child filling `parent` (null destroys it and
    // detaches). 0 on success.
    virtual int32_t AttachWindow(HWND parent) = 0;
    // 4: re-reads every shown feature from the camera. 0 on success.
    virtual int32_t Refresh() = 0;
    // 5: the filter whose active device the dialog edits (null forgets it).
    // The dialog holds one reference while it has a source. 0 on success.
    virtual int32_t SetSource(IKorvelGenICamSource* source) = 0;
    // 6: 0 Beginner, 1 Expert, 2 Guru; other values are refused (non-zero).
    virtual int32_t SetUserLevel(int32_t level) = 0;
    // 7: the current user level, 0 to 2.
    virtual int32_t GetUserLevel() = 0;

protected:
    // Destroyed only through ordinal 2.
    ~IOrelGenICamConfigDialog() = default;
};

constexpr int32_t kOrelGenICamConfigVersion = 1;

// Ordinal 1: creates a dialog object into *dialog; 0 on success (and a
// non-null object), non-zero with *dialog null otherwise.
typedef int32_t(WINAPI* OrelCreateConfigDialogFn)(IOrelGenICamConfigDialog** dialog);
// Ordinal 2: destroys a dialog object (detaching it first if needed); null is
// ignored.
typedef void(WINAPI* OrelDestroyConfigDialogFn)(IOrelGenICamConfigDialog* dialog);

constexpr WORD kOrelCreateConfigDialogOrdinal = 1;
constexpr WORD kOrelDestroyConfigDialogOrdinal = 2;
