#pragma once
// A standard list box (window class LISTBOX) bound to its object. The items live in the
// window while it exists and in the object while it does not, so that they come back
// when the window is created again (a style that exists only at creation changed, or the
// control moved to another parent).
#include <windows.h>

#include <vector>

#include "ui/Controls.h"

namespace ui {

enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed };

class TCustomListBox : public TWinControl {
public:
    explicit TCustomListBox(TComponent* owner);  // 121 x 97, window colour, tab stop
    ~TCustomListBox() override;

    // ---- items (text of each; LBS_HASSTRINGS)
    int ItemCount() const;
    String Items(int index) const;
    // Appends an item; returns its index, or -1 when the window refused it.
    int AddItem(const String& text);
    // Removes every item (each one reaches DeleteItem while the window exists).
    void ClearItems();
    // Makes room for `count` more items ahead of a large load.
    void ReserveItems(int count);

    // Nestable bulk update: redrawing is off while the count is above 0, and the control
    // is repainted when it falls back to 0.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Selected item, -1 for none. Setting it by program does not fire OnClick.
    int ItemIndex() const;
    void SetItemIndex(int index);

    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle style);  // re-creates the window
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    // Number of columns; 0 is a single-column list. Between 0 and more the window is
    // re-created (the multi-column style exists only at creation); otherwise only the
    // column width is sent again.
    int Columns() const { return columns_; }
    void SetColumns(int columns);
    // (Width + Columns - 3) div Columns, the width sent with LB_SETCOLUMNWIDTH; 0 without columns.
    int ColumnWidth() const;
    // Sunken client edge when true, a plain border when false (re-creates the window).
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);

    // First visible item, and scrolling to one.
    int TopIndex() const;
    void SetTopIndex(int index);
    // The item's rectangle in client coordinates (empty without a window or for a bad index).
    RECT ItemRect(int index) const;
    // The item under a client point; -1 when there is none.
    int ItemAtPos(POINT p) const;

    // The canvas an owner-drawn item is painted on (valid during DrawItem).
    TCanvas& Canvas() { return canvas_; }

    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void HandleDestroying() override;
    void BoundsChanged() override;

    // Paints item `index` (owner-drawn styles) in `rect`. The canvas is ready: brush of the
    // control's colour, or the highlight colours when `state` has ODS_SELECTED. The focus
    // rectangle is drawn afterwards by the list box.
    virtual void DrawItem(int index, const RECT& rect, UINT state);
    // Item `index` left the window: removed, cleared, or the window is being destroyed.
    virtual void DeleteItem(int index, ULONG_PTR data) {
        (void)index;
        (void)data;
    }

    // Redrawing off for an internal bulk change, without the synchronous repaint of EndUpdate.
    void BeginQuietUpdate();
    void EndQuietUpdate();

private:
    HWND Wnd() const { return HandleAllocated() ? PaintWindow() : nullptr; }
    // An item message straight to the list box's own procedure (the window must exist).
    LRESULT ItemMessage(UINT msg, WPARAM wp, LPARAM lp) const;
    void SendColumnWidth();
    void SetRedraw(bool on);

    TListBoxStyle style_ = TListBoxStyle::lbStandard;
    int itemHeight_ = 16;
    int columns_ = 0;
    bool ctl3D_ = true;
    int updateCount_ = 0;
    int quietCount_ = 0;
    TCanvas canvas_;
    // The items while no window exists.
    std::vector<String> saved_;
    int savedIndex_ = -1;
    int savedTop_ = 0;
};

}  // namespace ui
