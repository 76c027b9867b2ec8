#include "quill/genapi/EnumerationNode.h"

#include "quill/genapi/NodeHost.h"
#include "quill/genapi/NodeMap.h"

namespace Quill {
namespace Nodes {

EnumerationNode::EnumerationNode(NodeMap& map, NodeInfo info, const std::vector<EnumEntryDefinition>& entries,
                                 EnumerationBinding binding)
    : Node(map, info), binding_(std::move(binding)) {
    for (const EnumEntryDefinition& definition : entries) {
        NodeInfo entryInfo;
        entryInfo.name = "EnumEntry_" + info.name + "_" + definition.symbolic;
        entryInfo.displayName = definition.displayName.empty() ? definition.symbolic : definition.displayName;
        entryInfo.description = definition.description;
        entryInfo.visibility = info.visibility;
        entries_.push_back(
            &map.Add<EnumEntryNode>(std::move(entryInfo), definition.symbolic, definition.value));
    }
}

EnumEntryNode* EnumerationNode::FindByName(const std::string& symbolic) const {
    for (EnumEntryNode* entry : entries_) {
        if (entry->Symbolic() == symbolic) {
            return entry;
        }
    }
    return nullptr;
}

EnumEntryNode* EnumerationNode::FindByValue(int64_t value) const {
    for (EnumEntryNode* entry : entries_) {
        if (entry->Value() == value) {
            return entry;
        }
    }
    return nullptr;
}

void EnumerationNode::GetSymbolics(GenApi::StringList_t& Symbolics) {
    auto lock = Enter();
    Symbolics.clear();
    for (EnumEntryNode* entry : entries_) {
        if (entry->AvailableLocked()) {
            Symbolics.push_back(entry->Symbolic());
        }
    }
}

void EnumerationNode::GetEntries(GenApi::NodeList_t& Entries) {
    auto lock = Enter();
    Entries.clear();
    for (EnumEntryNode* entry : entries_) {
        Entries.push_back(entry);
    }
}

void EnumerationNode::SetEntryLocked(EnumEntryNode* entry, int64_t value, bool verify) {
    if (!CheckWrite([&] { return binding_.get && binding_.get() == value; })) {
        return;
    }
    if (entry == nullptr) {
        RefuseValue(verify, "Value " + std::to_string(value) + " is not an entry of node '" + Name() + "'");
    }
    if (!entry->AvailableLocked()) {
        QUILL_THROW(AccessException, "Entry '" + entry->Symbolic() + "' of node '" + Name() +
                                         "' is not available on this camera");
    }
    binding_.set(value);
    Host().NodeWritten();
}

void EnumerationNode::SetIntValue(int64_t Value, bool Verify) {
    auto lock = Enter();
    SetEntryLocked(FindByValue(Value), Value, Verify);
}

int64_t EnumerationNode::GetIntValue(bool, bool) {
    auto lock = Enter();
    RequireReadable();
    return binding_.get();
}

GenApi::IEnumEntry* EnumerationNode::GetEntryByName(const GenICam::gcstring& Symbolic) {
    auto lock = Enter();
    return FindByName(Symbolic.str());
}

GenApi::IEnumEntry* EnumerationNode::GetEntry(int64_t IntValue) {
    auto lock = Enter();
    return FindByValue(IntValue);
}

GenApi::IEnumEntry* EnumerationNode::GetCurrentEntry(bool, bool) {
    auto lock = Enter();
    RequireReadable();
    return FindByValue(binding_.get());
}

GenICam::gcstring EnumerationNode::ToString(bool, bool) {
    auto lock = Enter();
    RequireReadable();
    const int64_t value = binding_.get();
    EnumEntryNode* entry = FindByValue(value);
    if (entry == nullptr) {
        QUILL_THROW(RuntimeException,
                    "Node '" + Name() + "' holds value " + std::to_string(value) + ", which has no entry");
    }
    return entry->Symbolic();
}

void EnumerationNode::FromString(const GenICam::gcstring& ValueStr, bool Verify) {
    auto lock = Enter();
    EnumEntryNode* entry = FindByName(ValueStr.str());
    if (entry == nullptr) {
        // Check the access first so that a locked or missing node says so.
        CheckWrite(nullptr);
        QUILL_THROW(InvalidArgumentException,
                    "'" + ValueStr.str() + "' is not an entry of node '" + Name() + "'");
    }
    SetEntryLocked(entry, entry->Value(), Verify);
}

}  // namespace Nodes
}  // namespace Quill
