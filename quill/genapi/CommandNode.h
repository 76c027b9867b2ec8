// A feature that makes the camera do something (start, stop, trigger).
#pragma once

#include <functional>

#include "quill/genapi/Node.h"

namespace Quill {
namespace Nodes {

class CommandNode : public Node, public GenApi::ICommand {
  public:
    // The action runs with the host lock held; it may throw to refuse.
    CommandNode(NodeMap& map, NodeInfo info, std::function<void()> action);

    void Execute(bool Verify = true) override;
    bool IsDone(bool Verify = true) override;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfICommand; }
    GenApi::INode* GetNode() override { return this; }
    GenICam::gcstring ToString(bool Verify = false, bool IgnoreCache = false) override;
    void FromString(const GenICam::gcstring& ValueStr, bool Verify = true) override;

  private:
    std::function<void()> action_;
};

}  // namespace Nodes
}  // namespace Quill
