// The feature interface of a camera: node map, typed nodes and checked pointers.
#pragma once

#include "quill/GenApiTypes.h"
#include "quill/GenApiInterfaces.h"
#include "quill/GenApiPointer.h"
