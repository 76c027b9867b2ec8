#include "quill/genapi/FloatNode.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "quill/genapi/NodeHost.h"

namespace Quill {
namespace Nodes {

namespace {

std::string Format(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

}  // namespace

FloatNode::FloatNode(NodeMap& map, NodeInfo info, FloatBinding binding)
    : Node(map, std::move(info)), binding_(std::move(binding)) {}

void FloatNode::SetValue(double Value, bool Verify) {
    auto lock = Enter();
    SetLocked(Value, Verify);
}

void FloatNode::SetLocked(double value, bool verify) {
    if (!CheckWrite([&] { return binding_.get && binding_.get() == value; })) {
        return;
    }
    const std::string prefix = "Value " + Format(value) + " of node '" + Name() + "'";
    if (!std::isfinite(value)) {
        RefuseValue(verify, prefix + " is not a finite number");
    }
    const double minimum = binding_.min();
    const double maximum = binding_.max();
    if (value < minimum) {
        RefuseValue(verify, prefix + " is below its minimum " + Format(minimum));
    }
    if (value > maximum) {
        RefuseValue(verify, prefix + " is above its maximum " + Format(maximum));
    }
    binding_.set(value);
    Host().NodeWritten();
}

double FloatNode::GetValue(bool, bool) {
    auto lock = Enter();
    RequireReadable();
    return binding_.get();
}

double FloatNode::GetMin() {
    auto lock = Enter();
    RequireAvailable();
    return binding_.min();
}

double FloatNode::GetMax() {
    auto lock = Enter();
    RequireAvailable();
    return binding_.max();
}

GenICam::gcstring FloatNode::GetUnit() const {
    auto lock = Enter();
    return Info().unit;
}

GenICam::gcstring FloatNode::ToString(bool, bool) {
    auto lock = Enter();
    RequireReadable();
    return Format(binding_.get());
}

void FloatNode::FromString(const GenICam::gcstring& ValueStr, bool Verify) {
    auto lock = Enter();
    const char* text = ValueStr.c_str();
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0') {
        QUILL_THROW(InvalidArgumentException,
                    "Node '" + Name() + "' cannot take '" + ValueStr.str() + "': not a number");
    }
    SetLocked(value, Verify);
}

}  // namespace Nodes
}  // namespace Quill
