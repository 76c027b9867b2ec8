// The exported entry points of QuillBase.
#include "quill/QuillApi.h"
#include "quill/emulation/EmulatedTlFactory.h"
#include "quill/emulation/EmulationControl.h"
#include "quill/emulation/EmulationWorld.h"

extern "C" {

Quill::CTlFactory* QuillTlFactoryInstance() {
    // Made on first use and never destroyed, like the world it serves.
    static Quill::Emulation::EmulatedTlFactory* factory =
        new Quill::Emulation::EmulatedTlFactory(Quill::Emulation::EmulationWorld::Instance());
    return factory;
}

Quill::Emulation::IEmulationControl* QuillEmulationControl() {
    static Quill::Emulation::EmulationControl* control =
        new Quill::Emulation::EmulationControl(Quill::Emulation::EmulationWorld::Instance());
    return control;
}

}  // extern "C"
