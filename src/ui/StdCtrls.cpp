#include "ui/StdCtrls.h"

namespace ui {

namespace {

String WindowText(HWND wnd) {
    int n = GetWindowTextLengthA(wnd);
    String s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(wnd, &s[0], n + 1);
    s.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return s;
}

}  // namespace

// ---- TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
    AdjustBounds();
}

void TLabel::SetAutoSize(bool v) {
    if (autoSize_ == v) return;
    autoSize_ = v;
    AdjustBounds();
}

void TLabel::SetTransparent(bool v) {
    if (transparent_ == v) return;
    transparent_ = v;
    Invalidate();
}

void TLabel::SetAlignment(TAlignment v) {
    if (alignment_ == v) return;
    alignment_ = v;
    Invalidate();
}

void TLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

SIZE TLabel::TextSize() const {
    HDC dc = MeasuringDC();
    SelectObjectScope font(dc, Font().Handle());
    // An empty label keeps the height of a line and the width of a blank.
    const String& text = Caption().empty() ? String(" ") : Caption();
    SIZE s = {0, 0};
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &s);
    return s;
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || Loading()) return;
    SIZE s = TextSize();
    int left = Left();
    // A right-aligned label grows to the left.
    if (alignment_ == TAlignment::taRightJustify) left = Left() + Width() - s.cx;
    SetBounds(left, Top(), s.cx, s.cy);
}

void TLabel::Paint() {
    TCanvas& c = Canvas();
    RECT r = {0, 0, Width(), Height()};
    if (!transparent_) {
        c.Brush().SetColor(Color());
        c.FillRect(r);
    }
    if (Caption().empty()) return;
    HDC dc = c.Handle();
    SelectObjectScope font(dc, Font().Handle());
    UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS;
    if (alignment_ == TAlignment::taCenter) flags |= DT_CENTER;
    else if (alignment_ == TAlignment::taRightJustify) flags |= DT_RIGHT;
    DrawControlText(dc, Caption(), r, flags, Enabled(), Font().Color());
}

// ---- TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetColor(clWindow);
    SetTabStop(true);
}

void TEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "EDIT";
    params.OwnClass = false;
    params.Style |= ES_AUTOHSCROLL;
    params.Style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

String TEdit::Text() const {
    if (HandleAllocated()) return WindowText(const_cast<TEdit*>(this)->Handle());
    return Caption();
}

void TEdit::SetText(const String& text) {
    // What the user typed is in the window only; compare with that.
    if (HandleAllocated()) SyncCaption();
    SetCaption(text);
}

void TEdit::SyncCaption() {
    syncing_ = true;
    SetCaption(WindowText(Handle()));
    syncing_ = false;
}

void TEdit::TextChanged() {
    // Setting the same text again would put the caret back to the start.
    if (syncing_ || !HandleAllocated()) return;
    if (WindowText(Handle()) != Caption()) SetWindowTextA(Handle(), Caption().c_str());
}

void TEdit::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == CN_COMMAND && HIWORD(wp) == EN_CHANGE) {
        SyncCaption();
        if (OnChange) OnChange(this);
        result = 0;
        return;
    }
    TWinControl::WndProc(msg, wp, lp, result);
}

// ---- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 97, 17);
    SetParentColor(true);
    SetTabStop(true);
}

void TCheckBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "BUTTON";
    params.OwnClass = false;
    params.Style |= BS_AUTOCHECKBOX;
    params.Style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
}

void TCheckBox::HandleCreated() {
    SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::HandleDestroying() {
    checked_ = SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool TCheckBox::Checked() const {
    if (HandleAllocated()) return SendMessageA(const_cast<TCheckBox*>(this)->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    return checked_;
}

void TCheckBox::SetChecked(bool v) {
    if (Checked() == v) return;
    checked_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
    Click();
}

void TCheckBox::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == CN_COMMAND) {
        if (HIWORD(wp) == BN_CLICKED) {
            checked_ = SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
            Click();
        }
        result = 0;
        return;
    }
    TWinControl::WndProc(msg, wp, lp, result);
}

// ---- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "BUTTON";
    params.OwnClass = false;
    params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    params.Style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
}

void TButton::SetDefault(bool v) {
    if (default_ == v) return;
    default_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == CN_COMMAND) {
        if (HIWORD(wp) == BN_CLICKED) Click();
        result = 0;
        return;
    }
    TWinControl::WndProc(msg, wp, lp, result);
}

// ---- TComboBox

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 145, 21);
    SetColor(clWindow);
    SetTabStop(true);
}

void TComboBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "COMBOBOX";
    params.OwnClass = false;
    params.Style |= CBS_DROPDOWNLIST | WS_VSCROLL;
    params.Style &= ~static_cast<DWORD>(WS_CLIPCHILDREN);
    params.Height = DroppedHeight();
}

int TComboBox::DroppedHeight() const {
    // A combo box's window height is that of the field and its opened list together.
    return Height() + kDropDownCount * itemHeight_ + 2;
}

void TComboBox::HandleCreated() {
    HWND wnd = Handle();
    for (const String& item : items_) SendMessageA(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    ApplyItemHeight();
    SendMessageA(wnd, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TComboBox::HandleDestroying() {
    itemIndex_ = static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void TComboBox::BoundsChanged() {
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, Left(), Top(), Width(), DroppedHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TComboBox::AddItem(const String& text) {
    items_.push_back(text);
    if (HandleAllocated()) SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TComboBox::ClearItems() {
    items_.clear();
    itemIndex_ = -1;
    if (HandleAllocated()) SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
}

int TComboBox::ItemIndex() const {
    if (HandleAllocated())
        return static_cast<int>(SendMessageA(const_cast<TComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= ItemCount()) index = -1;
    itemIndex_ = index;
    if (HandleAllocated()) SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TComboBox::SetItemHeight(int v) {
    if (v <= 0 || itemHeight_ == v) return;
    itemHeight_ = v;
    if (HandleAllocated()) {
        ApplyItemHeight();
        BoundsChanged();
    }
}

void TComboBox::ApplyItemHeight() {
    // The selection field takes the height; the list's entries take it only when owner-drawn.
    SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight_);
    SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, itemHeight_);
}

void TComboBox::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == CN_COMMAND) {
        if (HIWORD(wp) == CBN_SELCHANGE) {
            itemIndex_ = static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
            if (OnChange) OnChange(this);
        }
        result = 0;
        return;
    }
    TWinControl::WndProc(msg, wp, lp, result);
}

}  // namespace ui
