#include "quill/genapi/StringNode.h"

namespace Quill {
namespace Nodes {

namespace {

constexpr int64_t kMaxLength = 64;

NodeInfo ReadOnly(NodeInfo info) {
    if (info.access != GenApi::NI) {
        info.access = GenApi::RO;
    }
    return info;
}

}  // namespace

StringNode::StringNode(NodeMap& map, NodeInfo info, std::function<std::string()> get)
    : Node(map, ReadOnly(std::move(info))), get_(std::move(get)) {}

void StringNode::SetValue(const GenICam::gcstring& Value, bool) {
    auto lock = Enter();
    CheckWrite([&] { return get_() == Value.str(); });
}

GenICam::gcstring StringNode::GetValue(bool, bool) {
    auto lock = Enter();
    RequireReadable();
    return get_();
}

int64_t StringNode::GetMaxLength() {
    auto lock = Enter();
    RequireAvailable();
    return kMaxLength;
}

GenICam::gcstring StringNode::ToString(bool Verify, bool IgnoreCache) {
    return GetValue(Verify, IgnoreCache);
}

void StringNode::FromString(const GenICam::gcstring& ValueStr, bool Verify) {
    SetValue(ValueStr, Verify);
}

}  // namespace Nodes
}  // namespace Quill
