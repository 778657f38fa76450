#pragma once
// A grid of every icon of one icon source file: a multi-column, owner-drawn list box with
// one cell per icon in file order. The selected cell's index is the icon's index in the file.
#include <memory>
#include <vector>

#include "ui/ListBox.h"

class TIconListBox : public ui::TCustomListBox {
public:
    explicit TIconListBox(ui::TComponent* owner);
    ~TIconListBox() override;

    // Setting another name reloads the grid and then fires OnFileChange; an equal name
    // (compared exactly) does nothing.
    const ui::String& FileName() const { return fileName_; }
    void SetFileName(const ui::String& value);
    // True: every load sets Enabled to whether FileName can be loaded; false: to true.
    bool AutoDisable() const { return autoDisable_; }
    void SetAutoDisable(bool value);
    // True: an icon is extracted the first time its cell is drawn and then kept.
    // False: every icon is extracted when the file is loaded (switching to False reloads).
    bool EnableCaching() const { return enableCaching_; }
    void SetEnableCaching(bool value);
    // Icons in the file as the platform reports them; -1 while no file is loaded.
    int NumberOfIcons() const { return numberOfIcons_; }
    // Columns and rows of the grid (at least 1); setting either resizes the control.
    int XIcons() const { return xIcons_; }
    void SetXIcons(int value);
    int YIcons() const { return yIcons_; }
    void SetYIcons(int value);
    ui::String Version() const { return "TIconListBox v1.10"; }
    void SetVersion(const ui::String&) {}
    // Pixel size of one cell: the system icon size plus 6.
    int CellWidth() const { return cellWidth_; }

    ui::TNotifyEvent OnFileChange;

    // Empties the grid and fills it from FileName, then selects the first icon.
    void LoadIcons();
    // Destroys every icon the grid holds; NumberOfIcons becomes -1.
    void FreeIcons();
    void UpdateEnabled();
    // The icon of item `index`, extracted on first use when caching; null when none is
    // attached. An icon whose extraction failed stays attached, empty, and is not retried.
    const ui::TIcon* GetIcon(int index);
    // Whether item `index` has an icon object attached (no extraction).
    bool HasIcon(int index) const;

    // Icon handles the grid holds right now.
    int LiveIconCount() const;
    // Single icons extracted since the last load.
    int ExtractionCount() const { return extractions_; }

protected:
    void CreateParams(ui::TCreateParams& params) override;
    void HandleCreated() override;
    void DrawItem(int index, const RECT& rect, UINT state) override;
    void DeleteItem(int index, ULONG_PTR data) override;

private:
    void UpdateSize();
    void ExtractAll();

    ui::String fileName_;
    bool autoDisable_ = true;
    bool enableCaching_ = true;
    int numberOfIcons_ = -1;
    int xIcons_ = 0;
    int yIcons_ = 1;
    int cellWidth_ = 0;
    int extractions_ = 0;
    // One slot per item: the icon attached to it, or none yet.
    std::vector<std::unique_ptr<ui::TIcon>> icons_;
};
