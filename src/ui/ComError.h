#pragma once
// A failed COM or shell call as an exception carrying the system's text for its result.
#include <windows.h>

#include "ui/Types.h"

namespace ui {

class EOleSysError : public Exception {
public:
    explicit EOleSysError(HRESULT code);
    HRESULT ErrorCode() const { return code_; }

private:
    HRESULT code_;
};

// The system's message for a result code, without its line end; "Error 0x…" when it has none.
String SysErrorMessage(HRESULT code);

// Raises EOleSysError for a failed result; answers a successful one (S_FALSE included).
inline HRESULT OleCheck(HRESULT code) {
    if (FAILED(code)) throw EOleSysError(code);
    return code;
}

}  // namespace ui
