#pragma once
// Test helpers for the shell module: ID lists written byte by byte, drags, the lists of real
// folders, and a shell tree on a shown form.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/IdList.h"
#include "shell/ShellTree.h"
#include "support/Sandbox.h"
#include "support/Shortcuts.h"
#include "ui/Forms.h"

namespace shell_testing {

inline LPCITEMIDLIST AsList(const std::string& bytes) { return reinterpret_cast<LPCITEMIDLIST>(bytes.data()); }

// The bytes of a list, terminator included; "" for none.
inline std::string BytesOf(LPCITEMIDLIST list) {
    return list ? std::string(reinterpret_cast<const char*>(list), shell::IdListSize(list)) : std::string();
}

// One item: its 16-bit count, then `content`.
inline std::string Item(const std::string& content) {
    const size_t cb = content.size() + 2;
    return std::string{static_cast<char>(cb & 0xFF), static_cast<char>(cb >> 8)} + content;
}
inline std::string Terminated(const std::string& items) { return items + std::string(2, '\0'); }
// A 32-bit value as it lies in memory.
inline std::string U32(UINT v) { return std::string(reinterpret_cast<const char*>(&v), sizeof v); }

const DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// One whole drag as OLE makes it: enter and over with `keys`, drop with `dropKeys`, every effect
// offered at each step; the drop's effect.
inline DWORD DragAndDrop(IDropTarget* target, IDataObject* data, POINTL at, DWORD keys, DWORD dropKeys) {
    DWORD effect = kAll;
    EXPECT_EQ(target->DragEnter(data, keys, at, &effect), S_OK);
    effect = kAll;
    EXPECT_EQ(target->DragOver(keys, at, &effect), S_OK);
    effect = kAll;
    EXPECT_EQ(target->Drop(data, dropKeys, at, &effect), S_OK);
    return effect;
}

// The absolute ID list of an existing path; fails the test when the shell cannot parse it.
inline shell::IdList ListOf(const std::string& path) {
    shell::IdList list;
    EXPECT_EQ(shell::ParsePath(path, list), S_OK) << path;
    return list;
}

// A real file's absolute list, its parent folder and its list relative to that folder.
struct RealItem {
    explicit RealItem(const std::string& path) : absolute(ListOf(path)) {
        EXPECT_EQ(shell::SplitIdList(absolute.get(), folder, parentList, item), S_OK) << path;
    }
    shell::IdList absolute;
    ui::ComPtr<IShellFolder> folder;
    shell::IdList parentList, item;
};

// The tab's options without the watch, and with it.
constexpr WORD kTabOptions = 0x3F9;
const shell::TPTShellTreeOptions kQuietTab =
    shell::TPTShellTreeOptions(kTabOptions).Without(shell::ptstoDynamicRefresh);

// A shell tree (of class T) on a shown form over a folder of the test's own, filled by `fill`
// before the tree comes: by default with one item of every kind the tree tells apart.
template <class T = shell::TPTShellTree>
struct Scene {
    using Filler = void (*)(const testing_support::TempDir&);
    explicit Scene(shell::TPTShellTreeOptions options = kQuietTab, Filler fill = Fill) : form(nullptr) {
        fill(dir);
        form.SetBounds(0, 0, 320, 400);
        tree = new T(&form);
        tree->SetBounds(5, 5, 300, 360);
        tree->SetOptions(options);
        tree->SetIndent(20);
        tree->OnFillStart = [this](ui::TObject*) { ++fills; };
        tree->BaseFolder().SetIdList(ListOf(dir.Path()).get());
        tree->SetParent(&form);
        form.Show();
        testing_support::PumpMessages();  // the fill posted when the window came
    }
    static void Fill(const testing_support::TempDir& dir) {
        dir.WriteFile("a-folder\\inner\\deep.txt", "x");
        dir.WriteFile("a-folder\\inner\\" + std::string(180, 'L') + ".txt", "x");
        dir.MakeDir("b-folder\\sub");
        dir.MakeDir("empty");
        dir.WriteFile(".dot", "x");
        SetFileAttributesA(dir.WriteFile("h.txt", "x").c_str(), FILE_ATTRIBUTE_HIDDEN);
        dir.WriteFile("y.txt", "y");
        EXPECT_TRUE(testing_support::WriteShortcut(dir / "m.lnk", {"", dir.WriteFile("z.txt", "z"), "", "", ""}));
    }
    ui::TTreeNode* Top() { return tree->Items().GetFirstNode(); }
    // The top node's child of that name (the top node for none).
    ui::TTreeNode* Node(const char* name) { return name ? Child(Top(), name) : Top(); }
    static ui::TTreeNode* Child(ui::TTreeNode* parent, const std::string& text) {
        for (ui::TTreeNode* n = parent ? parent->GetFirstChild() : nullptr; n; n = n->GetNextSibling())
            if (n->Text() == text) return n;
        return nullptr;
    }
    static std::vector<std::string> Texts(ui::TTreeNode* parent) {
        std::vector<std::string> texts;
        for (ui::TTreeNode* n = parent->GetFirstChild(); n; n = n->GetNextSibling()) texts.push_back(n->Text());
        return texts;
    }
    // Pumps messages until `done` holds or `ms` have passed.
    template <class F>
    static bool PumpUntil(F done, DWORD ms) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > ms) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            testing_support::PumpMessages(1);
        }
        return true;
    }
    testing_support::TempDir dir;
    ui::TForm form;
    T* tree;
    int fills = 0;
};

using Tree = Scene<>;

}  // namespace shell_testing
