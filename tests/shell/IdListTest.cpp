// ID lists by their bytes (sizes, copies, joins, items, never a byte past the terminator) and
// over the real shell (comparing, binding, names, paths, icons, the system image lists).
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/IdList.h"
#include "shell/ShellModule.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"
#include "ui/ComError.h"

using namespace shell;
using namespace shell_testing;
using testing_support::TempDir;

namespace {

const std::string kNone = "(none)";
const std::string kDesktop = Terminated("");
const std::string kOne = Terminated(Item("ab"));
const std::string kTwo = Terminated(Item("ab") + Item("cde"));
const std::string kThree = Terminated(Item("ab") + Item("cde") + Item(std::string(300, 'x')));

LPCITEMIDLIST ListFor(const std::string& bytes) { return bytes == kNone ? nullptr : AsList(bytes); }

// Bytes placed so that their last byte is the last readable one: the next page is no access.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
        at_ = base_ + page_ - bytes.size();
        memcpy(at_, bytes.data(), bytes.size());
    }
    ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
    LPCITEMIDLIST List() const { return reinterpret_cast<LPCITEMIDLIST>(at_); }

private:
    DWORD page_ = 0;
    BYTE* base_ = nullptr;
    BYTE* at_ = nullptr;
};

std::string Concat(const std::string& a, const std::string& b) {
    return a.substr(0, a.size() - 2) + b;
}

TEST(IdListBytes, SizesCountsCopiesAndJoinsAllocateExactlyOneTerminator) {
    const struct {
        std::string list;
        UINT size;
        int count;
    } sizes[] = {{kNone, 0, 0}, {kDesktop, 2, 0}, {kOne, 6, 1}, {kTwo, 11, 2}, {kThree, 313, 3}};
    for (const auto& c : sizes) {
        EXPECT_EQ(IdListSize(ListFor(c.list)), c.size) << c.list.size();
        EXPECT_EQ(IdListCount(ListFor(c.list)), c.count) << c.list.size();
    }

    CountingMalloc allocator;
    {
        const struct {
            std::string first, second, joined;
        } joins[] = {
            {kDesktop, kOne, kOne},     {kOne, kDesktop, kOne},       {kNone, kTwo, kTwo},
            {kTwo, kNone, kTwo},        {kNone, kNone, kDesktop},     {kDesktop, kDesktop, kDesktop},
            {kOne, kTwo, Concat(kOne, kTwo)}, {kThree, kOne, Concat(kThree, kOne)},
        };
        for (const auto& c : joins) {
            IdList joined = ConcatIdLists(&allocator, ListFor(c.first), ListFor(c.second));
            EXPECT_EQ(BytesOf(joined.get()), c.joined);
            EXPECT_EQ(allocator.GetSize(joined.get()), c.joined.size()) << "one terminator, nothing more";
        }
        for (const std::string& source : {kNone, kDesktop, kOne, kThree}) {
            IdList copy = CopyIdList(&allocator, ListFor(source));
            const std::string expected = source == kNone ? kDesktop : source;  // a copy of none is empty
            EXPECT_EQ(BytesOf(copy.get()), expected);
            EXPECT_EQ(allocator.GetSize(copy.get()), expected.size());
            EXPECT_NE(static_cast<const void*>(copy.get()), static_cast<const void*>(ListFor(source)));
        }
        EXPECT_EQ(allocator.allocs, 12);
        EXPECT_EQ(allocator.refs, 1u) << "every list gave its allocator back";
    }
    // Without an allocator of its own a list comes from the process-wide one.
    IdList shared = CopyIdList(nullptr, AsList(kOne));
    EXPECT_EQ(shared.Allocator(), ShellAllocator());
    EXPECT_NE(ShellAllocator(), nullptr);
}

TEST(IdListBytes, NothingReadsPastTheTerminatorOfAListAtTheEndOfReadableMemory) {
    for (const std::string& bytes : {kDesktop, kOne, kThree}) {
        GuardedBytes guarded(bytes);
        const LPCITEMIDLIST list = guarded.List();
        EXPECT_EQ(IdListSize(list), bytes.size());
        EXPECT_EQ(BytesOf(CopyIdList(nullptr, list).get()), bytes);
        EXPECT_EQ(BytesOf(ConcatIdLists(nullptr, list, list).get()), Concat(bytes, bytes));
        TPTIdListArray items(list);
        for (int i = 0; i < items.Count(); ++i) EXPECT_EQ(IdListCount(items.Item(i)), 1);
        EXPECT_EQ(BytesOf(items.ParentList(0)), bytes);
    }
    // A name answered as an offset is read inside the list only.
    const std::string named = Terminated(Item(std::string("\0\0name", 6)));
    GuardedBytes guarded(named);
    const struct {
        UINT offset;
        std::string text;
    } offsets[] = {{4, "name"}, {2, ""}, {static_cast<UINT>(named.size() - 1), ""}, {static_cast<UINT>(named.size()), ""},
                   {0x7FFFFFFF, ""}};
    for (const auto& c : offsets) {
        STRRET answer = {};
        answer.uType = STRRET_OFFSET;
        answer.uOffset = c.offset;
        EXPECT_EQ(StrRetToText(guarded.List(), answer), c.text) << c.offset;
    }
    STRRET answer = {};
    answer.uType = STRRET_OFFSET;
    EXPECT_EQ(StrRetToText(nullptr, answer), "");
    // An inline answer that fills its buffer with no terminator has no text; one that fits is whole.
    answer.uType = STRRET_CSTR;
    memset(answer.cStr, 'x', sizeof answer.cStr);
    EXPECT_EQ(StrRetToText(nullptr, answer), "");
    answer.cStr[sizeof answer.cStr - 1] = '\0';
    EXPECT_EQ(StrRetToText(nullptr, answer), std::string(sizeof answer.cStr - 1, 'x'));
    // A wide answer is whole however long, and its buffer goes back to the task allocator.
    const std::wstring longName = std::wstring(400, L'\x8868') + L"end";  // 表 x 400
    answer.uType = STRRET_WSTR;
    answer.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((longName.size() + 1) * sizeof(WCHAR)));
    memcpy(answer.pOleStr, longName.c_str(), (longName.size() + 1) * sizeof(WCHAR));
    std::string expected;
    for (int i = 0; i < 400; ++i) expected += "表";
    EXPECT_EQ(StrRetToText(nullptr, answer), expected + "end");
    EXPECT_EQ(answer.pOleStr, nullptr);
}

TEST(IdListArray, ItemsAndParentsOneAtATimeAndTheIndexOutsideRaises) {
    TPTIdListArray three(AsList(kThree));
    EXPECT_EQ(three.Count(), 3);
    const std::string items[] = {Terminated(Item("ab")), Terminated(Item("cde")),
                                 Terminated(Item(std::string(300, 'x')))};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(BytesOf(three.Item(i)), items[i]);
    const struct {
        int levels;
        std::string parent;
    } parents[] = {{0, kThree}, {1, kTwo}, {2, kOne}, {3, kDesktop}, {4, kNone}, {-1, kNone}};
    for (const auto& c : parents) {
        LPITEMIDLIST parent = three.ParentList(c.levels);
        EXPECT_EQ(parent ? BytesOf(parent) : kNone, c.parent) << c.levels;
    }
    TPTIdListArray none(nullptr), desktop(AsList(kDesktop));
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(desktop.Count(), 0);
    EXPECT_EQ(none.ParentList(0), nullptr);
    const struct {
        TPTIdListArray* array;
        int index;
        const char* message;
    } outside[] = {{&three, 3, "TPTIdListArray - index 3 out of range"},
                   {&three, -1, "TPTIdListArray - index -1 out of range"},
                   {&none, 0, "TPTIdListArray - index 0 out of range"},
                   {&desktop, 0, "TPTIdListArray - index 0 out of range"}};
    for (const auto& c : outside) {
        try {
            c.array->Item(c.index);
            ADD_FAILURE() << "no error for " << c.index;
        } catch (const EPTIdListArray& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(ShellIdLists, ComparingBindingAndNamingRealFolders) {
    TempDir dir;
    dir.MakeDir("表\\inner");
    dir.MakeDir("b");
    const IdList top = ListOf(dir.Path()), table = ListOf(dir / "表"), inner = ListOf(dir / "表\\inner"),
                 b = ListOf(dir / "b");
    const IdList tableAgain = ListOf(dir / "表");
    const LPCITEMIDLIST desktop = AsList(kDesktop);
    const struct {
        LPCITEMIDLIST a, b;
        int result;
    } compared[] = {{nullptr, nullptr, 0},         {nullptr, top.get(), -1},     {top.get(), nullptr, -1},
                    {desktop, desktop, 0},         {desktop, top.get(), -1},     {top.get(), desktop, -1},
                    {table.get(), tableAgain.get(), 0}, {top.get(), top.get(), 0}};
    for (const auto& c : compared) EXPECT_EQ(CompareAbsIdLists(c.a, c.b), c.result);
    const int ab = CompareAbsIdLists(table.get(), b.get()), ba = CompareAbsIdLists(b.get(), table.get());
    EXPECT_NE(ab, 0);
    EXPECT_NE(ab, kIdListCompareFailed);
    EXPECT_EQ(ab < 0, ba > 0) << "the order is the shell's, both ways";

    // Binding: the desktop for none and for the empty list, a folder for its list.
    const std::string desktopPath = PathFromIdList(nullptr);
    EXPECT_FALSE(desktopPath.empty());
    for (LPCITEMIDLIST list : {static_cast<LPCITEMIDLIST>(nullptr), desktop}) {
        ui::ComPtr<IShellFolder> folder;
        ASSERT_EQ(BindToIdList(list, folder), S_OK);
        EXPECT_EQ(GetDisplayName(folder.get(), desktop, dnForParsing), desktopPath);
    }
    ui::ComPtr<IShellFolder> folder;
    ASSERT_EQ(BindToIdList(table.get(), folder), S_OK);
    const IdList innerItem = CopyIdList(nullptr, TPTIdListArray(inner.get()).Item(IdListCount(inner.get()) - 1));
    EXPECT_EQ(GetDisplayName(folder.get(), innerItem.get(), dnInFolder), "inner");
    EXPECT_EQ(GetDisplayName(folder.get(), innerItem.get(), dnForParsing), dir / "表\\inner");
    EXPECT_EQ(GetDisplayName(nullptr, top.get(), dnForParsing), dir.Path());

    // Names of absolute lists come from their parents; a list the shell cannot bind raises.
    EXPECT_EQ(DisplayNameOfAbs(table.get()), "表");
    EXPECT_EQ(DisplayNameOfAbs(inner.get()), "inner");
    EXPECT_EQ(DisplayNameOfAbs(nullptr), GetDisplayName(nullptr, desktop, dnInFolder));
    const IdList file = ListOf(dir.WriteFile("f.txt", "x"));
    const std::string belowFile = Concat(BytesOf(file.get()), Terminated(Item("zz")));
    EXPECT_THROW(DisplayNameOfAbs(AsList(belowFile)), ui::EOleSysError);

    EXPECT_NE(SysIconIndex(table.get(), SHGFI_SMALLICON), SysIconIndex(file.get(), SHGFI_SMALLICON));

    // Paths: a folder without trailing backslash, a virtual folder none, the desktop its folder.
    EXPECT_EQ(PathFromIdList(table.get()), dir / "表");
    EXPECT_EQ(AppendCharIfMissing(PathFromIdList(table.get()), '\\'), dir / "表\\") << "表's trail byte is no backslash";
    EXPECT_EQ(AppendCharIfMissing(dir.Path() + "\\", '\\'), dir.Path() + "\\");
    EXPECT_EQ(AppendCharIfMissing("", '\\'), "");
    EXPECT_EQ(SpecialFolderPath(nullptr, CSIDL_CONTROLS), "");
    EXPECT_EQ(SpecialFolderPath(nullptr, CSIDL_DESKTOP), desktopPath);
    const std::string startMenu = SpecialFolderPath(nullptr, CSIDL_STARTMENU);
    EXPECT_EQ(startMenu.substr(startMenu.size() - 11), "\\Start Menu");

    // Splitting: the parent's folder, its list and the last item, each a copy.
    ui::ComPtr<IShellFolder> parentFolder;
    IdList parentList, last;
    ASSERT_EQ(SplitIdList(inner.get(), parentFolder, parentList, last), S_OK);
    EXPECT_EQ(CompareAbsIdLists(parentList.get(), table.get()), 0);
    EXPECT_EQ(GetDisplayName(parentFolder.get(), last.get(), dnForParsing), dir / "表\\inner");
    // The desktop splits as its file-system folder.
    ASSERT_EQ(SplitIdList(desktop, parentFolder, parentList, last), S_OK);
    EXPECT_EQ(GetDisplayName(parentFolder.get(), last.get(), dnForParsing), desktopPath);
    // A one-item list: the desktop is its parent, and there is no parent list.
    const IdList firstLevel = CopyIdList(nullptr, TPTIdListArray(top.get()).Item(0));
    ASSERT_EQ(SplitIdList(firstLevel.get(), parentFolder, parentList, last), S_OK);
    EXPECT_FALSE(parentList);
    EXPECT_EQ(BytesOf(last.get()), BytesOf(firstLevel.get()));
    EXPECT_EQ(GetDisplayName(parentFolder.get(), last.get(), dnInFolder), DisplayNameOfAbs(firstLevel.get()));
}

TEST(ShellIdLists, APathThatDoesNotFitIsEmptyNeverCut) {
    TempDir dir;
    // 259 characters is the longest path the answer holds whole.
    const std::string exact = dir.Path() + "\\" + std::string(MAX_PATH - 2 - dir.Path().size(), 'e');
    ASSERT_TRUE(CreateDirectoryA(exact.c_str(), nullptr));
    ASSERT_EQ(exact.size(), size_t(MAX_PATH - 1));
    EXPECT_EQ(PathFromIdList(ListOf(exact).get()), exact);

    // Fewer characters than MAX_PATH, more bytes: parsed whole, but no path fits the answer.
    std::string doubleByte = dir.Path();
    while (doubleByte.size() < MAX_PATH + 20) {
        doubleByte += "\\表表表表表表表表表表";
        ASSERT_TRUE(CreateDirectoryA(doubleByte.c_str(), nullptr)) << doubleByte.size();
    }
    const IdList wide = ListOf(doubleByte);
    EXPECT_EQ(PathFromIdList(wide.get()), "");
    EXPECT_EQ(PathFromIdList(ConcatIdLists(nullptr, wide.get(), nullptr).get()), "");

    // Longer than MAX_PATH even in characters: the shell parses no such path, so the list is
    // joined from items of the same names made in a short folder.
    struct LongChain {  // removed also when an assertion ends the test early
        std::wstring path;
        int depth = 0;
        ~LongChain() {
            for (; depth > 0; --depth) {
                RemoveDirectoryW(path.c_str());
                path.resize(path.rfind(L'\\'));
            }
        }
    } chain;
    chain.path = L"\\\\?\\" + std::wstring(dir.Path().begin(), dir.Path().end());
    IdList list = ListOf(dir.Path());
    for (int i = 0; i < 4; ++i) {
        const std::string name(70, static_cast<char>('a' + i));
        chain.path += L"\\" + std::wstring(name.begin(), name.end());
        ASSERT_TRUE(CreateDirectoryW(chain.path.c_str(), nullptr));
        ++chain.depth;
        const IdList named = ListOf(dir.MakeDir("names\\" + name));
        list = ConcatIdLists(nullptr, list.get(), TPTIdListArray(named.get()).Item(IdListCount(named.get()) - 1));
    }
    EXPECT_EQ(GetDisplayName(nullptr, list.get(), dnForParsing).substr(0, dir.Path().size()), dir.Path());
    EXPECT_EQ(PathFromIdList(list.get()), "");

    // Parsing takes at most MAX_PATH - 1 characters and gives nothing for more.
    IdList parsed = ListOf(dir.Path());
    const std::string tooLong = dir.Path() + "\\" + std::string(300, 'p');
    EXPECT_EQ(ParsePath(tooLong, parsed), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(parsed);
    EXPECT_TRUE(FAILED(ParsePath(dir / "missing", parsed)));
    EXPECT_FALSE(parsed);
    EXPECT_TRUE(FAILED(ParsePath(std::string("C:\\a\0b", 6), parsed)));
}

// Run first in the process by the variants: the registration happens at the first request only.
// Images in a system image list, asked for as the module asks for the list.
int ImageCount(UINT size) {
    SHFILEINFOA info = {};
    return ImageList_GetImageCount(
        reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | size)));
}

TEST(SystemImageList, OnWindowsNTTheShellOverlaysAreAddedOnceToBothLists) {
    const bool applies = IsWindowsNT() && ComCtlVersion() >= 0x40047;
    EXPECT_EQ(NtOverlayFixApplies(), applies);
    EXPECT_EQ(IsWindowsNT(), OsVersion().dwPlatformId == VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(OsVersion().dwOSVersionInfoSize, 148u);
    EXPECT_GE(ComCtlVersion(), 0x40047u) << "the platform's common controls are newer than 4.71";
    // The variants run as Windows NT 4 (registered) and Windows 98 (not).
    const std::string personality = getenv("VEMLORA_WINVER") ? getenv("VEMLORA_WINVER") : "";
    if (personality == "nt40") {
        EXPECT_EQ(std::make_pair(OsVersion().dwMajorVersion, OsVersion().dwBuildNumber & 0xFFFF),
                  std::make_pair(DWORD(4), DWORD(1381)));
        EXPECT_TRUE(applies);
    }
    if (personality == "win98") {
        EXPECT_FALSE(applies);
    }
    const int small = ImageCount(SHGFI_SMALLICON), large = ImageCount(SHGFI_LARGEICON);
    HIMAGELIST smallList = SystemImageList(0), largeList = SystemImageList(1);
    ASSERT_NE(smallList, nullptr);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(smallList, &cx, &cy);
    EXPECT_EQ(cx, 16);
    ImageList_GetIconSize(largeList, &cx, &cy);
    EXPECT_EQ(cx, 32);
    const int added = applies ? 2 : 0;
    // Only the variants make this the process's first request (in the whole run the shell
    // tree's tests ask for the list before): there the images added can be counted.
    if (!personality.empty()) {
        EXPECT_EQ(ImageList_GetImageCount(smallList), small + added);
        EXPECT_EQ(ImageList_GetImageCount(largeList), large + added);
        // The shell's next index names its own new image, not one of the overlays (a shell
        // with more lists than these two counts its indexes in all of them).
        TempDir dir;
        dir.MakeDir("folder");
        const int folder = SysIconIndex(ListOf(dir / "folder").get(), SHGFI_SMALLICON | SHGFI_OPENICON);
        EXPECT_TRUE(folder < small || folder >= small + added) << folder;
    }
    const int registered = ImageList_GetImageCount(smallList);
    SystemImageList(0);
    SystemImageList(1);
    EXPECT_EQ(ImageList_GetImageCount(smallList), registered) << "once per process";
}

}  // namespace
