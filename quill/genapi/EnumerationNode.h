// A feature that takes one of a list of named entries.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "quill/genapi/EnumEntryNode.h"
#include "quill/genapi/Node.h"

namespace Quill {
namespace Nodes {

struct EnumEntryDefinition {
    std::string symbolic;
    int64_t value;
    std::string displayName;
    std::string description;
};

struct EnumerationBinding {
    std::function<int64_t()> get;
    std::function<void(int64_t)> set;  // called only with the value of an available entry
};

class EnumerationNode : public Node, public GenApi::IEnumeration {
  public:
    EnumerationNode(NodeMap& map, NodeInfo info, const std::vector<EnumEntryDefinition>& entries,
                    EnumerationBinding binding);

    void GetSymbolics(GenApi::StringList_t& Symbolics) override;
    void GetEntries(GenApi::NodeList_t& Entries) override;
    void SetIntValue(int64_t Value, bool Verify = true) override;
    int64_t GetIntValue(bool Verify = false, bool IgnoreCache = false) override;
    GenApi::IEnumEntry* GetEntryByName(const GenICam::gcstring& Symbolic) override;
    GenApi::IEnumEntry* GetEntry(int64_t IntValue) override;
    GenApi::IEnumEntry* GetCurrentEntry(bool Verify = false, bool IgnoreCache = false) override;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIEnumeration; }
    GenApi::INode* GetNode() override { return this; }
    GenICam::gcstring ToString(bool Verify = false, bool IgnoreCache = false) override;
    void FromString(const GenICam::gcstring& ValueStr, bool Verify = true) override;

    using GenApi::IEnumeration::operator=;

  private:
    EnumEntryNode* FindByName(const std::string& symbolic) const;
    EnumEntryNode* FindByValue(int64_t value) const;
    void SetEntryLocked(EnumEntryNode* entry, int64_t value, bool verify);

    std::vector<EnumEntryNode*> entries_;
    EnumerationBinding binding_;
};

}  // namespace Nodes
}  // namespace Quill
