// A read-only text feature (device identification).
#pragma once

#include <functional>
#include <string>

#include "quill/genapi/Node.h"

namespace Quill {
namespace Nodes {

class StringNode : public Node, public GenApi::IString {
  public:
    StringNode(NodeMap& map, NodeInfo info, std::function<std::string()> get);

    void SetValue(const GenICam::gcstring& Value, bool Verify = true) override;
    GenICam::gcstring GetValue(bool Verify = false, bool IgnoreCache = false) override;
    int64_t GetMaxLength() override;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIString; }
    GenApi::INode* GetNode() override { return this; }
    GenICam::gcstring ToString(bool Verify = false, bool IgnoreCache = false) override;
    void FromString(const GenICam::gcstring& ValueStr, bool Verify = true) override;

    using GenApi::IString::operator=;

  private:
    std::function<std::string()> get_;
};

}  // namespace Nodes
}  // namespace Quill
