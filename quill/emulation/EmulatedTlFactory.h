// CTlFactory over the emulated transport layers.
#pragma once

#include "quill/TransportLayer.h"

namespace Quill {
namespace Emulation {

class EmulationWorld;

class EmulatedTlFactory : public CTlFactory {
  public:
    explicit EmulatedTlFactory(EmulationWorld& world) : world_(world) {}

    int EnumerateTls(TlInfoList& list) override;
    // The same layer object for every call; null when the layer is unknown or
    // cannot be created.
    ITransportLayer* CreateTl(const CTlInfo& info) override;
    // Layers are shared and outlive every user, so giving one back changes nothing.
    void ReleaseTl(ITransportLayer* layer) override;

  private:
    EmulationWorld& world_;
};

}  // namespace Emulation
}  // namespace Quill
