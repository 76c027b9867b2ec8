#include "quill/genapi/IntegerNode.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "quill/genapi/NodeHost.h"

namespace Quill {
namespace Nodes {

IntegerNode::IntegerNode(NodeMap& map, NodeInfo info, IntegerBinding binding)
    : Node(map, std::move(info)), binding_(std::move(binding)) {}

void IntegerNode::SetValue(int64_t Value, bool Verify) {
    auto lock = Enter();
    SetLocked(Value, Verify);
}

void IntegerNode::SetLocked(int64_t value, bool verify) {
    if (!CheckWrite([&] { return binding_.get && binding_.get() == value; })) {
        return;
    }
    const int64_t minimum = binding_.min();
    const int64_t maximum = binding_.max();
    const int64_t increment = Inc();
    const std::string prefix = "Value " + std::to_string(value) + " of node '" + Name() + "'";
    if (value < minimum) {
        RefuseValue(verify, prefix + " is below its minimum " + std::to_string(minimum));
    }
    if (value > maximum) {
        RefuseValue(verify, prefix + " is above its maximum " + std::to_string(maximum));
    }
    if (increment > 1 && (value - minimum) % increment != 0) {
        RefuseValue(verify, prefix + " is not its minimum " + std::to_string(minimum) +
                                " plus a multiple of " + "its increment " + std::to_string(increment));
    }
    binding_.set(value);
    Host().NodeWritten();
}

int64_t IntegerNode::GetValue(bool, bool) {
    auto lock = Enter();
    RequireReadable();
    return binding_.get();
}

int64_t IntegerNode::GetMin() {
    auto lock = Enter();
    RequireAvailable();
    return binding_.min();
}

int64_t IntegerNode::GetMax() {
    auto lock = Enter();
    RequireAvailable();
    return binding_.max();
}

int64_t IntegerNode::GetInc() {
    auto lock = Enter();
    RequireAvailable();
    return Inc();
}

GenICam::gcstring IntegerNode::GetUnit() const {
    auto lock = Enter();
    return Info().unit;
}

GenICam::gcstring IntegerNode::ToString(bool, bool) {
    auto lock = Enter();
    RequireReadable();
    return std::to_string(binding_.get());
}

void IntegerNode::FromString(const GenICam::gcstring& ValueStr, bool Verify) {
    auto lock = Enter();
    const char* text = ValueStr.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 0);
    if (end == text || *end != '\0' || errno == ERANGE) {
        QUILL_THROW(InvalidArgumentException,
                    "Node '" + Name() + "' cannot take '" + ValueStr.str() + "': not an integer");
    }
    SetLocked(value, Verify);
}

}  // namespace Nodes
}  // namespace Quill
