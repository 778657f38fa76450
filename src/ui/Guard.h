#pragma once
// Where errors stop: nothing the program's code raises may leave a window procedure, a
// destructor's notice or a COM method. The first two report it through the application's
// error report (a message box titled as the application); a COM method answers it as its
// result, since ole32 cannot carry an exception.
#include <windows.h>

#include <exception>
#include <new>

#include "ui/ComError.h"
#include "ui/Types.h"

namespace ui {

// The application's error report; never raises, not even when the report itself fails.
void ReportException(const std::exception& e) noexcept;

// Runs `body`; an exception is reported and ends it there.
template <class F>
void Guarded(F&& body) noexcept {
    try {
        body();
    } catch (const std::exception& e) {
        ReportException(e);
    } catch (...) {
        ReportException(Exception("Unknown error"));
    }
}

// For a window procedure: what `body` answers, or `fallback` when it raised (reported).
template <class F>
LRESULT Guarded(LRESULT fallback, F&& body) noexcept {
    LRESULT result = fallback;
    Guarded([&] { result = body(); });
    return result;
}

// Runs a COM method's body and answers its result: a failed check's own code, E_OUTOFMEMORY
// for an allocation that failed, E_UNEXPECTED for any other exception.
template <class F>
HRESULT ComGuarded(F&& body) noexcept {
    try {
        return body();
    } catch (const EOleSysError& e) {
        return e.ErrorCode();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace ui
