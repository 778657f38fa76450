#include "ui/ComError.h"

#include <cstdio>

#include "ui/Handles.h"

namespace ui {

namespace {

// The system's text for a message number, without the line end; empty when it has none.
String SystemText(DWORD number) {
    LocalHandle text;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, number, 0, reinterpret_cast<char*>(text.put()), 0, nullptr);
    String message(text ? static_cast<const char*>(text.get()) : "", text ? n : 0);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

}  // namespace

String SysErrorMessage(HRESULT code) {
    String message = SystemText(static_cast<DWORD>(code));
    // Some systems know a system error wrapped in a result code only by its own number.
    if (message.empty() && HRESULT_FACILITY(code) == FACILITY_WIN32)
        message = SystemText(static_cast<DWORD>(HRESULT_CODE(code)));
    if (message.empty()) {
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), "Error 0x%08lX", static_cast<unsigned long>(code));
        message = buffer;
    }
    return message;
}

EOleSysError::EOleSysError(HRESULT code) : Exception(SysErrorMessage(code)), code_(code) {}

}  // namespace ui
