#include "ui/ListBox.h"

namespace ui {

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    SetTabStop(true);
}

TCustomListBox::~TCustomListBox() { DestroyHandle(); }

// Adding, counting and reading items is done item by item, thousands of times for a large
// list. Those messages go straight to the list box's own procedure: the toolkit's dispatch
// adds nothing to them, and finding the object of a window costs a round trip to the
// window server under Wine (about 40 us, five times the cost of adding an item).
LRESULT TCustomListBox::ItemMessage(UINT msg, WPARAM wp, LPARAM lp) const {
    return const_cast<TCustomListBox*>(this)->DefaultHandler(msg, wp, lp);
}

void TCustomListBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.ClassName = "LISTBOX";
    p.OwnClass = false;
    // The list box keeps the height it is given (no integral rows).
    p.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    if (style_ == TListBoxStyle::lbOwnerDrawFixed) p.Style |= LBS_OWNERDRAWFIXED;
    if (columns_ > 0) p.Style |= LBS_MULTICOLUMN | WS_HSCROLL;
    if (ctl3D_)
        p.ExStyle |= WS_EX_CLIENTEDGE;
    else
        p.Style |= WS_BORDER;
}

void TCustomListBox::HandleCreated() {
    HWND wnd = Wnd();
    // An owner-drawn list box asks its parent for the item height while it is being
    // created, before it is bound to this object; set it now.
    if (style_ == TListBoxStyle::lbOwnerDrawFixed) SendMessageA(wnd, LB_SETITEMHEIGHT, 0, itemHeight_);
    SendColumnWidth();
    // Quietly: a visible list box paints a changed selection at once.
    SendMessageA(wnd, WM_SETREDRAW, FALSE, 0);
    if (!saved_.empty()) {
        ItemMessage(LB_INITSTORAGE, saved_.size(), 0);
        for (const String& s : saved_) ItemMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
        SendMessageA(wnd, LB_SETTOPINDEX, savedTop_, 0);
    }
    if (savedIndex_ >= 0) SendMessageA(wnd, LB_SETCURSEL, savedIndex_, 0);
    saved_.clear();
    savedIndex_ = -1;
    savedTop_ = 0;
    if (updateCount_ + quietCount_ == 0) SendMessageA(wnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(wnd, nullptr, TRUE);
}

void TCustomListBox::HandleDestroying() {
    // Keep the items for the next window; the window's own copies go with it (each one
    // reaching DeleteItem).
    HWND wnd = Wnd();
    int n = ItemCount();
    saved_.clear();
    saved_.reserve(n > 0 ? n : 0);
    for (int i = 0; i < n; ++i) saved_.push_back(Items(i));
    savedIndex_ = static_cast<int>(SendMessageA(wnd, LB_GETCURSEL, 0, 0));
    savedTop_ = static_cast<int>(SendMessageA(wnd, LB_GETTOPINDEX, 0, 0));
    if (savedIndex_ < 0) savedIndex_ = -1;
    if (savedTop_ < 0) savedTop_ = 0;
}

void TCustomListBox::BoundsChanged() {
    TWinControl::BoundsChanged();
    SendColumnWidth();
}

// ---- items

int TCustomListBox::ItemCount() const {
    if (Wnd()) return static_cast<int>(ItemMessage(LB_GETCOUNT, 0, 0));
    return static_cast<int>(saved_.size());
}

String TCustomListBox::Items(int index) const {
    if (Wnd()) {
        LRESULT len = ItemMessage(LB_GETTEXTLEN, index, 0);
        if (len == LB_ERR) return String();
        String text(static_cast<size_t>(len) + 1, '\0');
        LRESULT got = ItemMessage(LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
        return text;
    }
    if (index < 0 || index >= static_cast<int>(saved_.size())) return String();
    return saved_[index];
}

int TCustomListBox::AddItem(const String& text) {
    if (Wnd()) {
        LRESULT r = ItemMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return r < 0 ? -1 : static_cast<int>(r);
    }
    saved_.push_back(text);
    return static_cast<int>(saved_.size()) - 1;
}

void TCustomListBox::ClearItems() {
    if (HWND wnd = Wnd()) {
        SendMessageA(wnd, LB_RESETCONTENT, 0, 0);
        return;
    }
    saved_.clear();
    savedIndex_ = -1;
    savedTop_ = 0;
}

void TCustomListBox::ReserveItems(int count) {
    if (count <= 0) return;
    if (Wnd())
        ItemMessage(LB_INITSTORAGE, count, 0);
    else
        saved_.reserve(saved_.size() + static_cast<size_t>(count));
}

// ---- bulk update

void TCustomListBox::SetRedraw(bool on) {
    if (HWND wnd = Wnd()) SendMessageA(wnd, WM_SETREDRAW, on ? TRUE : FALSE, 0);
}

void TCustomListBox::BeginUpdate() {
    if (updateCount_++ + quietCount_ == 0) SetRedraw(false);
}

void TCustomListBox::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ + quietCount_ == 0) {
        SetRedraw(true);
        Repaint();
    }
}

void TCustomListBox::BeginQuietUpdate() {
    if (updateCount_ + quietCount_++ == 0) SetRedraw(false);
}

void TCustomListBox::EndQuietUpdate() {
    if (quietCount_ == 0) return;
    if (updateCount_ + --quietCount_ == 0) {
        SetRedraw(true);
        if (HWND wnd = Wnd()) InvalidateRect(wnd, nullptr, TRUE);
    }
}

// ---- selection and layout

int TCustomListBox::ItemIndex() const {
    if (HWND wnd = Wnd()) {
        LRESULT r = SendMessageA(wnd, LB_GETCURSEL, 0, 0);
        return r < 0 ? -1 : static_cast<int>(r);
    }
    return savedIndex_;
}

void TCustomListBox::SetItemIndex(int index) {
    if (ItemIndex() == index) return;
    if (HWND wnd = Wnd()) {
        SendMessageA(wnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
    }
    savedIndex_ = index >= 0 && index < static_cast<int>(saved_.size()) ? index : -1;
}

void TCustomListBox::SetStyle(TListBoxStyle style) {
    if (style_ == style) return;
    style_ = style;
    RecreateWnd();
}

void TCustomListBox::SetItemHeight(int height) {
    if (height < 1 || itemHeight_ == height) return;
    itemHeight_ = height;
    if (HWND wnd = Wnd()) {
        if (style_ == TListBoxStyle::lbOwnerDrawFixed) SendMessageA(wnd, LB_SETITEMHEIGHT, 0, itemHeight_);
        InvalidateRect(wnd, nullptr, TRUE);
    }
}

void TCustomListBox::SetColumns(int columns) {
    if (columns < 0) columns = 0;
    if (columns_ == columns) return;
    bool restyle = (columns_ == 0) != (columns == 0);
    columns_ = columns;
    if (restyle)
        RecreateWnd();
    else
        SendColumnWidth();
}

int TCustomListBox::ColumnWidth() const { return columns_ > 0 ? (Width() + columns_ - 3) / columns_ : 0; }

void TCustomListBox::SendColumnWidth() {
    if (HWND wnd = Wnd(); wnd && columns_ > 0) SendMessageA(wnd, LB_SETCOLUMNWIDTH, ColumnWidth(), 0);
}

void TCustomListBox::SetCtl3D(bool value) {
    if (ctl3D_ == value) return;
    ctl3D_ = value;
    RecreateWnd();
}

int TCustomListBox::TopIndex() const {
    if (HWND wnd = Wnd()) return static_cast<int>(SendMessageA(wnd, LB_GETTOPINDEX, 0, 0));
    return savedTop_;
}

void TCustomListBox::SetTopIndex(int index) {
    if (HWND wnd = Wnd())
        SendMessageA(wnd, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    else
        savedTop_ = index < 0 ? 0 : index;
}

RECT TCustomListBox::ItemRect(int index) const {
    RECT r = {0, 0, 0, 0};
    if (Wnd()) {
        if (ItemMessage(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) == LB_ERR)
            r = RECT{0, 0, 0, 0};
    }
    return r;
}

int TCustomListBox::ItemAtPos(POINT p) const {
    HWND wnd = Wnd();
    if (!wnd) return -1;
    LRESULT r = SendMessageA(wnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y));
    if (HIWORD(r) != 0) return -1;  // outside every item
    int index = LOWORD(r);
    return index < ItemCount() ? index : -1;
}

// ---- messages

void TCustomListBox::DrawItem(int index, const RECT& rect, UINT state) {
    (void)state;
    canvas_.FillRect(rect);
    canvas_.Brush().SetClear(true);
    canvas_.TextOut(rect.left + 2, rect.top, Items(index));
    canvas_.Brush().SetClear(false);
}

void TCustomListBox::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case CN_COMMAND:
            switch (HIWORD(wp)) {
                case LBN_SELCHANGE: Click(); break;
                case LBN_DBLCLK: DblClick(); break;
                default: break;
            }
            result = 0;
            return;
        case CN_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = static_cast<UINT>(itemHeight_);
            result = TRUE;
            return;
        case CN_DRAWITEM: {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            struct Release {
                TCanvas& c;
                ~Release() { c.Release(); }
            } release{canvas_};
            canvas_.SetHandle(dis->hDC);
            canvas_.Font().Assign(Font());
            canvas_.Brush().SetColor(Color());
            int index = static_cast<int>(dis->itemID);
            if (index >= 0 && (dis->itemState & ODS_SELECTED)) {
                canvas_.Brush().SetColor(clHighlight);
                canvas_.Font().SetColor(clHighlightText);
            }
            if (index >= 0)
                DrawItem(index, dis->rcItem, dis->itemState);
            else
                canvas_.FillRect(dis->rcItem);
            if (dis->itemState & ODS_FOCUS) DrawFocusRect(dis->hDC, &dis->rcItem);
            result = TRUE;
            return;
        }
        case CN_DELETEITEM: {
            const auto* d = reinterpret_cast<const DELETEITEMSTRUCT*>(lp);
            DeleteItem(static_cast<int>(d->itemID), d->itemData);
            result = TRUE;
            return;
        }
        default:
            break;
    }
    TWinControl::WndProc(msg, wp, lp, result);
}

}  // namespace ui
