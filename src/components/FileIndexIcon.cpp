#include "components/FileIndexIcon.h"

#include <shellapi.h>

#include "components/IconFileCheck.h"
#include "ui/Controls.h"
#include "ui/SysUtils.h"

namespace {

// ExtractIconA answers 1 for a file that is no icon source at all; that is not a handle.
HICON RealIcon(HICON icon) { return reinterpret_cast<UINT_PTR>(icon) <= 1 ? nullptr : icon; }

}  // namespace

bool IconNameFits(const ui::String& name) {
    return name.size() < kIconNameBufferSize && name.find('\0') == ui::String::npos;
}

bool IconSourceLoadable(const ui::String& name) {
    return !name.empty() && IconNameFits(name) && ui::FileExists(name);
}

int IconSourceCount(const ui::String& name) {
    if (!IconNameFits(name)) return 0;
    // Most slots and the grid ask about the same file one after another, and each count reads
    // the file: the last count (0 for an unsound file) stands while the file is unchanged.
    static ui::String lastName;
    static TFileStamp lastStamp;
    static int lastCount = 0;
    TFileStamp stamp;
    const bool stamped = stamp.Read(name);
    if (stamped && name == lastName && stamp == lastStamp) return lastCount;
    int count = 0;
    if (IconFileIsSound(name)) {
        char buffer[kIconNameBufferSize];
        lstrcpynA(buffer, name.c_str(), sizeof(buffer));
        HICON n = ExtractIconA(ui::MainInstance(), buffer, static_cast<UINT>(-1));
        count = static_cast<int>(reinterpret_cast<UINT_PTR>(n));
    }
    if (stamped) lastName = name, lastStamp = stamp, lastCount = count;
    return count;
}

HICON IconSourceExtract(const ui::String& name, int index) {
    // A negative index would ask for the count (-1) or pick an icon by resource ID.
    if (index < 0 || !IconNameFits(name) || !IconFileIsSound(name)) return nullptr;
    char buffer[kIconNameBufferSize];
    lstrcpynA(buffer, name.c_str(), sizeof(buffer));
    return RealIcon(ExtractIconA(ui::MainInstance(), buffer, static_cast<UINT>(index)));
}

void TFileIndexIcon::SetFileName(const ui::String& value) {
    if (fileName_ == value) return;
    fileName_ = value;
    ReloadFile();
}

void TFileIndexIcon::ReloadFile() {
    SetHandle(nullptr);
    numberOfIcons_ = -1;
    if (!IconSourceLoadable(fileName_)) return;
    int n = IconSourceCount(fileName_);
    if (n <= 0) return;
    numberOfIcons_ = n;
    iconIndex_ = 0;
    SetPendingIcon();
}

void TFileIndexIcon::SetIconIndex(int value) {
    if (value == iconIndex_ || numberOfIcons_ == -1) return;
    if (value < 0) value = 0;
    if (value >= numberOfIcons_) value = numberOfIcons_ - 1;
    iconIndex_ = value;
    SetPendingIcon();
}

void TFileIndexIcon::LoadCurrentIcon() { SetHandle(IconSourceExtract(fileName_, iconIndex_)); }

void TFileIndexIcon::SetPendingIcon() {
    SetPendingHandle([file = fileName_, index = iconIndex_] { return IconSourceExtract(file, index); });
}

std::unique_ptr<ui::TGraphic> TFileIndexIcon::Clone() const {
    auto copy = std::make_unique<TFileIndexIcon>();
    copy->Assign(*this);
    return copy;
}
