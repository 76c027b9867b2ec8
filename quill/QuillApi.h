// Entry points of QuillBase. On Windows the DLL exports exactly these through
// QuillBase.def; everything else a caller uses is an interface reached from them.
#pragma once

#if defined(_WIN32) && !defined(QUILL_BUILDING_DLL) && !defined(QUILL_STATIC)
#define QUILL_API __declspec(dllimport)
#else
#define QUILL_API
#endif

namespace Quill {
class CTlFactory;
namespace Emulation {
class IEmulationControl;
}  // namespace Emulation
}  // namespace Quill

extern "C" {
// The process-wide transport-layer factory.
QUILL_API Quill::CTlFactory* QuillTlFactoryInstance();
// Control of the emulated cameras that stand in for hardware.
QUILL_API Quill::Emulation::IEmulationControl* QuillEmulationControl();
}
