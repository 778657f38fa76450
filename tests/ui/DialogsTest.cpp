#include "ui/Dialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "CtlTestUtil.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace ui;

namespace {

std::string Bytes(const char* p, size_t n) { return std::string(p, n); }

// The filter block up to and including its double terminator.
std::string FilterBlock(const char* p) {
    size_t n = 0;
    while (p[n] || p[n + 1]) ++n;
    return std::string(p, n + 2);
}

}  // namespace

TEST(OpenDialog, PrepareBuildsTheStructureGetOpenFileNameGets) {
    TOpenDialog dialog(nullptr);
    dialog.SetTitle("ｱｲｺﾝﾌｧｲﾙの指定");
    dialog.SetFilter("dll,ico,exe,ｱｲｺﾝﾗｲﾌﾞﾗﾘﾌｧｲﾙ|*.dll;*.ico;*.exe;*.icl;*.ict;|すべてのﾌｧｲﾙ|*.*");
    dialog.SetFilterIndex(1);
    dialog.SetOptions(OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS);
    dialog.SetInitialDir("C:\\windows\\system32\\");
    TOpenDialog::Prepared p;
    HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    dialog.Prepare(p, owner);
    const OPENFILENAMEA& o = p.ofn;
    EXPECT_EQ(o.lStructSize, sizeof(OPENFILENAMEA));
    EXPECT_EQ(o.hwndOwner, owner);
    const char expected[] =
        "dll,ico,exe,ｱｲｺﾝﾗｲﾌﾞﾗﾘﾌｧｲﾙ\0*.dll;*.ico;*.exe;*.icl;*.ict;\0すべてのﾌｧｲﾙ\0*.*\0";
    ASSERT_NE(o.lpstrFilter, nullptr);
    EXPECT_EQ(FilterBlock(o.lpstrFilter), Bytes(expected, sizeof(expected)));
    EXPECT_EQ(o.nFilterIndex, 1u);
    EXPECT_STREQ(o.lpstrTitle, "ｱｲｺﾝﾌｧｲﾙの指定");
    EXPECT_STREQ(o.lpstrInitialDir, "C:\\windows\\system32\\");
    EXPECT_EQ(o.Flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS | OFN_EXPLORER));
    EXPECT_GE(o.nMaxFile, 32768u);
    EXPECT_EQ(o.lpstrFile[0], '\0');
    EXPECT_EQ(o.lpstrCustomFilter, nullptr);
}

TEST(OpenDialog, FilterSeparatorsAndDoubleByteCharacters) {
    struct Case {
        std::string filter, block;
    } cases[] = {
        {"a|b|c|d", std::string("a\0b\0c\0d\0\0", 9)},
        // ポ is 0x83 0x7C: its trail byte is '|' and must stay.
        {"ポ|*.ico", std::string("ポ\0*.ico\0\0", 10)},
        {"表示|*.*|", std::string("表示\0*.*\0\0", 10)},
    };
    for (const Case& c : cases) {
        TOpenDialog dialog(nullptr);
        dialog.SetFilter(c.filter);
        TOpenDialog::Prepared p;
        dialog.Prepare(p, nullptr);
        ASSERT_NE(p.ofn.lpstrFilter, nullptr);
        EXPECT_EQ(FilterBlock(p.ofn.lpstrFilter), c.block) << c.filter;
    }
    TOpenDialog none(nullptr);
    TOpenDialog::Prepared p;
    none.Prepare(p, nullptr);
    EXPECT_EQ(p.ofn.lpstrFilter, nullptr);
    EXPECT_EQ(p.ofn.lpstrTitle, nullptr);
    EXPECT_EQ(p.ofn.lpstrInitialDir, nullptr);
}

TEST(OpenDialog, LongFileNameFitsTheBuffer) {
    std::string name = "C:\\";
    for (int i = 0; i < 40; ++i) name += "ソフトウェア表示フォルダ\\";
    name += "アイコン.dll";
    ASSERT_GT(name.size(), static_cast<size_t>(MAX_PATH));
    TOpenDialog dialog(nullptr);
    dialog.SetFileName(name);
    TOpenDialog::Prepared p;
    dialog.Prepare(p, nullptr);
    EXPECT_EQ(std::string(p.ofn.lpstrFile), name);
    EXPECT_GT(p.ofn.nMaxFile, name.size());
}

namespace {

// Types a name into the open dialog and presses its OK button.
void ChooseInDialog(HWND dlg, const std::string& name) {
    HWND edit = GetDlgItem(dlg, 0x47C);  // the file name box (combo of the explorer dialog)
    if (!edit) edit = GetDlgItem(dlg, 0x480);
    SetWindowTextA(edit, name.c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
}

}  // namespace

TEST(OpenDialog, ExecuteReturnsTheChosenFile) {
    testing_support::RegistrySandbox registry;  // the dialog records the folders it visited
    testing_support::TempDir dir;
    std::string file = dir.WriteFile("表示ソフト.ico", "x");
    TOpenDialog dialog(nullptr);
    dialog.SetFilter("ｱｲｺﾝ|*.ico|すべてのﾌｧｲﾙ|*.*");
    dialog.SetFilterIndex(2);
    dialog.SetInitialDir(dir.Path());
    dialog.SetOptions(OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS);
    ctl_test::OnModalWindow chooser("#32770", [&](HWND dlg) { ChooseInDialog(dlg, file); });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(chooser.Acted());
    EXPECT_STRCASEEQ(dialog.FileName().c_str(), file.c_str());
    EXPECT_EQ(dialog.FilterIndex(), 2);
}

TEST(OpenDialog, CancelKeepsTheFileName) {
    testing_support::RegistrySandbox registry;
    TOpenDialog dialog(nullptr);
    dialog.SetFileName("C:\\before.dll");
    ctl_test::OnModalWindow canceller("#32770", [](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(canceller.Acted());
    EXPECT_EQ(dialog.FileName(), "C:\\before.dll");
}
