#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

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
    return GetPixel(bitmap.Canvas().Handle(), 16, 16);
}

bool IconAlive(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return true;
}

// A path of exactly `length` bytes below `dir`, made of a folder and a file name.
std::string PathOfLength(const TempDir& dir, size_t length) {
    std::string base = dir.Path() + "\\";
    size_t rest = length - base.size();
    std::string folder(rest / 2, 'd');
    std::string file(rest - folder.size() - 1, 'f');
    return base + folder + "\\" + file;
}

}  // namespace

TEST(IconLibraries, GeneratedFilesReportTheirIconCounts) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string path;
        int count;
    } cases[] = {
        {"PE library", WritePeIconLibrary(dir, "pe40.dll", 40), 40},
        {"NE library", WriteNeIconLibrary(dir, "ne40.icl", 40), 40},
        {"single icon", WriteIcoFile(dir, "one.ico", 3), 1},
        {"no icons", WriteFileWithoutIcons(dir, "none.dll"), 0},
        {"shell32", Shell32Path(), kShell32IconCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IconSourceCount(c.path), c.count);
    }
}

TEST(IconLibraries, EveryIndexHoldsItsOwnIcon) {
    TempDir dir;
    for (const std::string& path : {WritePeIconLibrary(dir, "pe.dll", 12), WriteNeIconLibrary(dir, "ne.icl", 12)}) {
        SCOPED_TRACE(path);
        for (int i : {0, 1, 7, 11}) {
            ui::IconHandle icon(IconSourceExtract(path, i));
            ASSERT_TRUE(icon);
            EXPECT_EQ(CentreColor(icon.get()), IconColor(i)) << "index " << i;
        }
        EXPECT_EQ(IconSourceExtract(path, 12), nullptr);
        EXPECT_EQ(IconSourceExtract(path, -1), nullptr);
    }
}

TEST(FileIndexIcon, StartsEmpty) {
    TFileIndexIcon icon;
    EXPECT_EQ(icon.FileName(), "");
    EXPECT_EQ(icon.IconIndex(), -1);
    EXPECT_EQ(icon.NumberOfIcons(), -1);
    EXPECT_TRUE(icon.Empty());
    EXPECT_EQ(icon.Width(), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(icon.Height(), GetSystemMetrics(SM_CYICON));
}

TEST(FileIndexIcon, LoadsTheFirstIconThenTheChosenOne) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 40);
    TFileIndexIcon icon;
    icon.SetFileName(lib);
    EXPECT_EQ(icon.NumberOfIcons(), 40);
    EXPECT_EQ(icon.IconIndex(), 0);
    ASSERT_FALSE(icon.Empty());
    EXPECT_EQ(CentreColor(icon.Handle()), IconColor(0));
    icon.SetIconIndex(17);
    EXPECT_EQ(icon.IconIndex(), 17);
    EXPECT_EQ(CentreColor(icon.Handle()), IconColor(17));
}

TEST(FileIndexIcon, IndexIsClampedToTheFile) {
    TempDir dir;
    std::string lib = WriteNeIconLibrary(dir, "lib.icl", 40);
    struct Case {
        int set, expected;
    } cases[] = {{500, 39}, {-7, 0}, {39, 39}, {40, 39}, {5, 5}};
    for (const Case& c : cases) {
        TFileIndexIcon icon;
        icon.SetFileName(lib);
        icon.SetIconIndex(3);
        icon.SetIconIndex(c.set);
        EXPECT_EQ(icon.IconIndex(), c.expected) << "set " << c.set;
        ASSERT_FALSE(icon.Empty());
        EXPECT_EQ(CentreColor(icon.Handle()), IconColor(c.expected)) << "set " << c.set;
    }
}

TEST(FileIndexIcon, IndexBeforeFileNameIsIgnored) {
    TempDir dir;
    TFileIndexIcon icon;
    icon.SetIconIndex(5);
    EXPECT_EQ(icon.IconIndex(), -1);
    icon.SetFileName(WritePeIconLibrary(dir, "lib.dll", 10));
    EXPECT_EQ(icon.IconIndex(), 0);
    EXPECT_EQ(CentreColor(icon.Handle()), IconColor(0));
}

TEST(FileIndexIcon, SameNameTwiceKeepsIndexAndIcon) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 10);
    TFileIndexIcon icon;
    icon.SetFileName(lib);
    icon.SetIconIndex(6);
    HICON before = icon.Handle();
    icon.SetFileName(lib);
    EXPECT_EQ(icon.IconIndex(), 6);
    EXPECT_EQ(icon.Handle(), before);
}

TEST(FileIndexIcon, AnotherFileStartsAtItsFirstIcon) {
    TempDir dir;
    TFileIndexIcon icon;
    icon.SetFileName(WritePeIconLibrary(dir, "a.dll", 10));
    icon.SetIconIndex(5);
    icon.SetFileName(WriteIcoFile(dir, "b.ico", 9));
    EXPECT_EQ(icon.NumberOfIcons(), 1);
    EXPECT_EQ(icon.IconIndex(), 0);
    EXPECT_EQ(CentreColor(icon.Handle()), IconColor(9));
}

TEST(FileIndexIcon, UnreadableFileAfterAGoodOneKeepsIndexAndHoldsNothing) {
    TempDir dir;
    std::string good = WritePeIconLibrary(dir, "good.dll", 10);
    std::string text = dir.WriteFile("notes.txt", "not an icon source");
    struct Case {
        const char* what;
        std::string path;
    } cases[] = {
        {"missing file", dir / "missing.dll"},
        {"directory", dir.MakeDir("folder.dll")},
        {"empty name", ""},
        {"file without icons", WriteFileWithoutIcons(dir, "none.dll")},
        {"text file", text},
        {"wildcard", dir / "*.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFileIndexIcon icon;
        icon.SetFileName(good);
        icon.SetIconIndex(5);
        icon.SetFileName(c.path);
        EXPECT_EQ(icon.IconIndex(), 5);
        EXPECT_EQ(icon.NumberOfIcons(), -1);
        EXPECT_TRUE(icon.Empty());
        icon.SetIconIndex(2);  // no file with icons: ignored
        EXPECT_EQ(icon.IconIndex(), 5);
        EXPECT_TRUE(icon.Empty());
    }
}

TEST(FileIndexIcon, Shell32OfTheSystemDirectory) {
    TFileIndexIcon icon;
    icon.SetFileName(Shell32Path());
    icon.SetIconIndex(17);
    EXPECT_EQ(icon.NumberOfIcons(), kShell32IconCount);
    EXPECT_EQ(icon.IconIndex(), 17);
    ASSERT_FALSE(icon.Empty());
    // The same icon as the platform extracts for that index.
    ui::IconHandle expected(ExtractIconA(ui::MainInstance(), Shell32Path().c_str(), 17));
    ui::TBitmap a, b;
    a.SetSize(32, 32);
    b.SetSize(32, 32);
    DrawIcon(a.Canvas().Handle(), 0, 0, icon.Handle());
    DrawIcon(b.Canvas().Handle(), 0, 0, expected.get());
    int differing = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (GetPixel(a.Canvas().Handle(), x, y) != GetPixel(b.Canvas().Handle(), x, y)) ++differing;
    EXPECT_EQ(differing, 0);
}

TEST(FileIndexIcon, DoubleByteNames) {
    TempDir dir;
    // ソ and 表 carry the byte of "\" as their second byte.
    std::string lib = WritePeIconLibrary(dir, "ソフト表\\アイコン表.dll", 8);
    TFileIndexIcon icon;
    icon.SetFileName(lib);
    EXPECT_EQ(icon.NumberOfIcons(), 8);
    icon.SetIconIndex(7);
    EXPECT_EQ(CentreColor(icon.Handle()), IconColor(7));
}

TEST(FileIndexIcon, NamesLongerThanTheBufferAreRefusedNotCut) {
    TempDir dir;
    for (size_t length : {255u, 256u, 259u}) {
        SCOPED_TRACE(length);
        std::string path = PathOfLength(dir, length);
        ASSERT_EQ(path.size(), length);
        WritePeIconLibrary(dir, path.substr(dir.Path().size() + 1), 10);
        // A name cut to the buffer (255 bytes and the terminator) would land on this file.
        if (length > 255) WritePeIconLibrary(dir, path.substr(dir.Path().size() + 1, 255 - dir.Path().size() - 1), 3);
        ASSERT_TRUE(FileExistsA(path));
        TFileIndexIcon icon;
        icon.SetFileName(path);
        icon.SetIconIndex(4);
        if (length < kIconNameBufferSize) {
            EXPECT_EQ(icon.NumberOfIcons(), 10);
            EXPECT_EQ(icon.IconIndex(), 4);
            EXPECT_FALSE(icon.Empty());
        } else {
            EXPECT_EQ(icon.NumberOfIcons(), -1);
            EXPECT_EQ(icon.IconIndex(), -1);
            EXPECT_TRUE(icon.Empty());
        }
    }
}

TEST(FileIndexIcon, PictureCopySharesTheImageAndNotTheLocation) {
    TempDir dir;
    ui::TPicture picture;
    HICON handle = nullptr;
    {
        TFileIndexIcon icon;
        icon.SetFileName(WritePeIconLibrary(dir, "lib.dll", 10));
        icon.SetIconIndex(4);
        handle = icon.Handle();
        picture.Assign(&icon);
        EXPECT_EQ(icon.ShareCount(), 2);
        auto* copy = dynamic_cast<const TFileIndexIcon*>(picture.Graphic());
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->Handle(), handle);
        EXPECT_EQ(copy->FileName(), "");
        EXPECT_EQ(copy->IconIndex(), -1);
        EXPECT_EQ(copy->NumberOfIcons(), -1);
    }
    // The picture is the last holder now.
    EXPECT_TRUE(IconAlive(handle));
    EXPECT_EQ(picture.Icon()->ShareCount(), 1);
    picture.Clear();
    EXPECT_FALSE(IconAlive(handle));
}

TEST(FileIndexIcon, EmptyObjectGivesAnEmptyPicture) {
    ui::TPicture picture;
    TFileIndexIcon icon;
    icon.SetFileName("C:\\no such folder\\none.dll");
    icon.SetIconIndex(3);
    picture.Assign(&icon);
    EXPECT_TRUE(picture.Empty());
}
