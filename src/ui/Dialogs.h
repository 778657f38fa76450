#pragma once
// The common open dialog.
#include <windows.h>

#include "ui/Component.h"

namespace ui {

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
    const String& Title() const { return title_; }
    void SetTitle(const String& v) { title_ = v; }
    // "Description|patterns|Description|patterns"
    const String& Filter() const { return filter_; }
    void SetFilter(const String& v) { filter_ = v; }
    int FilterIndex() const { return filterIndex_; }  // 1-based
    void SetFilterIndex(int v) { filterIndex_ = v; }
    const String& InitialDir() const { return initialDir_; }
    void SetInitialDir(const String& v) { initialDir_ = v; }
    DWORD Options() const { return options_; }  // OFN_ flags
    void SetOptions(DWORD v) { options_ = v; }
    const String& FileName() const { return fileName_; }
    void SetFileName(const String& v) { fileName_ = v; }

    // Shows the dialog; true and FileName set when the user chose a file.
    bool Execute(HWND owner = nullptr);
    // The structure Execute passes to GetOpenFileNameA (for inspection); the strings hold
    // what it points to, so a Prepared must stay where it was filled.
    struct Prepared {
        OPENFILENAMEA ofn;
        String filter, fileBuffer, title, initialDir;
    };
    void Prepare(Prepared& p, HWND owner) const;

private:
    String title_, filter_, initialDir_, fileName_;
    int filterIndex_ = 1;
    DWORD options_ = 0;
};

}  // namespace ui
