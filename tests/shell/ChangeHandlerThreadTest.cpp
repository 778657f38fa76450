// The change thread on real folders: what it posts, to whom, for which slot, and how it ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>

#include "shell/ChangeHandlerThread.h"
#include "support/Sandbox.h"

using shell::TChangeHandlerThread;
using testing_support::TempDir;

namespace {

constexpr DWORD kDirs = FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr DWORD kDirsAndFiles = FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_FILE_NAME;

// A plain window that collects the change messages posted to it, by slot.
class Receiver {
public:
    Receiver() : wnd_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr)) {}
    ~Receiver() { DestroyWindow(wnd_); }
    HWND Window() const { return wnd_; }
    // Collects for `ms` milliseconds: slot -> number of messages.
    std::map<int, int> Collect(DWORD ms) {
        std::map<int, int> got;
        const DWORD end = GetTickCount() + ms;
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, wnd_, shell::kChangeMessage, shell::kChangeMessage, PM_REMOVE))
                ++got[static_cast<int>(msg.wParam)];
            const LONG left = static_cast<LONG>(end - GetTickCount());
            if (left <= 0) return got;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_POSTMESSAGE);
        }
    }

private:
    HWND wnd_;
};

}  // namespace

TEST(ChangeHandlerThread, FolderAndFileChangesByFilter) {
    struct Case {
        const char* what;
        DWORD filter;
        bool makeFolder;
        bool posted;
    } cases[] = {
        {"a new folder, folders watched", kDirs, true, true},
        {"a new file, folders watched", kDirs, false, false},
        {"a new file, file names watched", kDirsAndFiles, false, true},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Receiver r;
        TChangeHandlerThread thread(r.Window(), shell::kChangeMessage);
        int slot = -1;
        ASSERT_TRUE(thread.AddWatch(dir.Path(), c.filter, true, &slot)) << c.what;
        EXPECT_EQ(slot, 0) << c.what;
        if (c.makeFolder)
            dir.MakeDir("new");
        else
            dir.WriteFile("new.txt", "x");
        const auto got = r.Collect(300);
        EXPECT_EQ(got.count(0) == 1, c.posted) << c.what;
        if (c.posted) {
            EXPECT_EQ(got.at(0), 1) << c.what << ": one message for one change";
        }
    }
}

TEST(ChangeHandlerThread, RefusesEmptyMissingAndTheSixtyFourthWatch) {
    TempDir dir;
    Receiver r;
    TChangeHandlerThread thread(r.Window(), shell::kChangeMessage);
    EXPECT_FALSE(thread.AddWatch("", kDirs, true));
    EXPECT_FALSE(thread.AddWatch(dir / "missing", kDirs, true));
    for (int i = 0; i < TChangeHandlerThread::kSlotCount; ++i) {
        int slot = -1;
        ASSERT_TRUE(thread.AddWatch(dir.MakeDir("d" + std::to_string(i)), kDirs, false, &slot)) << i;
        EXPECT_EQ(slot, i);
    }
    const std::string last = dir.MakeDir("last");
    r.Collect(100);  // the folders just made were seen by the watches on the folder above: none
    EXPECT_FALSE(thread.AddWatch(last, kDirs, false));
    CreateDirectoryA((last + "\\inner").c_str(), nullptr);
    EXPECT_TRUE(r.Collect(200).empty()) << "a refused watch posts nothing";
}

TEST(ChangeHandlerThread, LaterSlotAfterAFreedOneStillReports) {
    TempDir dir;
    Receiver r;
    TChangeHandlerThread thread(r.Window(), shell::kChangeMessage);
    const std::string a = dir.MakeDir("a"), b = dir.MakeDir("b"), c = dir.MakeDir("c");
    int sa = -1, sb = -1, sc = -1;
    ASSERT_TRUE(thread.AddWatch(a, kDirs, false, &sa));
    ASSERT_TRUE(thread.AddWatch(b, kDirs, false, &sb));
    ASSERT_TRUE(thread.AddWatch(c, kDirs, false, &sc));
    ASSERT_TRUE(thread.RemoveWatch(sb));
    CreateDirectoryA((c + "\\x").c_str(), nullptr);
    auto got = r.Collect(300);
    EXPECT_EQ(got, (std::map<int, int>{{sc, 1}})) << "the later slot, once";
    CreateDirectoryA((b + "\\x").c_str(), nullptr);
    EXPECT_TRUE(r.Collect(200).empty()) << "the removed watch";
    CreateDirectoryA((c + "\\y").c_str(), nullptr);
    EXPECT_EQ(r.Collect(300), (std::map<int, int>{{sc, 1}})) << "re-armed after the first change";
    int reused = -1;
    ASSERT_TRUE(thread.AddWatch(b, kDirs, false, &reused));
    EXPECT_EQ(reused, sb) << "the first free slot is taken";
}

TEST(ChangeHandlerThread, ClearAndNewWindow) {
    TempDir dir;
    Receiver first, second;
    TChangeHandlerThread thread(first.Window(), shell::kChangeMessage);
    const std::string a = dir.MakeDir("a");
    ASSERT_TRUE(thread.AddWatch(a, kDirs, true));
    thread.ClearWatches();
    CreateDirectoryA((a + "\\x").c_str(), nullptr);
    EXPECT_TRUE(first.Collect(200).empty());
    ASSERT_TRUE(thread.AddWatch(a, kDirs, true));
    thread.SetWindow(second.Window());
    CreateDirectoryA((a + "\\y").c_str(), nullptr);
    EXPECT_EQ(second.Collect(300).size(), 1u);
    EXPECT_TRUE(first.Collect(50).empty());
}

TEST(ChangeHandlerThread, EndsPromptlyWhileWaiting) {
    TempDir dir;
    Receiver r;
    auto thread = std::make_unique<TChangeHandlerThread>(r.Window(), shell::kChangeMessage);
    ASSERT_TRUE(thread->AddWatch(dir.Path(), kDirs, true));
    HANDLE h = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->Handle(), GetCurrentProcess(), &h, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    const DWORD start = GetTickCount();
    thread.reset();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0) << "the worker has ended";
    CloseHandle(h);
}
