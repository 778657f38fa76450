#pragma once
// TVxShellLink: the attributes of one shortcut (.lnk) file in plain properties, read and
// written through the shell's shortcut object.
#include <windows.h>
#include <commctrl.h>

#include "components/FileIcon.h"
#include "ui/Component.h"
#include "ui/Types.h"

// The one exception the shell link component raises; its text comes from the message table.
class EVxShellLink : public ui::Exception {
public:
    using ui::Exception::Exception;
};

// Language of the component's error messages.
enum TLangType : unsigned char { ltFrench = 0, ltEnglish = 1 };

// The user folder under which FileName is placed ("Shell Folders" value names in ShellLink.cpp).
enum TShellFolder : unsigned char {
    sfNone = 0,
    sfDesktop,
    sfFavorites,
    sfFonts,
    sfPersonal,
    sfPrograms,
    sfRecent,
    sfSendTo,
    sfStartMenu,
    sfStartup,
    sfTemplates
};

enum TWindowState : unsigned char { wsNormal = 0, wsMinimized, wsMaximized };

// Entries of the program-wide message table.
enum class TShellLinkMessage { CreateFailed, InterfaceFailed, WriteFailed, ReadFailed };

class TVxShellLink : public ui::TComponent {
public:
    explicit TVxShellLink(ui::TComponent* owner);
    ~TVxShellLink() override;

    const ui::String& Arguments() const { return arguments_; }
    void SetArguments(const ui::String& value) { arguments_ = value; }
    const ui::String& Description() const { return description_; }
    void SetDescription(const ui::String& value) { description_ = value; }

    // The owned icon location; assignment copies the given one's values.
    TFileIcon& FileIcon() { return fileIcon_; }
    const TFileIcon& FileIcon() const { return fileIcon_; }
    void SetFileIcon(const TFileIcon& value) { fileIcon_.Assign(value); }

    // Toolkit shortcut value: key code in bits 0-12, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
    WORD HotKey() const;
    void SetHotKey(WORD value);
    // The hot key as the shortcut stores it: key in the low byte, HOTKEYF_* in the high byte.
    WORD HotKeyWord() const { return hotKey_; }

    // Normalised on assignment: ".lnk" appended, re-rooted under ShellFolder.
    const ui::String& FileName() const { return fileName_; }
    void SetFileName(const ui::String& value);

    // Every assignment rewrites the message table shared by all instances.
    TLangType LangType() const { return langType_; }
    void SetLangType(TLangType value);

    const ui::String& Target() const { return target_; }
    void SetTarget(const ui::String& value) { target_ = value; }

    TWindowState WindowState() const;
    void SetWindowState(TWindowState value);
    // The stored show command behind WindowState (SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED).
    int ShowCmd() const { return showCmd_; }

    const ui::String& WorkingDir() const { return workingDir_; }
    void SetWorkingDir(const ui::String& value) { workingDir_ = value; }

    TShellFolder ShellFolder() const { return shellFolder_; }
    void SetShellFolder(TShellFolder value);

    // Reads FileName when it names an existing file; otherwise changes nothing.
    void Load();
    // Writes FileName, creating or overwriting it.
    void Save();
    // Every string is read whole; one the shell's object cannot hand over whole is refused
    // with the read error, and nothing changes.
    void LoadFromFile(const ui::String& name);
    // Writes a new file beside `name`, reads it back and only then puts it in `name`'s place;
    // any failure raises the write error and leaves `name` as it was. What an existing
    // shortcut holds beyond these attributes (ID list, link information, extra data), and
    // every string that did not change, is kept as far as the shell's object keeps it.
    void SaveToFile(const ui::String& name);

    // The current text of a message table entry.
    static ui::String Message(TShellLinkMessage entry);
    // The "Shell Folders" path for `folder`; empty for sfNone or when the value is missing.
    static ui::String ShellFolderPath(TShellFolder folder);

    // In `name`'s folder: the new file a save writes first, and the name the old shortcut
    // steps aside to where the system cannot rename over a file.
    static ui::String NewFileName(const ui::String& name);
    static ui::String AsideFileName(const ui::String& name);

    // The file calls a save makes around the shell object's own write, program-wide.
    // Only tests replace them, to fail one as a refusing folder or an older system would.
    struct FileCalls {
        HANDLE(WINAPI* createFile)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
        BOOL(WINAPI* moveFileEx)(LPCSTR, LPCSTR, DWORD);
        BOOL(WINAPI* moveFile)(LPCSTR, LPCSTR);
    };
    static FileCalls& Files();

private:
    ui::String fileName_;
    TLangType langType_ = ltFrench;
    ui::String target_;
    ui::String workingDir_;
    ui::String description_;
    ui::String arguments_;
    int showCmd_ = 0;
    WORD hotKey_ = 0;
    TFileIcon fileIcon_;
    TShellFolder shellFolder_ = sfNone;
};
