// The feature helpers: read or write one GenICam feature of a node map by name
// and turn every outcome into an HRESULT. No GenICam exception leaves them.
//
// Common answers: E_NOTIMPL for a feature that is missing or not implemented
// (access mode NI) and for any GenICam exception (a value the camera refuses,
// a feature that is not readable or writable just now); E_INVALIDARG for a
// null node map or feature name; E_POINTER for a null out pointer where the
// value is not optional. Writes and command executions are always verified.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "quill/GenApi.h"

// Value, minimum, maximum and increment of an integer feature, each written
// only when its pointer is given. A node that is not an integer: E_FAIL.
HRESULT GetIntegerFeature(GenApi::INodeMap* nodeMap, const char* name, int64_t* value,
                          int64_t* minimum = nullptr, int64_t* maximum = nullptr,
                          int64_t* increment = nullptr);
// A node that is not an integer: E_INVALIDARG.
HRESULT SetIntegerFeature(GenApi::INodeMap* nodeMap, const char* name, int64_t value);

// Value, minimum and maximum of a float feature, each written only when its
// pointer is given. A node that is not a float: E_FAIL.
HRESULT GetFloatFeature(GenApi::INodeMap* nodeMap, const char* name, double* value, double* minimum = nullptr,
                        double* maximum = nullptr);
// A node that is not a float: E_INVALIDARG.
HRESULT SetFloatFeature(GenApi::INodeMap* nodeMap, const char* name, double value);

// A node that is not a boolean: E_FAIL.
HRESULT GetBooleanFeature(GenApi::INodeMap* nodeMap, const char* name, bool* value);
// A node that is not a boolean: E_INVALIDARG.
HRESULT SetBooleanFeature(GenApi::INodeMap* nodeMap, const char* name, bool value);

// The command node itself; the caller executes it (with verification). A node
// that is not a command: E_FAIL.
HRESULT GetCommandFeature(GenApi::INodeMap* nodeMap, const char* name, GenApi::ICommand** command);

// Enumerations. A node that is not an enumeration: E_FAIL.
HRESULT GetEnumerationValue(GenApi::INodeMap* nodeMap, const char* name, int64_t* value);
HRESULT SetEnumerationValue(GenApi::INodeMap* nodeMap, const char* name, int64_t value);
// The symbolic name of the current entry.
HRESULT GetEnumerationString(GenApi::INodeMap* nodeMap, const char* name, GenICam::gcstring* value);
HRESULT SetEnumerationString(GenApi::INodeMap* nodeMap, const char* name, const char* value);
// Integer values and symbolic names of the entries that are implemented and
// available, in the node's order. The list is emptied first.
HRESULT GetEnumerationValues(GenApi::INodeMap* nodeMap, const char* name, std::vector<int64_t>* values);
HRESULT GetEnumerationEntries(GenApi::INodeMap* nodeMap, const char* name, GenICam::gcstring_vector* entries);
