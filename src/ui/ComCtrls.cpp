#include "ui/ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

// ---- TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) { SetVisible(false); }

TTabSheet::~TTabSheet() {
    if (pageControl_) pageControl_->RemovePage(this);
    pageControl_ = nullptr;
}

void TTabSheet::SetPageControl(TPageControl* control) {
    if (pageControl_ == control) return;
    if (pageControl_) pageControl_->RemovePage(this);
    pageControl_ = control;
    // Placed and shown or hidden by the page control before its window can appear.
    if (control) control->InsertPage(this);
    SetParent(control);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    const auto& pages = pageControl_->pages_;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::TextChanged() {
    TWinControl::TextChanged();
    if (!pageControl_ || !pageControl_->HandleAllocated()) return;
    int index = PageIndex();
    if (index < 0) return;
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(Caption().c_str());
    SendMessageA(pageControl_->Handle(), TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    pageControl_->PlaceSheets();  // the tab rows may have changed
}

// ---- TPageControl

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

TPageControl::~TPageControl() {
    for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

void TPageControl::CreateParams(TCreateParams& params) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    TWinControl::CreateParams(params);
    params.ClassName = WC_TABCONTROLA;
    params.OwnClass = false;
    if (tabWidth_ > 0) params.Style |= TCS_FIXEDWIDTH;
}

void TPageControl::HandleCreated() {
    if (tabWidth_ > 0 || tabHeight_ > 0)
        SendMessageA(Handle(), TCM_SETITEMSIZE, 0, MAKELPARAM(tabWidth_, tabHeight_));
    UpdateTabs();
    // The sheets' windows come next, already in place.
    PlaceSheets();
}

void TPageControl::UpdateTabs() {
    HWND wnd = Handle();
    SendMessageA(wnd, TCM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < pages_.size(); ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(pages_[i]->Caption().c_str());
        SendMessageA(wnd, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(wnd, TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
}

RECT TPageControl::AlignRect() const {
    RECT r = ClientRect();
    if (HandleAllocated())
        SendMessageA(const_cast<TPageControl*>(this)->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

void TPageControl::PlaceSheets() {
    RECT r = AlignRect();
    for (TTabSheet* page : std::vector<TTabSheet*>(pages_))
        page->SetBoundsAligned(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::BoundsChanged() {
    TWinControl::BoundsChanged();
    PlaceSheets();
}

void TPageControl::InsertPage(TTabSheet* page) {
    pages_.push_back(page);
    if (HandleAllocated()) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(page->Caption().c_str());
        SendMessageA(Handle(), TCM_INSERTITEMA, pages_.size() - 1, reinterpret_cast<LPARAM>(&item));
    }
    PlaceSheets();
    if (!activePage_) {
        SetActivePage(page);
    } else {
        page->SetVisible(false);
    }
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end()) return;
    size_t index = static_cast<size_t>(it - pages_.begin());
    pages_.erase(it);
    if (HandleAllocated()) SendMessageA(Handle(), TCM_DELETEITEM, index, 0);
    if (activePage_ != page) {
        if (HandleAllocated()) SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
        return;
    }
    // The page that took its place becomes active, or the one before it.
    activePage_ = nullptr;
    if (!pages_.empty()) SetActivePage(pages_[std::min(index, pages_.size() - 1)]);
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->pageControl_ != this) return;
    if (activePage_ == page) return;
    activePage_ = page;
    if (HandleAllocated()) SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(ActivePageIndex()), 0);
    ShowActive();
}

int TPageControl::ActivePageIndex() const {
    auto it = std::find(pages_.begin(), pages_.end(), activePage_);
    return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? pages_[index] : nullptr);
}

void TPageControl::ShowActive() {
    // The new page first, so that no bare tab area shows in between.
    if (activePage_) {
        activePage_->SetVisible(true);
        if (activePage_->HandleAllocated())
            SetWindowPos(activePage_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (TTabSheet* page : pages_)
        if (page != activePage_) page->SetVisible(false);
}

void TPageControl::SetTabSize(int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (tabWidth_ == width && tabHeight_ == height) return;
    tabWidth_ = width;
    tabHeight_ = height;
    // Fixed-width tabs are a creation style.
    RecreateWnd();
}

void TPageControl::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        result = 0;  // for TCN_SELCHANGING: the change may go ahead
        if (hdr->code == static_cast<UINT>(TCN_SELCHANGE)) {
            int index = static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0));
            TTabSheet* page = index >= 0 && index < PageCount() ? pages_[index] : nullptr;
            if (page != activePage_) {
                activePage_ = page;
                ShowActive();
            }
            if (OnChange) OnChange(this);
        }
        return;
    }
    TWinControl::WndProc(msg, wp, lp, result);
    if (msg == WM_SIZE) PlaceSheets();
}

// ---- TStatusBar

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 185, 19);
    SetAlign(TAlign::alBottom);
}

void TStatusBar::CreateParams(TCreateParams& params) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    TWinControl::CreateParams(params);
    params.ClassName = STATUSCLASSNAMEA;
    params.OwnClass = false;
    params.Style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
    if (sizeGrip_) params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::HandleCreated() {
    UpdateHeight();
    UpdatePanels();
}

void TStatusBar::BoundsChanged() {
    TWinControl::BoundsChanged();
    UpdateHeight();
}

void TStatusBar::FontChanged() {
    TWinControl::FontChanged();
    UpdateHeight();  // the bar measured its height anew from the font
}

void TStatusBar::UpdateHeight() {
    if (!HandleAllocated() || Height() <= 0) return;
    HWND wnd = Handle();
    // The bar sizes itself on WM_SIZE: its height is the minimum height plus its borders.
    int borders[3] = {0, 0, 0};
    SendMessageA(wnd, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    int minHeight = Height() - 2 * borders[1];
    for (int attempt = 0; attempt < 2; ++attempt) {
        SendMessageA(wnd, SB_SETMINHEIGHT, static_cast<WPARAM>(std::max(minHeight, 0)), 0);
        SendMessageA(wnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(Width(), Height()));
        RECT r;
        GetWindowRect(wnd, &r);
        int diff = Height() - (r.bottom - r.top);
        if (diff == 0) break;
        minHeight += diff;  // borders counted otherwise than assumed
    }
}

void TStatusBar::UpdatePanels() {
    if (!HandleAllocated()) return;
    HWND wnd = Handle();
    std::vector<int> edges;
    int x = 0;
    for (const TStatusPanel& p : panels_) {
        x += p.Width;
        edges.push_back(x);
    }
    // The last panel reaches to the bar's right edge.
    if (edges.empty()) edges.push_back(-1);
    edges.back() = -1;
    SendMessageA(wnd, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < panels_.size(); ++i)
        SendMessageA(wnd, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(panels_[i].Text.c_str()));
    if (panels_.empty()) SendMessageA(wnd, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
}

void TStatusBar::AddPanel(int width, const String& text) {
    panels_.push_back(TStatusPanel{width, text});
    UpdatePanels();
}

void TStatusBar::SetPanelText(int index, const String& text) {
    if (index < 0 || index >= PanelCount()) throw Exception("Status bar panel index out of range");
    if (panels_[index].Text == text) return;
    panels_[index].Text = text;
    if (HandleAllocated())
        SendMessageA(Handle(), SB_SETTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::SetSizeGrip(bool v) {
    if (sizeGrip_ == v) return;
    sizeGrip_ = v;
    RecreateWnd();
}

}  // namespace ui
