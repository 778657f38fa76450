#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>

#include "components/FileIndexIcon.h"
#include "support/IconLibraries.h"
#include "ui/Controls.h"

using namespace testing_support;

namespace {

// The colour of the icon's centre, drawn on a white bitmap.
COLORREF CentreColor(HICON icon) {
    ui::TBitmap bitmap;
    bitmap.SetSize(32, 32);
    DrawIcon(bitmap.Canvas().Handle(), 0, 0, icon);
    return bitmap.Canvas().Pixel(16, 16);
}

}  // namespace

TEST(FileIndexIcon, IndexIsSetAfterTheFileAndClampedToItAndCopiesShareTheImage) {
    TempDir dir;
    const std::string lib = WriteNeIconLibrary(dir, "ソフト表\\lib.icl", 40);
    TFileIndexIcon icon;
    icon.SetIconIndex(5);  // no file yet: ignored
    EXPECT_EQ(icon.IconIndex(), -1);
    icon.SetFileName(lib);
    EXPECT_EQ(std::make_pair(icon.NumberOfIcons(), icon.IconIndex()), std::make_pair(40, 0));
    for (auto [set, expected] : {std::pair(500, 39), std::pair(-7, 0), std::pair(17, 17)}) {
        icon.SetIconIndex(set);
        EXPECT_EQ(icon.IconIndex(), expected) << set;
        EXPECT_EQ(CentreColor(icon.Handle()), IconColor(expected)) << set;
    }
    const HICON held = icon.Handle();
    icon.SetFileName(lib);  // the same name again changes nothing
    EXPECT_EQ(std::make_pair(icon.IconIndex(), icon.Handle()), std::make_pair(17, held));
    ui::TPicture picture;  // a copy shares the image, not the location
    picture.Assign(&icon);
    auto* copy = dynamic_cast<const TFileIndexIcon*>(picture.Graphic());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::make_tuple(icon.ShareCount(), copy->Handle(), copy->IconIndex()), std::make_tuple(2, held, -1));
    // A file without icons keeps the index and holds no icon.
    for (const std::string& bad : {dir / "missing.dll", dir.MakeDir("dir.dll"), WriteFileWithoutIcons(dir, "x.dll")}) {
        icon.SetFileName(lib);
        icon.SetIconIndex(17);
        icon.SetFileName(bad);
        EXPECT_EQ(std::make_pair(icon.IconIndex(), icon.Empty()), std::make_pair(17, true)) << bad;
    }
}

// Counts are kept while a file is unchanged; a file written anew is counted anew, the one counted
// last too.
TEST(FileIndexIcon, ARewrittenFileIsCountedAnew) {
    TempDir dir;
    const std::string a = WritePeIconLibrary(dir, "a.dll", 40), b = WriteNeIconLibrary(dir, "b.icl", 7);
    EXPECT_EQ(IconSourceCount(a), 40);
    EXPECT_EQ(IconSourceCount(b), 7);
    WritePeIconLibrary(dir, "a.dll", 12);
    EXPECT_EQ(IconSourceCount(a), 12);
    WritePeIconLibrary(dir, "a.dll", 3);
    TFileIndexIcon icon;
    icon.SetFileName(a);
    EXPECT_EQ(icon.NumberOfIcons(), 3);
}
