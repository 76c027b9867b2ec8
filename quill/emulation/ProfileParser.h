// Reads the text of an emulation profile: [transport] and [camera] blocks of
// "key = value" lines; '#' starts a comment.
#pragma once

#include <string>
#include <vector>

#include "quill/emulation/CameraProfile.h"

namespace Quill {
namespace Emulation {

struct ProfileSet {
    std::vector<TransportProfile> transports;  // in enumeration order
    std::vector<CameraProfile> cameras;        // in enumeration order within each layer
};

class ProfileParser {
  public:
    // False with a message naming the line for any error; the set is then untouched.
    static bool Parse(const std::string& text, ProfileSet& profiles, std::string& error);
    // Reads a profile file; false when it cannot be read or parsed.
    static bool ParseFile(const std::string& path, ProfileSet& profiles, std::string& error);
    // The two cameras every user gets without a profile of their own.
    static const char* DefaultProfileText();
};

}  // namespace Emulation
}  // namespace Quill
