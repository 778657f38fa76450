#pragma once
// Tab pages and the status bar (common controls).
#include <vector>

#include "ui/Controls.h"

namespace ui {

class TPageControl;

// One page of a page control: a window of its own inside the page control's display area.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);  // hidden until its page control shows it
    ~TTabSheet() override;
    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* control);
    int PageIndex() const;

protected:
    void TextChanged() override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
};

// Tabs (window class SysTabControl32) over the active sheet. OnChange fires after the user
// selected another tab; SetActivePage does not fire it.
class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const { return pages_[index]; }
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // Fixed tab size (0 x 0: sized by the captions).
    void SetTabSize(int width, int height);

    TNotifyEvent OnChange;

    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    RECT AlignRect() const override;
    void BoundsChanged() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTabs();
    void ShowActive();
    // Puts every sheet into the display area below the tabs.
    void PlaceSheets();
    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    int tabWidth_ = 0, tabHeight_ = 0;
};

struct TStatusPanel {
    int Width = 50;
    String Text;
};

// A status bar (window class msctls_statusbar32) with panels, aligned to the bottom.
class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);  // aligned to the bottom, no size grip
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    void AddPanel(int width, const String& text = String());
    const TStatusPanel& Panels(int index) const { return panels_[index]; }
    void SetPanelText(int index, const String& text);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool v);

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void BoundsChanged() override;
    void FontChanged() override;

private:
    void UpdatePanels();
    // Makes the bar, which sizes itself, exactly Height high.
    void UpdateHeight();
    std::vector<TStatusPanel> panels_;
    bool sizeGrip_ = false;
};

}  // namespace ui
