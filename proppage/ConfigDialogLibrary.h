// The configuration dialog library OrelGenICamConfig.dll as the page uses it:
// loaded on first use from the folder of the module that holds the page (then
// by name through the usual search), its two exports reached by ordinal. A
// library that is missing, or lacks either export, creates no dialog; the
// page then shows an empty frame.
#pragma once

#include <windows.h>

#include "configdialog/OrelGenICamConfig.h"

class ConfigDialogLibrary {
  public:
    ConfigDialogLibrary() = default;
    ~ConfigDialogLibrary();
    ConfigDialogLibrary(const ConfigDialogLibrary&) = delete;
    ConfigDialogLibrary& operator=(const ConfigDialogLibrary&) = delete;

    // Ordinal 1: a new dialog object, or null when the library is missing,
    // lacks an export, reports failure or hands out no object.
    IOrelGenICamConfigDialog* CreateDialogObject();
    // Ordinal 2. Only objects that CreateDialogObject gave out come here.
    void DestroyDialogObject(IOrelGenICamConfigDialog* dialog);

  private:
    bool Load();

    HMODULE m_module = nullptr;
    OrelCreateConfigDialogFn m_create = nullptr;
    OrelDestroyConfigDialogFn m_destroy = nullptr;
};
