#include "ui/Dialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Sandbox.h"

using ui::TOpenDialog;

namespace {

// A literal's bytes including the terminator the compiler adds.
template <size_t N> std::string Bytes(const char (&s)[N]) { return std::string(s, N); }

// The filter block up to and including its double terminator.
std::string FilterBlock(const char* p) {
    size_t n = 0;
    while (p[n] || p[n + 1]) ++n;
    return std::string(p, n + 2);
}

// Runs from a thread timer inside the dialog's modal loop: types the chosen name and presses OK.
std::string chosen;
bool acted = false;
void CALLBACK Choose(HWND, UINT, UINT_PTR, DWORD) {
    HWND dlg = FindWindowA("#32770", nullptr);
    if (acted || !dlg || !IsWindowVisible(dlg) || GetWindowThreadProcessId(dlg, nullptr) != GetCurrentThreadId())
        return;
    acted = true;
    HWND edit = GetDlgItem(dlg, 0x47C);  // the file name box (combo of the explorer dialog)
    SetWindowTextA(edit ? edit : GetDlgItem(dlg, 0x480), chosen.c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
}

}  // namespace

TEST(OpenDialog, FilterBlockAndFileBuffer) {
    struct Case {
        std::string filter, block;
    } cases[] = {
        {"dll,ico,exe,ｱｲｺﾝﾗｲﾌﾞﾗﾘﾌｧｲﾙ|*.dll;*.ico;*.exe;*.icl;*.ict;|すべてのﾌｧｲﾙ|*.*",
         Bytes("dll,ico,exe,ｱｲｺﾝﾗｲﾌﾞﾗﾘﾌｧｲﾙ\0*.dll;*.ico;*.exe;*.icl;*.ict;\0すべてのﾌｧｲﾙ\0*.*\0")},
        {"ポ|*.ico", Bytes("ポ\0*.ico\0")},  // ポ is 0x83 0x7C: its trail byte is '|' and must stay
        {"表示|*.*|", Bytes("表示\0*.*\0")},
    };
    for (const Case& c : cases) {
        TOpenDialog dialog(nullptr);
        dialog.SetFilter(c.filter);
        TOpenDialog::Prepared p;
        dialog.Prepare(p, nullptr);
        ASSERT_NE(p.ofn.lpstrFilter, nullptr);
        EXPECT_EQ(FilterBlock(p.ofn.lpstrFilter), c.block) << c.filter;
    }
    // A name longer than MAX_PATH reaches the dialog whole.
    std::string name = "C:\\アイコン.dll";
    for (int i = 0; i < 40; ++i) name.insert(3, "ソフトウェア表示フォルダ\\");
    TOpenDialog dialog(nullptr);
    dialog.SetFileName(name);
    TOpenDialog::Prepared p;
    dialog.Prepare(p, nullptr);
    EXPECT_EQ(p.ofn.lpstrFilter, nullptr);
    EXPECT_EQ(std::string(p.ofn.lpstrFile), name);
    EXPECT_GE(p.ofn.nMaxFile, 32768u);
}

TEST(OpenDialog, ExecuteReturnsTheChosenFile) {
    testing_support::RegistrySandbox registry;  // the dialog records the folders it visited
    testing_support::TempDir dir;
    TOpenDialog dialog(nullptr);
    dialog.SetFilter("ｱｲｺﾝ|*.ico|すべてのﾌｧｲﾙ|*.*");
    dialog.SetFilterIndex(2);
    dialog.SetInitialDir(dir.Path());
    dialog.SetOptions(OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS);
    chosen = dir.WriteFile("表示ソフト.ico", "x");
    UINT_PTR timer = SetTimer(nullptr, 0, 50, Choose);
    EXPECT_TRUE(dialog.Execute());
    KillTimer(nullptr, timer);
    EXPECT_TRUE(acted);
    EXPECT_STRCASEEQ(dialog.FileName().c_str(), chosen.c_str());
    EXPECT_EQ(dialog.FilterIndex(), 2);
}
