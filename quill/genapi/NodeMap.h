// Owns the nodes of one feature tree and finds them by name.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "quill/GenApi.h"
#include "quill/genapi/Node.h"

namespace Quill {
namespace Nodes {

class NodeHost;

class NodeMap : public GenApi::INodeMap {
  public:
    NodeMap(NodeHost& host, std::string deviceName);
    ~NodeMap() override;
    NodeMap(const NodeMap&) = delete;
    NodeMap& operator=(const NodeMap&) = delete;

    // Creates a node of type T with (this map, args...) and takes it over.
    template <class T, class... Args>
    T& Add(Args&&... args) {
        auto node = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T& added = *node;
        Register(std::move(node));
        return added;
    }

    // Lookup without the host lock, for the map's own nodes.
    Node* Find(const std::string& name) const;
    NodeHost& Host() const { return host_; }
    // Marks every node reachable from the category "Root" as a feature.
    void MarkFeatures();

    void GetNodes(GenApi::NodeList_t& Nodes) const override;
    GenApi::INode* GetNode(const GenICam::gcstring& Name) const override;
    void InvalidateNodes() const override;
    GenICam::gcstring GetDeviceName() override;
    void Poll(int64_t ElapsedTime) override;

  private:
    void Register(std::unique_ptr<Node> node);

    NodeHost& host_;
    std::string deviceName_;
    std::vector<std::unique_ptr<Node>> nodes_;
    std::map<std::string, Node*> byName_;
};

}  // namespace Nodes
}  // namespace Quill
