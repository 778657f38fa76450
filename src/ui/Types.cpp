#include "ui/Types.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace ui {

String IntToStr(long long value) { return std::to_string(value); }

int StrToInt(const String& text) {
    const char* begin = text.c_str();
    while (*begin == ' ') ++begin;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(begin, &end, 10);
    const char* rest = end;
    while (*rest == ' ') ++rest;
    bool hasDigits = end != begin && !(end == begin + 1 && (*begin == '-' || *begin == '+'));
    if (!hasDigits || *rest != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        throw EConvertError("'" + text + "' is not a valid integer value");
    return static_cast<int>(value);
}

}  // namespace ui
