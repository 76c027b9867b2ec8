// An integer feature with a range and an increment.
#pragma once

#include <cstdint>
#include <functional>

#include "quill/genapi/Node.h"

namespace Quill {
namespace Nodes {

struct IntegerBinding {
    std::function<int64_t()> get;
    std::function<void(int64_t)> set;  // called only with values inside the range
    std::function<int64_t()> min;
    std::function<int64_t()> max;
    std::function<int64_t()> inc;  // 1 when empty
};

class IntegerNode : public Node, public GenApi::IInteger {
  public:
    IntegerNode(NodeMap& map, NodeInfo info, IntegerBinding binding);

    void SetValue(int64_t Value, bool Verify = true) override;
    int64_t GetValue(bool Verify = false, bool IgnoreCache = false) override;
    int64_t GetMin() override;
    int64_t GetMax() override;
    int64_t GetInc() override;
    GenICam::gcstring GetUnit() const override;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIInteger; }
    GenApi::INode* GetNode() override { return this; }
    GenICam::gcstring ToString(bool Verify = false, bool IgnoreCache = false) override;
    void FromString(const GenICam::gcstring& ValueStr, bool Verify = true) override;

    using GenApi::IInteger::operator=;

  private:
    void SetLocked(int64_t value, bool verify);
    int64_t Inc() const { return binding_.inc ? binding_.inc() : 1; }

    IntegerBinding binding_;
};

}  // namespace Nodes
}  // namespace Quill
