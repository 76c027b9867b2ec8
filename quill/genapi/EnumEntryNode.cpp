#include "quill/genapi/EnumEntryNode.h"

namespace Quill {
namespace Nodes {

namespace {

NodeInfo ReadOnly(NodeInfo info) {
    if (info.access != GenApi::NI) {
        info.access = GenApi::RO;
    }
    return info;
}

}  // namespace

EnumEntryNode::EnumEntryNode(NodeMap& map, NodeInfo info, std::string symbolic, int64_t value)
    : Node(map, ReadOnly(std::move(info))), symbolic_(std::move(symbolic)), value_(value) {}

int64_t EnumEntryNode::GetValue() {
    auto lock = Enter();
    return value_;
}

GenICam::gcstring EnumEntryNode::GetSymbolic() const {
    auto lock = Enter();
    return symbolic_;
}

GenICam::gcstring EnumEntryNode::ToString(bool, bool) {
    auto lock = Enter();
    return symbolic_;
}

void EnumEntryNode::FromString(const GenICam::gcstring&, bool) {
    auto lock = Enter();
    QUILL_THROW(AccessException, "Node '" + Name() + "' is an enumeration entry and cannot be written");
}

}  // namespace Nodes
}  // namespace Quill
