#include "quill/genapi/CommandNode.h"

#include "quill/genapi/NodeHost.h"

namespace Quill {
namespace Nodes {

namespace {

NodeInfo WriteOnly(NodeInfo info) {
    if (info.access != GenApi::NI && !info.dynamicAccess) {
        info.access = GenApi::WO;
    }
    return info;
}

}  // namespace

CommandNode::CommandNode(NodeMap& map, NodeInfo info, std::function<void()> action)
    : Node(map, WriteOnly(std::move(info))), action_(std::move(action)) {}

void CommandNode::Execute(bool) {
    auto lock = Enter();
    CheckWrite(nullptr);
    action_();
    Host().NodeWritten();
}

bool CommandNode::IsDone(bool) {
    auto lock = Enter();
    RequireAvailable();
    // Every action completes inside Execute.
    return true;
}

GenICam::gcstring CommandNode::ToString(bool, bool) {
    auto lock = Enter();
    QUILL_THROW(AccessException, "Node '" + Name() + "' is a command and holds no value");
}

void CommandNode::FromString(const GenICam::gcstring&, bool) {
    auto lock = Enter();
    QUILL_THROW(AccessException, "Node '" + Name() + "' is a command: use Execute");
}

}  // namespace Nodes
}  // namespace Quill
