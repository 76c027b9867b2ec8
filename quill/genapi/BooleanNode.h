// A feature that is on or off.
#pragma once

#include <functional>

#include "quill/genapi/Node.h"

namespace Quill {
namespace Nodes {

struct BooleanBinding {
    std::function<bool()> get;
    std::function<void(bool)> set;
};

class BooleanNode : public Node, public GenApi::IBoolean {
  public:
    BooleanNode(NodeMap& map, NodeInfo info, BooleanBinding binding);

    void SetValue(bool Value, bool Verify = true) override;
    bool GetValue(bool Verify = false, bool IgnoreCache = false) const override;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIBoolean; }
    GenApi::INode* GetNode() override { return this; }
    GenICam::gcstring ToString(bool Verify = false, bool IgnoreCache = false) override;
    void FromString(const GenICam::gcstring& ValueStr, bool Verify = true) override;

    using GenApi::IBoolean::operator=;

  private:
    void SetLocked(bool value);

    BooleanBinding binding_;
};

}  // namespace Nodes
}  // namespace Quill
