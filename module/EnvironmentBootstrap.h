// Preparing the process environment for the delay-loaded camera SDK and the
// GenICam libraries: their directories in front of PATH, the GenICam root and
// XML cache variables. Each step runs once per process; a marker variable
// records that it ran, so a second module of our kind in the process (or a
// child process that inherits the environment) leaves it alone.
//
// The two steps run from static objects of the module (BootstrapObjects.cpp)
// while the module is being loaded, before DllMain and before anything can
// call into the SDK. Trace lines go to the debugger output, and only while
// Scroll Lock is on, so a user can ask a running application for them.
#pragma once

namespace Bootstrap {

// Puts root + suffix + ";" in front of PATH (or makes that PATH when there is
// none). False, with PATH untouched, when the result would not fit into an
// environment value.
bool PrependToPath(const char* root, const char* suffix);

// From QUILL_GENICAM_ROOT: GENICAM_ROOT_V2_0, the GenICam binaries in PATH and
// GENICAM_CACHE_V2_0; marker GENICAM_LOCAL_ENVIRONMENT_IS_SETUP.
void SetUpGenICamEnvironment();

// From QUILL_ROOT: the SDK binaries in PATH; marker
// QUILL_LOCAL_ENVIRONMENT_IS_SETUP.
void SetUpQuillEnvironment();

}  // namespace Bootstrap
