#pragma once
// What the tab pages share of the main window: the icon grid on the right and the window
// caption that names the grid's file and selected icon.
#include "components/IconListBox.h"
#include "ui/ExtCtrls.h"
#include "ui/Types.h"

namespace icons {

class TWorkbench {
public:
    virtual ~TWorkbench() = default;
    virtual TIconListBox& Grid() = 0;
    // "Vemlora " + the grid's file + " /" + its selected index ("Vemlora" with no file).
    virtual void SetCaptionFromGrid() = 0;
    virtual void ShowCaption(const ui::String& text) = 0;
    // Shows `file` in the grid with `index` selected and rebuilds the caption, without redrawing in between.
    void ShowInGrid(const ui::String& file, int index);
};

// Keeps the grid from redrawing while its file and selection change; resumes also on error.
using TGridUpdate = ui::TUpdateScope<TIconListBox>;

// Paints the icon of `file` at `index` into an image (a fresh loader each time).
void PaintIconInto(ui::TImage* image, const ui::String& file, int index);

}  // namespace icons
