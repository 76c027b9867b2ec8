// What a node map needs from the object that owns its state (a device, a
// stream grabber, a chunk parser): the lock that guards the state and the
// conditions that change every node's access mode.
#pragma once

#include <mutex>

namespace Quill {
namespace Nodes {

class NodeHost {
  public:
    // Locks the state behind the nodes. Throws RuntimeException when the
    // device behind them has been removed.
    virtual std::unique_lock<std::mutex> Enter() const = 0;
    // False while the nodes cannot be reached (a closed device); they report NA.
    virtual bool NodesReachable() const = 0;
    // True while nodes marked lockable are read-only.
    virtual bool ParametersLocked() const = 0;
    // Called, with the lock held, after every successful write or command.
    virtual void NodeWritten() = 0;

  protected:
    ~NodeHost() = default;
};

}  // namespace Nodes
}  // namespace Quill
