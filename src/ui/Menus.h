#pragma once
// A popup menu of plain text items.
#include <windows.h>

#include <vector>

#include "ui/Controls.h"

namespace ui {

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}
    struct Item {
        String Caption;
        TNotifyEvent OnClick;
    };
    void AddItem(const String& caption, TNotifyEvent onClick) { items_.push_back({caption, std::move(onClick)}); }
    int ItemCount() const { return static_cast<int>(items_.size()); }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool v) { autoPopup_ = v; }
    // Shows the menu at a screen point and returns when it closes (running the chosen item).
    void Popup(int x, int y);
    TNotifyEvent OnPopup;

private:
    std::vector<Item> items_;
    bool autoPopup_ = true;
};

}  // namespace ui
