#include "quill/emulation/EmulatedChunkParser.h"

#include <limits>
#include <string>
#include <vector>

#include "quill/emulation/EmulatedDevice.h"
#include "quill/genapi/CategoryNode.h"
#include "quill/genapi/IntegerNode.h"

namespace Quill {
namespace Emulation {

using namespace GenApi;

EmulatedChunkParser::EmulatedChunkParser(EmulatedDevice& device)
    : device_(device), nodeMap_(*this, device.FullName() + " chunks") {
    auto addChunk = [this](const char* name, const char* displayName, const char* description,
                           uint64_t ChunkValues::*field) {
        Nodes::NodeInfo info;
        info.name = name;
        info.displayName = displayName;
        info.description = description;
        info.access = RO;
        // Readable only while a buffer that carries chunks is attached.
        info.dynamicAccess = [this] { return attached_ ? RO : NA; };
        nodeMap_.Add<Nodes::IntegerNode>(
            info, Nodes::IntegerBinding{[this, field] { return int64_t(values_.*field); }, [](int64_t) {},
                                        [] { return int64_t(0); },
                                        [] { return std::numeric_limits<int64_t>::max(); }, nullptr});
    };
    addChunk("ChunkFramecounter", "Frame Counter",
             "Number of the frame, counted by the camera since it was opened.", &ChunkValues::frameCounter);
    addChunk("ChunkTimestamp", "Time Stamp",
             "Time, in nanoseconds since the camera was opened, the frame was made.",
             &ChunkValues::timestamp);
    Nodes::NodeInfo root;
    root.name = "Root";
    root.displayName = "Chunk Data";
    nodeMap_.Add<Nodes::CategoryNode>(root, std::vector<std::string>{"ChunkFramecounter", "ChunkTimestamp"});
    nodeMap_.MarkFeatures();
}

std::unique_lock<std::mutex> EmulatedChunkParser::Enter() const {
    return device_.EnterChecked();
}

void EmulatedChunkParser::AttachBuffer(const void* buffer, int64_t bufferSize, void*) {
    auto lock = Enter();
    if (buffer == nullptr || bufferSize <= 0) {
        QUILL_THROW(InvalidArgumentException, "AttachBuffer: the buffer is null or empty");
    }
    // A payload without chunks is no error: the chunk features are then unavailable.
    ChunkValues values;
    attached_ = ChunkTrailer::Parse(static_cast<const uint8_t*>(buffer), size_t(bufferSize), values);
    values_ = attached_ ? values : ChunkValues();
}

void EmulatedChunkParser::DetachBuffer() {
    auto lock = Enter();
    attached_ = false;
    values_ = ChunkValues();
}

GenApi::INodeMap* EmulatedChunkParser::GetChunkNodeMap() {
    auto lock = Enter();
    return &nodeMap_;
}

}  // namespace Emulation
}  // namespace Quill
