// The owners of COM pointers, task memory, ID lists, change notifications and drops, and the
// two guards where errors stop.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "support/Sandbox.h"
#include "ui/ComError.h"
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
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

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
        IUnknown* raw = c.detach();
        EXPECT_EQ(obj.refs, 3u);
        raw->Release();
    }
    EXPECT_EQ(obj.refs, 0u) << "every owner released exactly once";
    ui::ComPtr<IUnknown> empty;
    ui::ComPtr<IStream> none;
    EXPECT_EQ(empty.As(none), E_POINTER);
}

TEST(Owners, TaskMemoryIdListsChangeNotificationsAndDrops) {
    ui::CoTaskMemPtr<char> a(static_cast<char*>(CoTaskMemAlloc(16)));
    ui::CoTaskMemPtr<char> b(static_cast<char*>(CoTaskMemAlloc(16)));
    char* kept = a.get();
    b = std::move(a);  // b's old block is freed, a's moves over
    EXPECT_EQ(std::make_pair(b.get(), a.get()), std::make_pair(kept, static_cast<char*>(nullptr)));
    b = std::move(b);
    EXPECT_EQ(b.get(), kept);

    ui::IdListPtr list;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, list.put()), S_OK);
    char path[MAX_PATH] = {};
    EXPECT_TRUE(SHGetPathFromIDListA(list.get(), path));

    TempDir dir;
    ui::ChangeNotificationHandle watch(FindFirstChangeNotificationA(dir.Path().c_str(), FALSE,
                                                                    FILE_NOTIFY_CHANGE_FILE_NAME));
    ASSERT_TRUE(watch);
    dir.WriteFile("new.txt", "x");
    EXPECT_EQ(WaitForSingleObject(watch.get(), 2000), WAIT_OBJECT_0);
    ui::ChangeNotificationHandle failed(FindFirstChangeNotificationA((dir / "missing").c_str(), FALSE,
                                                                     FILE_NOTIFY_CHANGE_FILE_NAME));
    EXPECT_FALSE(failed) << "-1 is no handle";

    HGLOBAL memory = MakeDrop({dir / "new.txt"}, POINT{1, 2});
    {
        ui::DropHandle drop(static_cast<HDROP>(memory));
        EXPECT_EQ(DragQueryFileA(drop.get(), 0xFFFFFFFF, nullptr, 0), 1u);
    }
    EXPECT_EQ(GlobalSize(memory), 0u) << "finished: the memory is gone";
}

TEST(Guards, ReportOrAnswerWhatWouldLeaveAWindowProcedureOrAComMethod) {
    MessageBoxCapture boxes;
    ui::Guarded([] { throw ui::Exception("ドロップ失敗"); });
    ui::Guarded([] { throw 42; });
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "ドロップ失敗");
    EXPECT_EQ(boxes.Boxes()[1].text, "Unknown error");

    EXPECT_EQ(ui::ComGuarded([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(ui::ComGuarded([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(ui::ComGuarded([]() -> HRESULT { throw ui::Exception("x"); }), E_UNEXPECTED);
    EXPECT_EQ(boxes.Boxes().size(), 2u) << "a COM method shows nothing";
}

TEST(OleCheck, FailuresCarryTheSystemsTextAndSuccessPassesThrough) {
    EXPECT_EQ(ui::OleCheck(S_FALSE), S_FALSE);
    struct { HRESULT code; bool systemText; } cases[] = {
        {E_OUTOFMEMORY, true}, {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), true}, {static_cast<HRESULT>(0xA0DEAD01), false}};
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
