#include "shell/ShellDropTarget.h"

#include <ole2.h>
#include <shellapi.h>

#include <cstring>

#include "shell/IdList.h"
#include "shell/ShellDropSource.h"
#include "shell/ShellModule.h"
#include "ui/SysUtils.h"

namespace shell {

namespace {

constexpr DWORD kAllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// Bytes of the ID list at `offset` of a block of `size` bytes, terminator included; 0 when it
// runs past the block.
UINT BoundedListSize(const BYTE* block, SIZE_T size, SIZE_T offset) {
    SIZE_T at = offset;
    for (;;) {
        if (at + sizeof(USHORT) > size) return 0;
        USHORT cb;
        memcpy(&cb, block + at, sizeof cb);
        if (!cb) return static_cast<UINT>(at + sizeof(USHORT) - offset);
        at += cb;
    }
}

// A folder's drop that did nothing: it refused the data's formats, or answered the effects it
// was offered instead of the one it carried out (one system's folders do both and move no file).
bool DropTookNothing(HRESULT hr, DWORD effect) {
    if (hr == DV_E_FORMATETC) return true;
    const DWORD done = effect & kAllEffects;
    return SUCCEEDED(hr) && (done & (done - 1)) != 0;
}

// A path without its trailing backslash (a drive's root keeps it).
ui::String WithoutSlash(ui::String path) {
    if (path.size() > 3 && ui::LastDelimiter("\\", path) == path.size() - 1) path.pop_back();
    return path;
}

bool SamePath(const ui::String& a, const ui::String& b) {
    return lstrcmpiA(WithoutSlash(a).c_str(), WithoutSlash(b).c_str()) == 0;
}

// The folder `file` lies in.
ui::String ParentOf(const ui::String& file) { return WithoutSlash(ui::ExtractFilePath(WithoutSlash(file))); }

// `folder` is `file` itself or lies below it.
bool IsWithin(const ui::String& folder, const ui::String& file) {
    const ui::String f = ui::AnsiUpperCase(WithoutSlash(file)) + "\\";
    const ui::String d = ui::AnsiUpperCase(WithoutSlash(folder)) + "\\";
    return d.compare(0, f.size(), f) == 0;
}

bool SameDrive(const ui::String& a, const ui::String& b) {
    auto letter = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return a.size() >= 2 && b.size() >= 2 && a[1] == ':' && b[1] == ':' && letter(a[0]) == letter(b[0]);
}

// A shortcut to `file` in `folder`, named after it; a name already taken gets a number.
bool MakeShortcut(const ui::String& file, const ui::String& folder) {
    ui::String name = ui::ExtractFileName(WithoutSlash(file));
    if (name.empty()) name = file.substr(0, 1);
    const ui::String base = AppendCharIfMissing(WithoutSlash(folder), '\\') + name;
    ui::String target = base + ".lnk";
    for (int n = 2; ui::EntryExists(target); ++n) target = base + " (" + ui::IntToStr(n) + ").lnk";
    ui::ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid())) ||
        !link)
        return false;
    if (FAILED(link->SetPath(file.c_str()))) return false;
    ui::ComPtr<IPersistFile> persist;
    if (FAILED(link.As(IID_IPersistFile, persist)) || !persist) return false;
    const std::wstring wide = ui::WideString(target);
    return SUCCEEDED(persist->Save(wide.c_str(), TRUE));
}

}  // namespace

// ---- host ----

void TPTShellDropHost::ScrollLine(int bar, int code) {
    SendMessageA(DropWindow(), bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, 0), 0);
}

HWND TPTShellDropHost::GetAncestorWindow(HWND wnd) {
    while (wnd && (GetWindowLongPtrA(wnd, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(wnd);
        if (!parent) break;
        wnd = parent;
    }
    return wnd;
}

// ---- registration ----

HRESULT TPTDropTargetRegistration::Register(TPTShellDropHost* host) {
    Revoke();
    if (!host) return E_INVALIDARG;
    HWND wnd = host->DropWindow();
    auto* target = new TDropTarget_shtv(host);
    const HRESULT hr = RegisterDragDrop(wnd, target);
    if (FAILED(hr)) {
        target->Detach();
        target->Release();
        return hr;
    }
    wnd_ = wnd;
    target_ = target;
    return hr;
}

void TPTDropTargetRegistration::Revoke() {
    if (!target_) return;
    RevokeDragDrop(wnd_);
    target_->Detach();  // OLE may hold it a little longer; the host is gone for it
    target_->Release();
    target_ = nullptr;
    wnd_ = nullptr;
}

// ---- helpers ----

DWORD DataObjectAllowedEffects(IDataObject* data) {
    if (!data) return kAllEffects;
    FORMATETC format = {static_cast<CLIPFORMAT>(ShellIdListFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return kAllEffects;
    DWORD allowed = kAllEffects;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        const SIZE_T size = GlobalSize(medium.hGlobal);
        const BYTE* block = static_cast<const BYTE*>(GlobalLock(medium.hGlobal));
        if (block && size >= sizeof(UINT)) {
            UINT count;
            memcpy(&count, block, sizeof count);
            const SIZE_T header = sizeof(UINT) * (SIZE_T(count) + 2);
            if (count > 0 && count < size && header <= size) {
                std::vector<LPCITEMIDLIST> lists;
                for (UINT i = 0; i <= count; ++i) {
                    UINT offset;
                    memcpy(&offset, block + sizeof(UINT) * (i + 1), sizeof offset);
                    if (!BoundedListSize(block, size, offset)) break;
                    lists.push_back(reinterpret_cast<LPCITEMIDLIST>(block + offset));
                }
                ui::ComPtr<IShellFolder> parent;
                if (lists.size() == count + 1 && SUCCEEDED(BindToIdList(lists[0], parent)) && parent)
                    allowed = AllowedDropEffects(parent.get(), std::vector<LPCITEMIDLIST>(lists.begin() + 1, lists.end()));
            }
        }
        if (block) GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return allowed;
}

std::vector<ui::String> DroppedFiles(IDataObject* data) {
    std::vector<ui::String> files;
    if (!data) return files;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return files;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        HDROP drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            const UINT length = DragQueryFileA(drop, i, nullptr, 0);
            ui::String path(length + 1, '\0');
            path.resize(DragQueryFileA(drop, i, &path[0], length + 1));
            if (!path.empty()) files.push_back(path);
        }
    }
    ReleaseStgMedium(&medium);
    return files;
}

DWORD FileDropEffect(DWORD keyState, const std::vector<ui::String>& files, const ui::String& folder,
                     DWORD offered) {
    if (files.empty() || folder.empty()) return DROPEFFECT_NONE;
    bool allInFolder = true;
    for (const ui::String& file : files) {
        if (IsWithin(folder, file)) return DROPEFFECT_NONE;  // into itself
        if (!SamePath(ParentOf(file), folder)) allInFolder = false;
    }
    const bool shift = keyState & MK_SHIFT, control = keyState & MK_CONTROL;
    DWORD chosen;
    if (shift && control) chosen = DROPEFFECT_LINK;
    else if (shift) chosen = DROPEFFECT_MOVE;
    else if (control) chosen = DROPEFFECT_COPY;
    else chosen = SameDrive(files[0], folder) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    // Copying or moving a file onto itself does nothing useful; a shortcut beside it is fine.
    if (allInFolder && chosen != DROPEFFECT_LINK) return DROPEFFECT_NONE;
    if (offered & chosen) return chosen;
    for (DWORD e : {DWORD(DROPEFFECT_COPY), DWORD(DROPEFFECT_MOVE), DWORD(DROPEFFECT_LINK)})
        if ((offered & e) && !(allInFolder && e != DROPEFFECT_LINK)) return e;
    return DROPEFFECT_NONE;
}

DWORD FileDropInto(HWND owner, const std::vector<ui::String>& files, const ui::String& folder, DWORD effect) {
    if (files.empty() || folder.empty()) return DROPEFFECT_NONE;
    if (effect == DROPEFFECT_LINK) {
        bool any = false;
        for (const ui::String& file : files) any = MakeShortcut(file, folder) || any;
        return any ? DROPEFFECT_LINK : DROPEFFECT_NONE;
    }
    if (effect != DROPEFFECT_COPY && effect != DROPEFFECT_MOVE) return DROPEFFECT_NONE;
    ui::String from;
    for (const ui::String& file : files) from.append(file).push_back('\0');
    from.push_back('\0');
    ui::String to = WithoutSlash(folder);
    to.push_back('\0');
    to.push_back('\0');
    SHFILEOPSTRUCTA op = {};
    op.hwnd = owner;
    op.wFunc = effect == DROPEFFECT_MOVE ? FO_MOVE : FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_ALLOWUNDO;
    if (SHFileOperationA(&op) != 0 || op.fAnyOperationsAborted) return DROPEFFECT_NONE;
    return effect;
}

// ---- target ----

HRESULT TDropTarget_shtv::AskNode(TDropNode node, IDataObject* data, DWORD keyState, POINTL point, DWORD* effect,
                                  bool over, bool drop) {
    const DWORD offered = *effect & allowed_;
    *effect = DROPEFFECT_NONE;
    ui::ComPtr<IDropTarget> target;
    host_->NodeDropTarget(node, target);
    HRESULT hr = S_OK;
    DWORD answer = DROPEFFECT_NONE;
    if (target) {
        answer = offered;
        hr = target->DragEnter(data, keyState, point, &answer);
        if (over || drop) {
            answer = offered;
            hr = target->DragOver(keyState, point, &answer);
        }
        answer &= offered;
        if (drop && answer) {
            answer = offered;
            hr = target->Drop(data, keyState, point, &answer);
            answer &= ~kDropEffectScroll;
            if (!DropTookNothing(hr, answer)) {
                *effect = answer;
                return hr;
            }
            answer = DROPEFFECT_NONE;
        } else {
            target->DragLeave();
        }
    }
    if (!answer) {
        // Where the shell takes nothing for a file-system folder, the files are copied, moved
        // or linked as the shell would.
        const ui::String folder = host_->NodePath(node);
        if (!folder.empty() && ui::DirectoryExists(folder)) {
            const std::vector<ui::String> files = DroppedFiles(data);
            answer = FileDropEffect(keyState, files, folder, offered);
            if (drop && answer) answer = FileDropInto(host_->OwnerWindow(), files, folder, answer);
            if (answer) hr = S_OK;
        }
    }
    *effect = answer;
    return hr;
}

void TDropTarget_shtv::AutoScroll(POINTL point) {
    const DWORD now = host_->TickCount();
    if (now - lastScroll_ <= kAutoScrollInterval) return;
    HWND wnd = host_->DropWindow();
    RECT client = {};
    if (!wnd || !GetClientRect(wnd, &client)) return;
    POINT p = {point.x, point.y};
    ScreenToClient(wnd, &p);
    const int vertical = p.y < client.top + kAutoScrollVerticalMargin       ? SB_LINEUP
                         : p.y > client.bottom - kAutoScrollVerticalMargin ? SB_LINEDOWN
                                                                           : -1;
    const int horizontal = p.x < client.left + kAutoScrollHorizontalMargin       ? SB_LINELEFT
                           : p.x > client.right - kAutoScrollHorizontalMargin ? SB_LINERIGHT
                                                                              : -1;
    if (vertical >= 0) host_->ScrollLine(SB_VERT, vertical);
    if (horizontal >= 0) host_->ScrollLine(SB_HORZ, horizontal);
    if (vertical >= 0 || horizontal >= 0) lastScroll_ = now;
}

HRESULT TDropTarget_shtv::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    return ui::ComGuarded([&]() -> HRESULT {
        if (!effect) return E_INVALIDARG;
        DWORD answer = *effect;
        *effect = kDropEffectScroll;
        if (data) data->AddRef();
        data_.attach(data);
        enterKeys_ = keyState;
        allowed_ = DataObjectAllowedEffects(data);
        if (!host_) return S_OK;
        lastScroll_ = host_->TickCount();
        HRESULT hr = S_OK;
        const TDropNode node = host_->DropNodeAt(POINT{point.x, point.y}, false);
        host_->HighlightDropNode(node);
        if (node && data) hr = AskNode(node, data, keyState, point, &answer, false, false);
        else answer = DROPEFFECT_NONE;
        *effect = answer | kDropEffectScroll;
        return hr;
    });
}

HRESULT TDropTarget_shtv::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    return ui::ComGuarded([&]() -> HRESULT {
        if (!effect) return E_INVALIDARG;
        DWORD answer = *effect;
        *effect = kDropEffectScroll;
        if (!host_) return S_OK;
        HRESULT hr = S_OK;
        const TDropNode node = host_->DropNodeAt(POINT{point.x, point.y}, true);
        host_->HighlightDropNode(node);
        if (node && data_) hr = AskNode(node, data_.get(), keyState, point, &answer, true, false);
        else answer = DROPEFFECT_NONE;
        AutoScroll(point);
        *effect = answer | kDropEffectScroll;
        return hr;
    });
}

HRESULT TDropTarget_shtv::DragLeave() {
    return ui::ComGuarded([&]() -> HRESULT {
        data_.reset();
        if (host_) host_->HighlightDropNode(nullptr);
        return S_OK;
    });
}

HRESULT TDropTarget_shtv::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    return ui::ComGuarded([&]() -> HRESULT {
        if (!effect) return E_INVALIDARG;
        DWORD answer = *effect;
        *effect = DROPEFFECT_NONE;
        ui::ComPtr<IDataObject> kept = std::move(data_);  // let go at the end, whatever happens
        if (!host_ || !data) return S_OK;
        // The buttons held at entry, so that a right drag reaches the folder as one.
        const DWORD keys = keyState | (enterKeys_ & (MK_LBUTTON | MK_RBUTTON));
        HRESULT hr = S_OK;
        const TDropNode node = host_->DropNodeAt(POINT{point.x, point.y}, true);
        if (node) hr = AskNode(node, data, keys, point, &answer, true, true);
        else answer = DROPEFFECT_NONE;
        host_->HighlightDropNode(nullptr);
        *effect = answer;
        return hr;
    });
}

}  // namespace shell
