// ID lists by their bytes (sizes, copies, joins, items, never a byte past the terminator) and
// over the real shell (paths that do not fit).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/IdList.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"

using namespace shell;
using namespace shell_testing;
using testing_support::TempDir;

namespace {

const std::string kDesktop = Terminated("");
const std::string kOne = Terminated(Item("ab"));
const std::string kThree = Terminated(Item("ab") + Item("cde") + Item(std::string(300, 'x')));

// Bytes placed so that their last byte is the last readable one: the next page is no access.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * info.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + info.dwPageSize, info.dwPageSize, PAGE_NOACCESS, &old);
        at_ = base_ + info.dwPageSize - bytes.size();
        memcpy(at_, bytes.data(), bytes.size());
    }
    ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
    LPCITEMIDLIST List() const { return reinterpret_cast<LPCITEMIDLIST>(at_); }

private:
    BYTE* base_ = nullptr;
    BYTE* at_ = nullptr;
};

TEST(IdListBytes, NothingReadsPastTheTerminatorOfAListAtTheEndOfReadableMemory) {
    for (const std::string& bytes : {kDesktop, kOne, kThree}) {
        GuardedBytes guarded(bytes);
        const LPCITEMIDLIST list = guarded.List();
        EXPECT_EQ(IdListSize(list), bytes.size());
        EXPECT_EQ(BytesOf(CopyIdList(nullptr, list).get()), bytes);
        EXPECT_EQ(BytesOf(ConcatIdLists(nullptr, list, list).get()), bytes.substr(0, bytes.size() - 2) + bytes);
        TPTIdListArray items(list);
        for (int i = 0; i < items.Count(); ++i) EXPECT_EQ(IdListCount(items.Item(i)), 1);
        EXPECT_EQ(BytesOf(items.ParentList(0)), bytes);
        EXPECT_THROW(items.Item(items.Count()), EPTIdListArray);
    }
    // A name answered as an offset is read inside the list only.
    const std::string named = Terminated(Item(std::string("\0\0name", 6)));
    GuardedBytes guarded(named);
    const struct {
        UINT offset;
        std::string text;
    } offsets[] = {{4, "name"}, {static_cast<UINT>(named.size() - 1), ""}, {static_cast<UINT>(named.size()), ""},
                   {0x7FFFFFFF, ""}};
    for (const auto& c : offsets) {
        STRRET answer = {};
        answer.uType = STRRET_OFFSET;
        answer.uOffset = c.offset;
        EXPECT_EQ(StrRetToText(guarded.List(), answer), c.text) << c.offset;
    }
    // An inline answer that fills its buffer with no terminator has no text.
    STRRET answer = {};
    answer.uType = STRRET_CSTR;
    memset(answer.cStr, 'x', sizeof answer.cStr);
    EXPECT_EQ(StrRetToText(nullptr, answer), "");
}

TEST(ShellIdLists, APathThatDoesNotFitIsEmptyNeverCut) {
    TempDir dir;
    // 259 characters is the longest path the answer holds whole.
    const std::string exact = dir.Path() + "\\" + std::string(MAX_PATH - 2 - dir.Path().size(), 'e');
    ASSERT_TRUE(CreateDirectoryA(exact.c_str(), nullptr));
    EXPECT_EQ(PathFromIdList(ListOf(exact).get()), exact);
    EXPECT_EQ(AppendCharIfMissing(dir.MakeDir("表"), '\\'), dir / "表\\") << "表's trail byte is no backslash";

    // Fewer characters than MAX_PATH, more bytes: parsed whole, but no path fits the answer.
    std::string doubleByte = dir.Path();
    while (doubleByte.size() < MAX_PATH + 20) {
        doubleByte += "\\表表表表表表表表表表";
        ASSERT_TRUE(CreateDirectoryA(doubleByte.c_str(), nullptr)) << doubleByte.size();
    }
    EXPECT_EQ(PathFromIdList(ListOf(doubleByte).get()), "");

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
    EXPECT_EQ(PathFromIdList(list.get()), "");

    // Parsing takes at most MAX_PATH - 1 characters and gives nothing for more.
    IdList parsed = ListOf(dir.Path());
    EXPECT_EQ(ParsePath(dir.Path() + "\\" + std::string(300, 'p'), parsed), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(parsed);
}

}  // namespace
