// Builds the feature tree of an emulated device over its camera's state.
#pragma once

#include <memory>
#include <string>

#include "quill/genapi/NodeMap.h"

namespace Quill {
namespace Nodes {
class NodeHost;
}  // namespace Nodes

namespace Emulation {

class EmulatedCamera;

class DeviceFeatures {
  public:
    // Called with the camera's lock held. Features the profile lists as
    // missing are left out; those listed as not implemented report NI.
    static std::unique_ptr<Nodes::NodeMap> Build(Nodes::NodeHost& host, EmulatedCamera& camera,
                                                 const std::string& deviceName);
};

}  // namespace Emulation
}  // namespace Quill
