#include "ui/Dialogs.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace

TEST(OpenDialog, FilterBlockAndFileBuffer) {
    // A name longer than MAX_PATH reaches the dialog whole.
    std::string longName = "C:\\アイコン.dll";
    for (int i = 0; i < 40; ++i) longName.insert(3, "ソフトウェア表示フォルダ\\");
    const struct {
        std::string filter, block, name;
    } cases[] = {
        {"ポ|*.ico", Bytes("ポ\0*.ico\0"), ""},  // ポ is 0x83 0x7C: its trail byte is '|' and must stay
        {"表示|*.*|", Bytes("表示\0*.*\0"), "C:\\a.ico"},
        {"", "", longName},  // no filter at all
    };
    for (const auto& c : cases) {
        TOpenDialog dialog(nullptr);
        dialog.SetFilter(c.filter);
        dialog.SetFileName(c.name);
        TOpenDialog::Prepared p;
        dialog.Prepare(p, nullptr);
        EXPECT_EQ(p.ofn.lpstrFilter ? FilterBlock(p.ofn.lpstrFilter) : "", c.block) << c.filter;
        EXPECT_EQ(std::string(p.ofn.lpstrFile), c.name);
        EXPECT_GE(p.ofn.nMaxFile, 32768u);
    }
}
