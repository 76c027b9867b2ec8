// A floating-point feature with a range.
#pragma once

#include <functional>

#include "quill/genapi/Node.h"

namespace Quill {
namespace Nodes {

struct FloatBinding {
    std::function<double()> get;
    std::function<void(double)> set;  // called only with values inside the range
    std::function<double()> min;
    std::function<double()> max;
};

class FloatNode : public Node, public GenApi::IFloat {
  public:
    FloatNode(NodeMap& map, NodeInfo info, FloatBinding binding);

    void SetValue(double Value, bool Verify = true) override;
    double GetValue(bool Verify = false, bool IgnoreCache = false) override;
    double GetMin() override;
    double GetMax() override;
    GenICam::gcstring GetUnit() const override;

    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfIFloat; }
    GenApi::INode* GetNode() override { return this; }
    GenICam::gcstring ToString(bool Verify = false, bool IgnoreCache = false) override;
    void FromString(const GenICam::gcstring& ValueStr, bool Verify = true) override;

    using GenApi::IFloat::operator=;

  private:
    void SetLocked(double value, bool verify);

    FloatBinding binding_;
};

}  // namespace Nodes
}  // namespace Quill
