// The two guards where errors stop, and the errors of result codes they show.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "support/Sandbox.h"
#include "ui/ComError.h"
#include "ui/ExtCtrls.h"
#include "ui/Guard.h"

using namespace testing_support;

// A system error wrapped in a result code reads like the system error itself; an unknown one
// names its code.
TEST(Guards, ReportOrAnswerWhatWouldLeaveAWindowProcedureOrAComMethod) {
    char own[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0, own,
                   sizeof(own), nullptr);
    MessageBoxCapture boxes;
    ui::Guarded([] { throw ui::Exception("ドロップ失敗"); });
    ui::Guarded([] { throw 42; });
    ui::Guarded([] { ui::OleCheck(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)); });
    ui::Guarded([] { ui::OleCheck(static_cast<HRESULT>(0xA0DEAD01)); });
    EXPECT_EQ(ui::Guarded(7, [] { return LRESULT(3); }), 3);
    EXPECT_EQ(ui::Guarded(7, []() -> LRESULT { throw std::runtime_error("lost"); }), 7);
    // A timer's window procedure: the handler's error is shown and ends there.
    {
        ui::TTimer timer(nullptr);
        timer.SetInterval(1);
        int ticks = 0;
        timer.OnTimer = [&](ui::TObject*) {
            ++ticks;
            timer.SetEnabled(false);  // one tick: the box's own message loop would run it again
            throw ui::Exception("tick");
        };
        for (int i = 0; i < 100 && ticks == 0; ++i) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages(1);
        }
        EXPECT_EQ(ticks, 1);
    }
    std::vector<std::string> texts;
    for (const auto& b : boxes.Boxes()) texts.push_back(b.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"ドロップ失敗", "Unknown error", std::string(own, strcspn(own, "\r\n")),
                                               "Error 0xA0DEAD01", "lost", "tick"}));

    EXPECT_EQ(ui::OleCheck(S_FALSE), S_FALSE);
    EXPECT_EQ(ui::ComGuarded([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(ui::ComGuarded([] { return ui::OleCheck(E_ACCESSDENIED); }), E_ACCESSDENIED);
    EXPECT_EQ(ui::ComGuarded([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(ui::ComGuarded([]() -> HRESULT { throw ui::Exception("x"); }), E_UNEXPECTED);
    EXPECT_EQ(boxes.Boxes().size(), texts.size()) << "a COM method shows nothing";
}
