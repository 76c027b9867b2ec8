// The common part of every node: identity, description and access mode.
#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "quill/GenApi.h"

namespace Quill {
namespace Nodes {

class NodeHost;
class NodeMap;

struct NodeInfo {
    std::string name;
    std::string displayName;
    std::string description;
    std::string unit;
    GenApi::EVisibility visibility = GenApi::Beginner;
    // The access the node has while reachable; NI marks a feature the camera
    // does not implement.
    GenApi::EAccessMode access = GenApi::RW;
    // Evaluated under the host lock instead of 'access' when set.
    std::function<GenApi::EAccessMode()> dynamicAccess;
    // Read-only while the host's parameters are locked.
    bool lockable = false;
};

class Node : public virtual GenApi::INode {
  public:
    Node(NodeMap& map, NodeInfo info);
    ~Node() override = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    GenApi::EAccessMode GetAccessMode() const override;
    GenICam::gcstring GetName(bool FullQualified = false) const override;
    GenICam::gcstring GetDisplayName() const override;
    GenICam::gcstring GetDescription() const override;
    GenICam::gcstring GetToolTip() const override;
    GenApi::EVisibility GetVisibility() const override;
    bool IsFeature() const override;
    GenApi::INodeMap* GetNodeMap() const override;

    const std::string& Name() const { return info_.name; }
    void SetFeature(bool feature) { feature_ = feature; }

  protected:
    std::unique_lock<std::mutex> Enter() const;
    NodeHost& Host() const;
    NodeMap& Map() const { return map_; }
    const NodeInfo& Info() const { return info_; }

    // The following run with the host lock held.
    GenApi::EAccessMode AccessLocked() const;
    void RequireReadable() const;
    void RequireAvailable() const;
    // Throws AccessException unless the node is writable. Gives false when the
    // write is to be skipped: the node is locked and the value is unchanged.
    bool CheckWrite(const std::function<bool()>& unchanged) const;
    // A value the camera cannot take: OutOfRangeException when verifying,
    // otherwise the camera's own refusal as RuntimeException.
    [[noreturn]] void RefuseValue(bool verify, const std::string& reason) const;

  private:
    std::string AccessProblem(GenApi::EAccessMode mode, const char* wanted) const;

    NodeMap& map_;
    NodeInfo info_;
    bool feature_ = false;
};

}  // namespace Nodes
}  // namespace Quill
