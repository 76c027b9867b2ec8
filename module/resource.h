// Resource identifiers of the module.
#pragma once

#define IDR_TYPELIB 1
#define IDS_CAMERA_SOURCE 1

// The "Camera Setup" page: its dialog and the dialog's controls.
#define IDD_CAMERA_SETUP 101
#define IDC_USER_LEVEL 103
#define IDC_CAMERA_LIST 1001
#define IDC_CONFIG_FRAME 1002
