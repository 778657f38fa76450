#pragma once
// Basic types of the window toolkit: byte strings in the ANSI code page and the
// exception family that the application's error report shows.
#include <exception>
#include <string>

namespace ui {

// Text is kept as bytes in the system's ANSI code page (Shift-JIS here).
using String = std::string;

class Exception : public std::exception {
public:
    explicit Exception(String message) : message_(std::move(message)) {}
    const String& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    String message_;
};

// Raised by StrToInt for text that is not a decimal integer.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

String IntToStr(long long value);
// Decimal integer with optional sign and surrounding blanks; anything else raises EConvertError.
int StrToInt(const String& text);

}  // namespace ui
