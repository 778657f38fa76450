#pragma once
// The icon location a shortcut carries: an icon source file and the icon's index in it.
// Plain stored values; an empty FileName means "no icon location of its own".
#include "ui/Types.h"

class TFileIcon {
public:
    TFileIcon() = default;
    TFileIcon(const ui::String& fileName, int iconIndex) : fileName_(fileName), iconIndex_(iconIndex) {}

    const ui::String& FileName() const { return fileName_; }
    void SetFileName(const ui::String& value) { fileName_ = value; }
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int value) { iconIndex_ = value; }

    // Copies the source's values; the source stays its own object.
    void Assign(const TFileIcon& source) {
        if (&source == this) return;
        fileName_ = source.fileName_;
        iconIndex_ = source.iconIndex_;
    }

    bool operator==(const TFileIcon& o) const { return fileName_ == o.fileName_ && iconIndex_ == o.iconIndex_; }
    bool operator!=(const TFileIcon& o) const { return !(*this == o); }

private:
    ui::String fileName_;
    int iconIndex_ = 0;
};
