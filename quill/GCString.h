// The string type of the GenICam-style interface. It wraps std::string so the
// camera SDK and its callers share one representation; every module links the
// same static C++ runtime, so the layout is identical on both sides of the DLL.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace GenICam {

class gcstring {
  public:
    gcstring() = default;
    gcstring(const char* text) : text_(text != nullptr ? text : "") {}
    gcstring(const char* text, size_t length) : text_(text != nullptr ? std::string(text, length) : "") {}
    gcstring(const std::string& text) : text_(text) {}
    gcstring(std::string&& text) : text_(std::move(text)) {}

    const char* c_str() const { return text_.c_str(); }
    size_t size() const { return text_.size(); }
    size_t length() const { return text_.length(); }
    bool empty() const { return text_.empty(); }
    const std::string& str() const { return text_; }

    // Like GenICam's own string, a gcstring reads as a C string where one is expected.
    operator const char*() const { return text_.c_str(); }

    gcstring& operator+=(const gcstring& other) {
        text_ += other.text_;
        return *this;
    }
    gcstring& operator+=(const char* other) {
        text_ += other != nullptr ? other : "";
        return *this;
    }

    bool operator==(const gcstring& other) const { return text_ == other.text_; }
    bool operator!=(const gcstring& other) const { return text_ != other.text_; }
    bool operator<(const gcstring& other) const { return text_ < other.text_; }
    bool operator>(const gcstring& other) const { return text_ > other.text_; }
    bool operator==(const char* other) const { return text_ == (other != nullptr ? other : ""); }
    bool operator!=(const char* other) const { return !(*this == other); }

  private:
    std::string text_;
};

inline bool operator==(const char* left, const gcstring& right) {
    return right == left;
}
inline bool operator!=(const char* left, const gcstring& right) {
    return right != left;
}

inline gcstring operator+(const gcstring& left, const gcstring& right) {
    return gcstring(left.str() + right.str());
}
inline gcstring operator+(const gcstring& left, const char* right) {
    return gcstring(left.str() + (right != nullptr ? right : ""));
}
inline gcstring operator+(const char* left, const gcstring& right) {
    return gcstring((left != nullptr ? left : "") + right.str());
}

typedef std::vector<gcstring> gcstring_vector;

}  // namespace GenICam
