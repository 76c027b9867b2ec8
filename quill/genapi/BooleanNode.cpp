#include "quill/genapi/BooleanNode.h"

#include "quill/genapi/NodeHost.h"

namespace Quill {
namespace Nodes {

BooleanNode::BooleanNode(NodeMap& map, NodeInfo info, BooleanBinding binding)
    : Node(map, std::move(info)), binding_(std::move(binding)) {}

void BooleanNode::SetValue(bool Value, bool) {
    auto lock = Enter();
    SetLocked(Value);
}

void BooleanNode::SetLocked(bool value) {
    if (!CheckWrite([&] { return binding_.get && binding_.get() == value; })) {
        return;
    }
    binding_.set(value);
    Host().NodeWritten();
}

bool BooleanNode::GetValue(bool, bool) const {
    auto lock = Enter();
    RequireReadable();
    return binding_.get();
}

GenICam::gcstring BooleanNode::ToString(bool, bool) {
    auto lock = Enter();
    RequireReadable();
    return binding_.get() ? "true" : "false";
}

void BooleanNode::FromString(const GenICam::gcstring& ValueStr, bool) {
    auto lock = Enter();
    const std::string& text = ValueStr.str();
    if (text == "true" || text == "1" || text == "True") {
        SetLocked(true);
    } else if (text == "false" || text == "0" || text == "False") {
        SetLocked(false);
    } else {
        QUILL_THROW(InvalidArgumentException,
                    "Node '" + Name() + "' cannot take '" + text + "': not a boolean");
    }
}

}  // namespace Nodes
}  // namespace Quill
