#pragma once
// Labels, edit boxes, check boxes, push buttons and drop-down lists.
#include <vector>

#include "ui/Controls.h"

namespace ui {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Text drawn on the parent. AutoSize makes the label as large as its text (one line).
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);  // AutoSize, transparent, parent colour
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Loaded() override;

private:
    void AdjustBounds();
    // The caption's extent in the label's font (a blank's for an empty caption).
    SIZE TextSize() const;
    bool autoSize_ = true;
    bool transparent_ = true;
    TAlignment alignment_ = TAlignment::taLeftJustify;
};

// A single-line edit box (window class EDIT); Caption is its text.
class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);  // 121 x 21, white, sunken client edge, tab stop
    String Text() const;                // reads the window's text when it exists
    void SetText(const String& text);
    TNotifyEvent OnChange;

    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void TextChanged() override;

private:
    // Takes the window's text (what the user typed) into Caption.
    void SyncCaption();
    bool syncing_ = false;
};

// A check box (window class BUTTON, BS_AUTOCHECKBOX). OnClick fires when the user or
// SetChecked changes the state.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);  // 97 x 17, tab stop
    bool Checked() const;
    void SetChecked(bool v);

    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void HandleDestroying() override;

private:
    bool checked_ = false;
};

// A push button (window class BUTTON).
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);  // 75 x 25, tab stop
    bool Default() const { return default_; }
    void SetDefault(bool v);
    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool default_ = false;
};

// A drop-down list (window class COMBOBOX, CBS_DROPDOWNLIST) of plain text items.
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);  // 145 wide, tab stop
    void AddItem(const String& text);
    void ClearItems();
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const String& Items(int index) const { return items_[index]; }
    int ItemIndex() const;
    void SetItemIndex(int index);  // does not fire OnChange
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int v);
    TNotifyEvent OnChange;  // the user picked another entry

    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void HandleDestroying() override;
    void BoundsChanged() override;

private:
    static constexpr int kDropDownCount = 8;  // entries the opened list shows
    int DroppedHeight() const;
    void ApplyItemHeight();
    std::vector<String> items_;
    int itemIndex_ = -1;
    int itemHeight_ = 16;
};

}  // namespace ui
