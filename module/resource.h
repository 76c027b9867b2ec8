// Resource identifiers of the module.
#pragma once

#define IDR_TYPELIB 1
#define IDS_CAMERA_SOURCE 1
