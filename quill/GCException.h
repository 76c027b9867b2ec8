// The exception family of the camera SDK and its feature interface. Everything
// is inline: exceptions are thrown inside QuillBase and caught by reference in
// other modules, which match the types by name.
#pragma once

#include <exception>
#include <string>

namespace GenICam {

class GenericException : public std::exception {
  public:
    explicit GenericException(const char* description, const char* sourceFile = "",
                              unsigned int sourceLine = 0)
        : GenericException(description, sourceFile, sourceLine, "GenericException") {}
    GenericException(const std::string& description, const char* sourceFile = "", unsigned int sourceLine = 0)
        : GenericException(description.c_str(), sourceFile, sourceLine, "GenericException") {}

    const char* GetDescription() const noexcept { return description_.c_str(); }
    const char* GetSourceFileName() const noexcept { return sourceFile_.c_str(); }
    unsigned int GetSourceLine() const noexcept { return sourceLine_; }
    const char* GetExceptionType() const noexcept { return type_.c_str(); }
    const char* what() const noexcept override { return what_.c_str(); }

  protected:
    GenericException(const char* description, const char* sourceFile, unsigned int sourceLine,
                     const char* type)
        : description_(description != nullptr ? description : ""),
          sourceFile_(sourceFile != nullptr ? sourceFile : ""),
          sourceLine_(sourceLine),
          type_(type) {
        what_ = description_ + " : " + type_ + " thrown";
        if (!sourceFile_.empty()) {
            what_ += " (file '" + sourceFile_ + "', line " + std::to_string(sourceLine_) + ")";
        }
    }

  private:
    std::string description_;
    std::string sourceFile_;
    unsigned int sourceLine_;
    std::string type_;
    std::string what_;
};

// Each derived type only names itself; the message says what went wrong.
#define QUILL_DECLARE_EXCEPTION(Name)                                                                    \
    class Name : public GenericException {                                                               \
      public:                                                                                            \
        explicit Name(const char* description, const char* sourceFile = "", unsigned int sourceLine = 0) \
            : GenericException(description, sourceFile, sourceLine, #Name) {}                            \
        Name(const std::string& description, const char* sourceFile = "", unsigned int sourceLine = 0)   \
            : GenericException(description.c_str(), sourceFile, sourceLine, #Name) {}                    \
    };

QUILL_DECLARE_EXCEPTION(RuntimeException)
QUILL_DECLARE_EXCEPTION(LogicalErrorException)
QUILL_DECLARE_EXCEPTION(InvalidArgumentException)
QUILL_DECLARE_EXCEPTION(OutOfRangeException)
QUILL_DECLARE_EXCEPTION(AccessException)
QUILL_DECLARE_EXCEPTION(TimeoutException)
QUILL_DECLARE_EXCEPTION(BadAllocException)

#undef QUILL_DECLARE_EXCEPTION

}  // namespace GenICam

// Throws one of the family with the current source position.
#define QUILL_THROW(Type, message) throw ::GenICam::Type((message), __FILE__, __LINE__)
