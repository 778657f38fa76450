#pragma once
// An icon that loads itself from an icon source file and an icon index, and the icon
// extraction it shares with the icon grid.
#include <windows.h>

#include <memory>

#include "ui/Graphics.h"

// Names are handed to the extraction in a zero-terminated buffer of this many bytes.
constexpr size_t kIconNameBufferSize = 256;

// The name fits the extraction buffer whole (at most 255 bytes, no zero byte inside).
// A longer name is refused rather than cut: the cut name could name another file.
bool IconNameFits(const ui::String& name);
// `name` is an existing file (not a directory) whose name fits the extraction buffer.
bool IconSourceLoadable(const ui::String& name);
// The number of icons the platform reports for the file; 0 when it reports none and for
// a name that does not fit.
int IconSourceCount(const ui::String& name);
// The icon at `index` (0-based), owned by the caller; null when it cannot be extracted.
HICON IconSourceExtract(const ui::String& name, int index);

// Holds at most one icon, loaded from FileName at IconIndex. Set FileName first: before
// a file with icons is loaded, IconIndex ignores every value. A copy made for a picture
// shares the icon image and carries no FileName or IconIndex.
class TFileIndexIcon : public ui::TIcon {
public:
    TFileIndexIcon() = default;

    const ui::String& FileName() const { return fileName_; }
    // Loads the file's first icon when the name changes (an equal name does nothing).
    void SetFileName(const ui::String& value);
    // -1 until a file with icons is loaded.
    int IconIndex() const { return iconIndex_; }
    // Clamped to the file's icons; ignored while no file with icons is loaded.
    void SetIconIndex(int value);
    // Icons in FileName; -1 when the file is missing, not loadable or holds no icon.
    int NumberOfIcons() const { return numberOfIcons_; }

    // Reads FileName again: its first icon, or nothing (IconIndex kept) when it has none.
    void ReloadFile();
    // Replaces the held icon by the one at IconIndex (none when extraction fails).
    void LoadCurrentIcon();

    std::unique_ptr<ui::TGraphic> Clone() const override;

private:
    // The icon at IconIndex, extracted when it is first looked at (by this icon or a copy):
    // a new file's first icon is usually replaced unseen by setting IconIndex, a picture's
    // icon is drawn only once its window paints, and each extraction costs a read of the file.
    void SetPendingIcon();
    ui::String fileName_;
    int iconIndex_ = -1;
    int numberOfIcons_ = -1;
};
