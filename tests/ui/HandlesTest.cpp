// The owners of COM pointers, task memory, ID lists, change notifications and drops, and the
// two guards where errors stop.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <stdexcept>
#include <vector>

#include "support/Sandbox.h"
#include "ui/ComError.h"
#include "ui/ExtCtrls.h"
#include "ui/Guard.h"
#include "ui/Handles.h"

using namespace testing_support;

namespace {

// A COM object that counts its references and answers IUnknown and IStream only.
class Counted : public IUnknown {
public:
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStream)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        EXPECT_GT(refs, 0u) << "released more often than referenced";
        return --refs;
    }
};

// Sees every block given back to the task allocator (CoTaskMemFree, the shell's allocator)
// while the scope lives. The spy itself lives on: the system may hold it past the revoke.
class FreeSpy : public IMallocSpy {
public:
    class Scope {
    public:
        Scope() : spy_(Instance()) {
            spy_.freed_.clear();
            EXPECT_EQ(CoRegisterMallocSpy(&spy_), S_OK);
        }
        ~Scope() { CoRevokeMallocSpy(); }
        // Blocks freed inside a call may have had the address its result gets: count from here.
        void Forget() { spy_.freed_.clear(); }
        int Frees(void* p) const { return static_cast<int>(std::count(spy_.freed_.begin(), spy_.freed_.end(), p)); }

    private:
        FreeSpy& spy_;
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* p) override { return p; }
    void* STDMETHODCALLTYPE PreFree(void* p, BOOL) override {
        if (p) freed_.push_back(p);
        return p;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* p, SIZE_T size, void** out, BOOL) override {
        *out = p;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* p, BOOL) override { return p; }
    void* STDMETHODCALLTYPE PreGetSize(void* p, BOOL) override { return p; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* p, BOOL) override { return p; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    static FreeSpy& Instance() {
        static FreeSpy* spy = new FreeSpy();
        return *spy;
    }
    std::vector<void*> freed_;
};

bool HandleIsOpen(HANDLE h) { return WaitForSingleObject(h, 0) != WAIT_FAILED; }

}  // namespace

TEST(ComPtr, CopiesMovesAttachAndQueriesKeepTheCountRight) {
    Counted obj;
    {
        ui::ComPtr<IUnknown> a;
        a.attach(&obj);  // takes the creation reference
        EXPECT_EQ(obj.refs, 1u);
        ui::ComPtr<IUnknown> b = a;
        EXPECT_EQ(obj.refs, 2u);
        b = b;  // self-assignment keeps the reference
        EXPECT_EQ(std::make_pair(obj.refs, b.get()), std::make_pair(ULONG(2), static_cast<IUnknown*>(&obj)));
        ui::ComPtr<IUnknown> c = std::move(b);
        EXPECT_EQ(std::make_pair(obj.refs, static_cast<bool>(b)), std::make_pair(ULONG(2), false));
        c = a;  // both hold the same object: one release, one add
        EXPECT_EQ(obj.refs, 2u);
        ui::ComPtr<IStream> stream;
        EXPECT_EQ(a.As(stream), S_OK);
        EXPECT_EQ(obj.refs, 3u);
        ui::ComPtr<IStorage> storage;
        EXPECT_EQ(a.As(storage), E_NOINTERFACE);
        EXPECT_FALSE(storage);
        ui::ComPtr<IUnknown>& alias = c;
        c = std::move(alias);  // moved onto itself: still held
        EXPECT_EQ(std::make_pair(obj.refs, c.get()), std::make_pair(ULONG(3), static_cast<IUnknown*>(&obj)));
        IUnknown* raw = c.detach();
        EXPECT_EQ(std::make_pair(obj.refs, static_cast<bool>(c)), std::make_pair(ULONG(3), false));
        c.attach(raw);  // takes the detached reference back
        EXPECT_EQ(obj.refs, 3u);
        raw->AddRef();
        c.attach(raw);  // a second one: the one it held goes back
        EXPECT_EQ(obj.refs, 3u);
        c.reset();
        EXPECT_EQ(std::make_pair(obj.refs, static_cast<bool>(c)), std::make_pair(ULONG(2), false));
    }
    EXPECT_EQ(obj.refs, 0u) << "every owner released exactly once";
    ui::ComPtr<IUnknown> empty;
    ui::ComPtr<IStream> none;
    EXPECT_EQ(empty.As(none), E_POINTER);
}

TEST(Owners, TaskMemoryAndIdListsGoBackToTheAllocatorOnceAndMovesFreeNothing) {
    FreeSpy::Scope spy;
    char* first = static_cast<char*>(CoTaskMemAlloc(16));
    char* second = static_cast<char*>(CoTaskMemAlloc(16));
    LPITEMIDLIST list = nullptr, handedOut = nullptr;
    {
        ui::CoTaskMemPtr<char> a(first), b(second);
        ui::CoTaskMemPtr<char>& alias = b;
        b = std::move(alias);
        EXPECT_EQ(spy.Frees(second), 0);
        b = std::move(a);  // b's old block is freed, a's moves over
        EXPECT_EQ(std::make_pair(spy.Frees(second), spy.Frees(first)), std::make_pair(1, 0));
        EXPECT_EQ(std::make_pair(b.get(), a.get()), std::make_pair(first, static_cast<char*>(nullptr)));

        ui::IdListPtr start;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, start.put()), S_OK);
        list = start.get();
        ui::IdListPtr kept(std::move(start));
        ui::IdListPtr other;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTMENU, other.put()), S_OK);
        spy.Forget();
        char path[MAX_PATH] = {};
        EXPECT_TRUE(SHGetPathFromIDListA(kept.get(), path));
        handedOut = other.release();
        EXPECT_EQ(std::make_pair(spy.Frees(list), spy.Frees(handedOut)), std::make_pair(0, 0));
    }
    EXPECT_EQ(std::make_pair(spy.Frees(first), spy.Frees(list)), std::make_pair(1, 1));
    EXPECT_EQ(spy.Frees(handedOut), 0);
    ui::IdListPtr taken(handedOut);
    taken.reset();
    EXPECT_EQ(spy.Frees(handedOut), 1);

    // Memory of a given allocator goes back to it; made without one, to the shell's own.
    ui::ComPtr<IMalloc> task;
    ASSERT_EQ(CoGetMalloc(1, task.put()), S_OK);
    void* third = task->Alloc(8);
    void* fourth = task->Alloc(8);
    void* kept = task->Alloc(8);
    LPITEMIDLIST shellList = nullptr;
    spy.Forget();  // the new blocks may sit where freed ones were
    {
        ui::MallocPtr<void> c(task.get(), third), d(task.get(), fourth);
        EXPECT_EQ(c.Allocator(), task.get());
        ui::MallocPtr<void> moved(std::move(c));
        EXPECT_FALSE(c);
        d = std::move(moved);  // d's block goes, moved's comes over
        EXPECT_EQ(std::make_pair(spy.Frees(fourth), spy.Frees(third)), std::make_pair(1, 0));
        ui::MallocPtr<void> released(task.get(), kept);
        EXPECT_EQ(released.release(), kept);
        released.reset();
        ui::MallocIdList fromShell;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTMENU, fromShell.put()), S_OK);
        shellList = fromShell.get();
        EXPECT_NE(ui::MallocIdList(nullptr).Allocator(), nullptr) << "none given: the shell's own";
        spy.Forget();
    }
    EXPECT_EQ(std::make_pair(spy.Frees(third), spy.Frees(shellList)), std::make_pair(1, 1));
    EXPECT_EQ(spy.Frees(kept), 0) << "released: the caller's";
    task->Free(kept);
}

TEST(Owners, ARealChangeWatchIsClosedOnceAndAFailedOneIsNoHandle) {
    TempDir dir;
    ui::ChangeNotificationHandle failed(FindFirstChangeNotificationA((dir / "missing").c_str(), FALSE,
                                                                     FILE_NOTIFY_CHANGE_FILE_NAME));
    EXPECT_FALSE(failed) << "-1 is no handle";
    HANDLE h = FindFirstChangeNotificationA(dir.Path().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    {
        ui::ChangeNotificationHandle watch;
        {
            ui::ChangeNotificationHandle first(h);
            watch = std::move(first);
        }
        EXPECT_TRUE(HandleIsOpen(h)) << "the moved-from owner closes nothing";
        dir.WriteFile("new.txt", "x");
        EXPECT_EQ(WaitForSingleObject(watch.get(), 2000), WAIT_OBJECT_0);
    }
    EXPECT_FALSE(HandleIsOpen(h));
    // Closed watches give their values back instead of piling up.
    std::set<HANDLE> distinct;
    for (int i = 0; i < 50; ++i) {
        ui::ChangeNotificationHandle watch(FindFirstChangeNotificationA(dir.Path().c_str(), FALSE, 1));
        ASSERT_TRUE(watch);
        distinct.insert(watch.get());
    }
    EXPECT_LE(distinct.size(), 2u);
}

TEST(Owners, AnEventIsClosedOnceByTheOwnerThatHoldsItLast) {
    HANDLE h = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(h, nullptr);
    {
        ui::EventHandle kept;
        {
            ui::EventHandle first(h);
            kept = std::move(first);
        }
        EXPECT_TRUE(HandleIsOpen(h)) << "the moved-from owner closes nothing";
        SetEvent(kept.get());
        EXPECT_EQ(WaitForSingleObject(kept.get(), 0), WAIT_OBJECT_0);
    }
    EXPECT_FALSE(HandleIsOpen(h));
    EXPECT_FALSE(ui::EventHandle()) << "null is no event";
}

TEST(Owners, ADropIsFinishedWithItsOwnerOnly) {
    HGLOBAL finished = MakeDrop({"C:\\a.ico"}, POINT{1, 2});
    HGLOBAL kept = MakeDrop({"C:\\b.ico"}, POINT{1, 2});
    {
        ui::DropHandle drop(static_cast<HDROP>(finished)), other(static_cast<HDROP>(kept));
        EXPECT_EQ(DragQueryFileA(drop.get(), 0xFFFFFFFF, nullptr, 0), 1u);
        other.release();
    }
    EXPECT_EQ(GlobalSize(finished), 0u) << "finished: the memory is gone";
    EXPECT_NE(GlobalSize(kept), 0u);
    GlobalFree(kept);
}

TEST(Guards, ReportOrAnswerWhatWouldLeaveAWindowProcedureOrAComMethod) {
    MessageBoxCapture boxes;
    ui::Guarded([] { throw ui::Exception("ドロップ失敗"); });
    ui::Guarded([] { throw 42; });
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "ドロップ失敗");
    EXPECT_EQ(boxes.Boxes()[1].text, "Unknown error");

    EXPECT_EQ(ui::Guarded(7, [] { return LRESULT(3); }), 3);
    EXPECT_EQ(ui::Guarded(7, []() -> LRESULT { throw std::runtime_error("lost"); }), 7);
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[2].text, "lost");
    // A timer's window procedure: the handler's error is shown and ends there.
    {
        ui::TTimer timer(nullptr);
        timer.SetInterval(10);
        int ticks = 0;
        timer.OnTimer = [&](ui::TObject*) {
            ++ticks;
            timer.SetEnabled(false);  // one tick: the box's own message loop would run it again
            throw ui::Exception("tick");
        };
        for (int i = 0; i < 100 && ticks == 0; ++i) {
            Sleep(10);
            PumpMessages();
        }
        EXPECT_EQ(ticks, 1);
    }
    ASSERT_EQ(boxes.Boxes().size(), 4u);
    EXPECT_EQ(boxes.Boxes()[3].text, "tick");
    const size_t shown = boxes.Boxes().size();

    EXPECT_EQ(ui::ComGuarded([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(ui::ComGuarded([] { return ui::OleCheck(E_ACCESSDENIED); }), E_ACCESSDENIED);
    EXPECT_EQ(ui::ComGuarded([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(ui::ComGuarded([]() -> HRESULT { throw ui::Exception("x"); }), E_UNEXPECTED);
    EXPECT_EQ(boxes.Boxes().size(), shown) << "a COM method shows nothing";
}

TEST(OleCheck, FailuresCarryTheSystemsTextAndSuccessPassesThrough) {
    EXPECT_EQ(ui::OleCheck(S_FALSE), S_FALSE);
    struct { HRESULT code; bool systemText; } cases[] = {
        {E_OUTOFMEMORY, true}, {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), true}, {static_cast<HRESULT>(0xA0DEAD01), false}};
    char own[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0, own,
                   sizeof(own), nullptr);
    std::string fileNotFound = own;
    while (!fileNotFound.empty() && strchr("\r\n ", fileNotFound.back())) fileNotFound.pop_back();
    // A system error wrapped in a result code reads like the system error itself.
    EXPECT_EQ(ui::SysErrorMessage(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), fileNotFound);
    for (const auto& c : cases) {
        try {
            ui::OleCheck(c.code);
            ADD_FAILURE() << "no exception for " << std::hex << c.code;
        } catch (const ui::EOleSysError& e) {
            EXPECT_EQ(e.ErrorCode(), c.code);
            const std::string text = e.Message();
            EXPECT_FALSE(text.empty());
            EXPECT_NE(text.back(), '\n');
            EXPECT_EQ(text.rfind("Error 0x", 0) == 0, !c.systemText) << text;
        }
    }
}
