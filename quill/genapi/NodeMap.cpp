#include "quill/genapi/NodeMap.h"

#include "quill/genapi/CategoryNode.h"
#include "quill/genapi/NodeHost.h"

namespace Quill {
namespace Nodes {

using namespace GenApi;

NodeMap::NodeMap(NodeHost& host, std::string deviceName) : host_(host), deviceName_(std::move(deviceName)) {}

NodeMap::~NodeMap() = default;

void NodeMap::Register(std::unique_ptr<Node> node) {
    const std::string name = node->Name();
    if (!byName_.emplace(name, node.get()).second) {
        QUILL_THROW(LogicalErrorException, "Node '" + name + "' is defined twice");
    }
    nodes_.push_back(std::move(node));
}

Node* NodeMap::Find(const std::string& name) const {
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
}

void NodeMap::MarkFeatures() {
    std::vector<CategoryNode*> pending;
    if (auto* root = dynamic_cast<CategoryNode*>(Find("Root"))) {
        pending.push_back(root);
    }
    while (!pending.empty()) {
        CategoryNode* category = pending.back();
        pending.pop_back();
        for (const std::string& name : category->FeatureNames()) {
            Node* node = Find(name);
            if (node == nullptr) {
                continue;
            }
            node->SetFeature(true);
            if (auto* child = dynamic_cast<CategoryNode*>(node)) {
                pending.push_back(child);
            }
        }
    }
}

void NodeMap::GetNodes(NodeList_t& Nodes) const {
    auto lock = host_.Enter();
    Nodes.clear();
    for (const auto& node : nodes_) {
        Nodes.push_back(node.get());
    }
}

INode* NodeMap::GetNode(const GenICam::gcstring& Name) const {
    auto lock = host_.Enter();
    return Find(Name.str());
}

void NodeMap::InvalidateNodes() const {
    // Nothing is cached: every read goes to the camera's state.
    auto lock = host_.Enter();
}

GenICam::gcstring NodeMap::GetDeviceName() {
    auto lock = host_.Enter();
    return deviceName_;
}

void NodeMap::Poll(int64_t) {
    auto lock = host_.Enter();
}

}  // namespace Nodes
}  // namespace Quill
