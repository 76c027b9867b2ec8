// The two objects whose construction prepares the environment for the camera
// SDK. They are built while the module loads, before DllMain, in this order:
// the GenICam step first, then the SDK step, so that the SDK's directory ends
// up in front of the GenICam one in PATH. Their priority puts them ahead of
// every other static object of the module (the camera layer's process-wide
// lock comes next), whatever order the linker gives the object files.
#include "module/EnvironmentBootstrap.h"

namespace {

struct GenICamEnvironment {
    GenICamEnvironment() { Bootstrap::SetUpGenICamEnvironment(); }
};

struct QuillEnvironment {
    QuillEnvironment() { Bootstrap::SetUpQuillEnvironment(); }
};

GenICamEnvironment g_genICamEnvironment __attribute__((init_priority(1000)));
QuillEnvironment g_quillEnvironment __attribute__((init_priority(1001)));

}  // namespace
