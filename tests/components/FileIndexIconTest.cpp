#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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
    EXPECT_EQ(icon.IconIndex(), 17);
    EXPECT_EQ(icon.Handle(), held);
    ui::TPicture picture;  // a copy shares the image, not the location
    picture.Assign(&icon);
    EXPECT_EQ(icon.ShareCount(), 2);
    auto* copy = dynamic_cast<const TFileIndexIcon*>(picture.Graphic());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Handle(), held);
    EXPECT_EQ(copy->IconIndex(), -1);
    // A file without icons keeps the index and holds no icon.
    for (const std::string& bad : {dir / "missing.dll", dir.MakeDir("dir.dll"), WriteFileWithoutIcons(dir, "x.dll")}) {
        icon.SetFileName(lib);
        icon.SetIconIndex(17);
        icon.SetFileName(bad);
        EXPECT_EQ(icon.IconIndex(), 17) << bad;
        EXPECT_TRUE(icon.Empty());
    }
}

// Counts are kept per file while it is unchanged; a file written anew is counted anew.
TEST(FileIndexIcon, ARewrittenFileIsCountedAnew) {
    TempDir dir;
    const std::string a = WritePeIconLibrary(dir, "a.dll", 40), b = WriteNeIconLibrary(dir, "b.icl", 7);
    struct Step {
        const char* file;
        int count;  // written with this many icons first when not 0
        int expected;
    } steps[] = {{"a.dll", 0, 40}, {"b.icl", 0, 7}, {"a.dll", 0, 40}, {"a.dll", 12, 12}, {"b.icl", 3, 3}, {"a.dll", 0, 12}};
    for (const Step& s : steps) {
        const std::string name = s.file;
        if (s.count) (name == "a.dll" ? WritePeIconLibrary : WriteNeIconLibrary)(dir, name, s.count);
        EXPECT_EQ(IconSourceCount(dir / name), s.expected) << name << " " << s.count;
        TFileIndexIcon icon;
        icon.SetFileName(dir / name);
        EXPECT_EQ(icon.NumberOfIcons(), s.expected) << name;
    }
}
