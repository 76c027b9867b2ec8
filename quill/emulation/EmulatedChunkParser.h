// Reads the chunk trailer of a payload into the chunk node map.
#pragma once

#include <cstdint>
#include <mutex>

#include "quill/StreamGrabber.h"
#include "quill/emulation/ChunkTrailer.h"
#include "quill/genapi/NodeHost.h"
#include "quill/genapi/NodeMap.h"

namespace Quill {
namespace Emulation {

class EmulatedDevice;

class EmulatedChunkParser : public IChunkParser, private Nodes::NodeHost {
  public:
    explicit EmulatedChunkParser(EmulatedDevice& device);

    void AttachBuffer(const void* buffer, int64_t bufferSize, void* statistics = nullptr) override;
    void DetachBuffer() override;
    GenApi::INodeMap* GetChunkNodeMap() override;

  private:
    std::unique_lock<std::mutex> Enter() const override;
    bool NodesReachable() const override { return true; }
    bool ParametersLocked() const override { return false; }
    void NodeWritten() override {}

    EmulatedDevice& device_;
    bool attached_ = false;
    ChunkValues values_;
    Nodes::NodeMap nodeMap_;
};

}  // namespace Emulation
}  // namespace Quill
