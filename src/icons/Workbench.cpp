#include "icons/Workbench.h"

#include "components/FileIndexIcon.h"

namespace icons {

void TWorkbench::ShowInGrid(const ui::String& file, int index) {
    TGridUpdate update(Grid());
    Grid().SetFileName(file);
    Grid().SetItemIndex(index);
    SetCaptionFromGrid();
}

void PaintIconInto(ui::TImage* image, const ui::String& file, int index) {
    TFileIndexIcon loader;  // freed on leaving, also when assigning fails
    loader.SetFileName(file);
    loader.SetIconIndex(index);
    image->Picture().Assign(&loader);
}

}  // namespace icons
