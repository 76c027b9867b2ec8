#include "quill/genapi/CategoryNode.h"

#include "quill/genapi/NodeMap.h"

namespace Quill {
namespace Nodes {

namespace {

NodeInfo AsCategory(NodeInfo info) {
    info.access = GenApi::RO;
    return info;
}

}  // namespace

CategoryNode::CategoryNode(NodeMap& map, NodeInfo info, std::vector<std::string> featureNames)
    : Node(map, AsCategory(std::move(info))), featureNames_(std::move(featureNames)) {}

void CategoryNode::GetFeatures(GenApi::FeatureList_t& Features) const {
    auto lock = Enter();
    Features.clear();
    for (const std::string& name : featureNames_) {
        if (auto* value = dynamic_cast<GenApi::IValue*>(Map().Find(name))) {
            Features.push_back(value);
        }
    }
}

GenICam::gcstring CategoryNode::ToString(bool, bool) {
    auto lock = Enter();
    return GenICam::gcstring();
}

void CategoryNode::FromString(const GenICam::gcstring&, bool) {
    auto lock = Enter();
    QUILL_THROW(AccessException, "Node '" + Name() + "' is a category and holds no value");
}

}  // namespace Nodes
}  // namespace Quill
