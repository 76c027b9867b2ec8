#include "quill/emulation/EmulatedTlFactory.h"

#include "quill/emulation/EmulatedTransportLayer.h"
#include "quill/emulation/EmulationWorld.h"

namespace Quill {
namespace Emulation {

int EmulatedTlFactory::EnumerateTls(TlInfoList& list) {
    list.clear();
    for (EmulatedTransportLayer* layer : world_.ActiveTransports()) {
        list.push_back(layer->GetTlInfo());
    }
    return int(list.size());
}

ITransportLayer* EmulatedTlFactory::CreateTl(const CTlInfo& info) {
    for (EmulatedTransportLayer* layer : world_.ActiveTransports()) {
        const TransportProfile profile = layer->Profile();
        const bool named = info.GetTlName() == profile.name.c_str() ||
                           (info.GetTlName().empty() && info.GetFullName() == profile.name.c_str());
        if (named) {
            return profile.failCreate ? nullptr : layer;
        }
    }
    return nullptr;
}

void EmulatedTlFactory::ReleaseTl(ITransportLayer*) {}

}  // namespace Emulation
}  // namespace Quill
