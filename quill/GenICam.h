// Base types shared by the camera SDK and its feature interface.
#pragma once

#include "quill/GCString.h"
#include "quill/GCException.h"
