#include "ui/ComError.h"

#include <cstdio>

namespace ui {

String SysErrorMessage(HRESULT code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    String message(text ? text : "", text ? n : 0);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    if (message.empty()) {
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), "Error 0x%08lX", static_cast<unsigned long>(code));
        message = buffer;
    }
    return message;
}

EOleSysError::EOleSysError(HRESULT code) : Exception(SysErrorMessage(code)), code_(code) {}

}  // namespace ui
