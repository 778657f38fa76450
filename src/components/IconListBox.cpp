#include "components/IconListBox.h"

#include <cstdio>

#include "components/FileIndexIcon.h"
#include "ui/Forms.h"

TIconListBox::TIconListBox(ui::TComponent* owner) : ui::TCustomListBox(owner) {
    SetStyle(ui::TListBoxStyle::lbOwnerDrawFixed);
    SetItemHeight(GetSystemMetrics(SM_CYICON) + 6);
    cellWidth_ = GetSystemMetrics(SM_CXICON) + 6;
    Font().SetName("Arial");
    Font().SetHeight(ItemHeight());
    SetXIcons(4);
}

TIconListBox::~TIconListBox() {
    // While this object is whole, so that the window's item deletions reach DeleteItem.
    DestroyHandle();
}

void TIconListBox::CreateParams(ui::TCreateParams& params) {
    ui::TCustomListBox::CreateParams(params);
    params.Style |= WS_HSCROLL | WS_VSCROLL;
}

void TIconListBox::HandleCreated() {
    ui::TCustomListBox::HandleCreated();
    // The old window took its icons with it; the items are back, so are their icons
    // (at once without caching, cell by cell with it).
    icons_.resize(static_cast<size_t>(ItemCount()));
    if (!enableCaching_ && !icons_.empty()) {
        ui::TCursorScope cursor(true);
        ExtractAll();
    }
}

// ---- properties

void TIconListBox::SetFileName(const ui::String& value) {
    if (fileName_ == value) return;
    fileName_ = value;
    LoadIcons();
    if (OnFileChange) OnFileChange(this);
}

void TIconListBox::SetAutoDisable(bool value) {
    if (autoDisable_ == value) return;
    autoDisable_ = value;
    UpdateEnabled();
}

void TIconListBox::SetEnableCaching(bool value) {
    if (enableCaching_ == value) return;
    enableCaching_ = value;
    if (!value) LoadIcons();
}

void TIconListBox::SetXIcons(int value) {
    if (value == xIcons_ || value < 1) return;
    xIcons_ = value;
    UpdateSize();
}

void TIconListBox::SetYIcons(int value) {
    if (value == yIcons_ || value < 1) return;
    yIcons_ = value;
    UpdateSize();
}

void TIconListBox::UpdateSize() {
    int needed = cellWidth_ * xIcons_ + 2;
    // Compared with the width before it changes: a narrower control gets room for the
    // horizontal scroll bar.
    int height = needed > Width() ? ItemHeight() * yIcons_ + GetSystemMetrics(SM_CYHSCROLL) + 1
                                  : ItemHeight() * yIcons_ + 3;
    SetBounds(Left(), Top(), needed, height);
    SetColumns(xIcons_);
}

// ---- loading

void TIconListBox::FreeIcons() {
    for (auto& icon : icons_) icon.reset();
    numberOfIcons_ = -1;
}

void TIconListBox::UpdateEnabled() { SetEnabled(autoDisable_ ? IconSourceLoadable(fileName_) : true); }

void TIconListBox::LoadIcons() {
    FreeIcons();
    ClearItems();
    icons_.clear();
    extractions_ = 0;
    UpdateEnabled();
    if (!IconSourceLoadable(fileName_)) return;

    ui::TCursorScope cursor(!enableCaching_);
    int n = IconSourceCount(fileName_);
    numberOfIcons_ = n;
    if (n <= 0) return;
    // Quietly, so that nothing is drawn (and extracted) before the load is complete; a
    // visible list box would paint the new selection at once.
    BeginQuietUpdate();
    struct End {
        TIconListBox& box;
        ~End() { box.EndQuietUpdate(); }
    } end{*this};
    ReserveItems(n);
    icons_.reserve(static_cast<size_t>(n));
    char text[16];
    for (int i = 0; i < n; ++i) {
        std::snprintf(text, sizeof(text), "%d", i);
        if (AddItem(text) < 0) break;
        icons_.emplace_back();
    }
    if (!enableCaching_) ExtractAll();
    SetItemIndex(0);
}

void TIconListBox::ExtractAll() {
    for (size_t i = 0; i < icons_.size(); ++i) {
        if (icons_[i]) continue;
        auto icon = std::make_unique<ui::TIcon>();
        icon->SetHandle(IconSourceExtract(fileName_, static_cast<int>(i)));
        icons_[i] = std::move(icon);
        ++extractions_;
    }
}

const ui::TIcon* TIconListBox::GetIcon(int index) {
    if (index < 0 || index >= static_cast<int>(icons_.size())) return nullptr;
    auto& slot = icons_[static_cast<size_t>(index)];
    if (enableCaching_ && !slot) {
        auto icon = std::make_unique<ui::TIcon>();
        icon->SetHandle(IconSourceExtract(fileName_, index));
        slot = std::move(icon);
        ++extractions_;
    }
    return slot.get();
}

bool TIconListBox::HasIcon(int index) const {
    return index >= 0 && index < static_cast<int>(icons_.size()) && icons_[static_cast<size_t>(index)];
}

int TIconListBox::LiveIconCount() const {
    int n = 0;
    for (const auto& icon : icons_)
        if (icon && icon->Handle()) ++n;
    return n;
}

// ---- window

void TIconListBox::DrawItem(int index, const RECT& rect, UINT state) {
    (void)state;
    try {
        Canvas().FillRect(rect);
        const ui::TIcon* icon = GetIcon(index);
        if (icon) {
            int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
            int x = rect.left + (rect.right - rect.left - w) / 2;
            int y = rect.top + (rect.bottom - rect.top - h) / 2;
            Canvas().Draw(x, y, *icon);
        }
    } catch (...) {
        // A cell that cannot be drawn keeps what it has; the others go on.
    }
}

void TIconListBox::DeleteItem(int index, ULONG_PTR data) {
    (void)data;
    if (index >= 0 && index < static_cast<int>(icons_.size())) icons_[static_cast<size_t>(index)].reset();
}
