// Operations on GenICam nodes with everything taken from the fuzzer's input:
// node names (real ones, near misses, any bytes), the interface a node is used
// through, values (extremes, NaN, infinities, strings that almost parse),
// enumeration entries and commands. A refusal must be an exception of the
// GenericException family, which reaches the caller.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "quill/Quill.h"

namespace fuzzing {

// Reports a fault of the SDK and stops the run.
[[noreturn]] void Fail(const char* what);

// A node name: one of the camera's, a near miss, or any bytes.
std::string NodeName(FuzzedDataProvider& input);

// One operation on a node (which may be null) through one of its interfaces,
// or through one it lacks.
void UseNode(FuzzedDataProvider& input, GenApi::INode* node);

}  // namespace fuzzing
