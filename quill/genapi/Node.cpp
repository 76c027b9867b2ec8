#include "quill/genapi/Node.h"

#include "quill/genapi/NodeHost.h"
#include "quill/genapi/NodeMap.h"

namespace Quill {
namespace Nodes {

using namespace GenApi;

Node::Node(NodeMap& map, NodeInfo info) : map_(map), info_(std::move(info)) {
    if (info_.displayName.empty()) {
        info_.displayName = info_.name;
    }
}

EAccessMode Node::GetAccessMode() const {
    auto lock = Enter();
    return AccessLocked();
}

GenICam::gcstring Node::GetName(bool) const {
    auto lock = Enter();
    return info_.name;
}

GenICam::gcstring Node::GetDisplayName() const {
    auto lock = Enter();
    return info_.displayName;
}

GenICam::gcstring Node::GetDescription() const {
    auto lock = Enter();
    return info_.description;
}

GenICam::gcstring Node::GetToolTip() const {
    auto lock = Enter();
    // The first sentence of the description serves as the tool tip.
    const size_t end = info_.description.find(". ");
    return end == std::string::npos ? info_.description : info_.description.substr(0, end + 1);
}

EVisibility Node::GetVisibility() const {
    auto lock = Enter();
    return info_.visibility;
}

bool Node::IsFeature() const {
    auto lock = Enter();
    return feature_;
}

INodeMap* Node::GetNodeMap() const {
    auto lock = Enter();
    return &map_;
}

std::unique_lock<std::mutex> Node::Enter() const {
    return map_.Host().Enter();
}

NodeHost& Node::Host() const {
    return map_.Host();
}

EAccessMode Node::AccessLocked() const {
    if (info_.access == NI) {
        return NI;
    }
    if (!Host().NodesReachable()) {
        return NA;
    }
    const EAccessMode mode = info_.dynamicAccess ? info_.dynamicAccess() : info_.access;
    if (mode == RW && info_.lockable && Host().ParametersLocked()) {
        return RO;
    }
    return mode;
}

std::string Node::AccessProblem(EAccessMode mode, const char* wanted) const {
    const std::string node = "Node '" + info_.name + "'";
    if (mode == NI) {
        return node + " is not implemented by this camera";
    }
    if (!Host().NodesReachable()) {
        return node + " cannot be reached: the device is not open";
    }
    return node + " is not " + wanted + " (access mode " + AccessModeName(mode) + ")";
}

void Node::RequireReadable() const {
    const EAccessMode mode = AccessLocked();
    if (!IsReadable(mode)) {
        QUILL_THROW(AccessException, AccessProblem(mode, "readable"));
    }
}

void Node::RequireAvailable() const {
    const EAccessMode mode = AccessLocked();
    if (!IsAvailable(mode)) {
        QUILL_THROW(AccessException, AccessProblem(mode, "available"));
    }
}

bool Node::CheckWrite(const std::function<bool()>& unchanged) const {
    const EAccessMode mode = AccessLocked();
    if (IsWritable(mode)) {
        return true;
    }
    if (mode == RO && info_.lockable && Host().ParametersLocked()) {
        // Writing back the value already set is harmless while grabbing.
        if (unchanged && unchanged()) {
            return false;
        }
        QUILL_THROW(AccessException, "Node '" + info_.name +
                                         "' cannot be changed while the stream grabber is prepared for "
                                         "grabbing (TLParamsLocked = 1)");
    }
    QUILL_THROW(AccessException, AccessProblem(mode, "writable"));
}

void Node::RefuseValue(bool verify, const std::string& reason) const {
    if (verify) {
        QUILL_THROW(OutOfRangeException, reason);
    }
    QUILL_THROW(RuntimeException, "The camera refused the write: " + reason);
}

}  // namespace Nodes
}  // namespace Quill
