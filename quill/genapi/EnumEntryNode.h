// One entry of an enumeration feature.
#pragma once

#include <cstdint>
#include <string>

#include "quill/genapi/Node.h"

namespace Quill {
namespace Nodes {

class EnumEntryNode : public Node, public GenApi::IEnumEntry {
  public:
    // info.name is the node name (EnumEntry_<Feature>_<Symbolic>).
    EnumEntryNode(NodeMap& map, NodeInfo info, std::string symbolic, int64_t value);

    int64_t GetValue() override;
    GenICam::gcstring GetSymbolic() const override;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIEnumEntry; }
    GenApi::INode* GetNode() override { return this; }
    GenICam::gcstring ToString(bool Verify = false, bool IgnoreCache = false) override;
    void FromString(const GenICam::gcstring& ValueStr, bool Verify = true) override;

    const std::string& Symbolic() const { return symbolic_; }
    int64_t Value() const { return value_; }
    bool AvailableLocked() const { return GenApi::IsAvailable(AccessLocked()); }

  private:
    std::string symbolic_;
    int64_t value_;
};

}  // namespace Nodes
}  // namespace Quill
