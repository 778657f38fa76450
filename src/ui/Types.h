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

// Holds a control's nestable redraw lock (BeginUpdate/EndUpdate) for a scope, so that the
// end also runs when the scope is left by an exception.
template <class T>
class TUpdateScope {
public:
    explicit TUpdateScope(T& target) : target_(target) { target_.BeginUpdate(); }
    ~TUpdateScope() { target_.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    T& target_;
};

String IntToStr(long long value);
// Decimal integer with optional sign and surrounding blanks; anything else raises EConvertError.
int StrToInt(const String& text);

}  // namespace ui
