// The camera SDK: transport layers, devices, stream grabbers and the feature
// interface, plus control of the emulated cameras.
#pragma once

#include "quill/GenICam.h"
#include "quill/GenApi.h"
#include "quill/QuillApi.h"
#include "quill/DeviceInfo.h"
#include "quill/GrabTypes.h"
#include "quill/DeviceCallback.h"
#include "quill/StreamGrabber.h"
#include "quill/QuillDevice.h"
#include "quill/TransportLayer.h"
#include "quill/EmulationControl.h"
