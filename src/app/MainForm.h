#pragma once
// The main window: the three tab pages on the left, the icon grid on the right, and the
// state the program keeps between user actions. Each tab's behaviour lives in its own
// object (icons/, shortcuts/, options/); the window builds the controls, composes the
// tabs and binds the controls' events to its handlers.
#include <memory>

#include "components/DropDst.h"
#include "components/IEButton.h"
#include "components/IconListBox.h"
#include "components/ShellLink.h"
#include "icons/DesktopTab.h"
#include "icons/IconChoosing.h"
#include "options/OptionsTab.h"
#include "shortcuts/ShortcutArea.h"
#include "shortcuts/StartMenuTab.h"
#include "ui/ComCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

class TForm1 : public ui::TForm, private icons::TWorkbench {
public:
    explicit TForm1(ui::TComponent* owner);
    ~TForm1() override;

    // ---- header
    ui::TPanel* Panel1;
    ui::TImage* Image16;  // the program's icon in the header
    ui::TLabel *Label10, *Label4;
    TIEButton *IEButton8, *IEButton5, *IEButton6;  // load, execute (write everything), exit

    // ---- tab pages: desktop, Start menu, options
    ui::TPageControl* PageControl1;
    ui::TTabSheet *TabSheet2, *TabSheet5, *TabSheet4;

    // desktop tab: slot images and their selection frames (one table, kSlotRows), labels,
    // the Recycle Bin group, the reset buttons and the shortcut drop area
    ui::TImage *Image5, *Image6, *Image15, *Image17, *Image18, *Image19, *Image20, *Image21, *Image3, *Image4, *Image1;
    ui::TBevel *Bevel5, *Bevel6, *Bevel17, *Bevel15, *Bevel18, *Bevel19, *Bevel20, *Bevel21, *Bevel4, *Bevel3, *Bevel14;
    ui::TLabel *Label12, *Label13, *Label31, *Label22, *Label32, *Label39, *Label33, *Label34, *Label19, *Label6,
        *Label7, *Label5, *Label21, *Label23;
    ui::TBevel* Bevel22;
    ui::TImage* Image2;  // the Recycle Bin group's mark
    ui::TEdit* Edit1;
    TIEButton *IEButton1, *IEButton2;  // all to standard, the selected one to standard
    ui::TPanel* Panel3;

    // Start-menu tab
    shell::TPTShellTree* PTShellTree1;
    ui::TBevel* Bevel26;
    ui::TImage* Image23;  // the clicked shortcut's icon
    ui::TComboBox* ComboBox1;
    TIEButton *IEButton10, *IEButton9;  // the change button (writes the shortcut), back to the standard icon
    ui::TLabel *Label43, *Label37, *Label8;

    // options tab
    ui::TLabel* Label25;
    ui::TBevel* Bevel7;
    // the four applets; IEButton11 deletes the icon cache file, IEButton12 the "Shell Icons" key
    TIEButton *disp, *system, *mouse, *tweak, *IEButton11, *IEButton12;
    ui::TLabel *Label26, *Label27, *Label28, *Label29, *Label40, *Label41, *Label42, *Label44, *Label45, *Label46;

    // ---- right-hand side: the grid, the icon-file drop panel, the option check boxes
    ui::TPanel* Panel5;
    TIconListBox* IconListBox1;
    ui::TPanel* Panel4;
    ui::TLabel *Label1, *Label3;  // Label3: colour depth
    TIEButton* IEButton13;        // the previous file
    ui::TPanel* Panel2;
    ui::TCheckBox *icon, *shortcut, *jushintray;
    ui::TLabel *Label9, *Label11, *Label14, *Label15, *Label16, *Label17, *Label18;

    ui::TStatusBar* StatusBar1;

    // ---- non-visual
    ui::TOpenDialog* OpenDialog1;
    TDropDst* DropDst1;  // on Panel3: shortcuts
    TDropDst* DropDst3;  // on Panel4: icon sources
    TVxShellLink* VxShellLink1;
    TVxShellLink* VxShellLink2;

    // ---- the tabs' behaviour and state
    std::unique_ptr<icons::TDesktopTab> Desktop;
    std::unique_ptr<icons::TIconChoosing> Choosing;
    std::unique_ptr<shortcuts::TShortcutArea> ShortcutArea;
    std::unique_ptr<shortcuts::TStartMenuTab> StartMenu;
    std::unique_ptr<options::TOptionsTab> Options;

    // ---- what the start-up probes found
    bool PerUserClasses = false;  // Windows NT and 98 keep per-user class keys too
    bool IsWindows98 = false;
    int ScreenBits = 0;
    // "YES" where the per-user class keys are read and written, otherwise "NO".
    ui::String OsFlag() const { return PerUserClasses ? "YES" : "NO"; }

    // ---- start-up and tab pages
    void FormCreate(ui::TObject* sender);
    void PageControl1Change(ui::TObject* sender);

    // ---- desktop slots: Image5 My Computer, Image6 Network, Image1 the dropped shortcut, Image15 Control
    // Panel, Image17 Printers, Image18 Dial-Up, Image19 Briefcase, Image20 Inbox, Image3/Image4 the Recycle
    // Bin empty/full, Image21 My Documents
    void Image5Click(ui::TObject* sender);
    void Image6Click(ui::TObject* sender);
    void Image15Click(ui::TObject* sender);
    void Image17Click(ui::TObject* sender);
    void Image18Click(ui::TObject* sender);
    void Image19Click(ui::TObject* sender);
    void Image20Click(ui::TObject* sender);
    void Image3Click(ui::TObject* sender);
    void Image4Click(ui::TObject* sender);
    void Image21Click(ui::TObject* sender);
    void IEButton1Click(ui::TObject* sender);  // all to default
    void IEButton2Click(ui::TObject* sender);  // selected to default
    void IEButton5Click(ui::TObject* sender);  // apply
    void ApplyChanges(ui::TObject* sender) { IEButton5Click(sender); }

    // ---- choosing an icon
    void IconListBox1Click(ui::TObject* sender);
    void IconListBox1DblClick(ui::TObject* sender);
    void IconListBox1FileChange(ui::TObject* sender);
    void IEButton8Click(ui::TObject* sender);
    void IEButton13Click(ui::TObject* sender);
    void DropDst3FileDrop(ui::TObject* sender, const std::vector<ui::String>& files, int x, int y);

    // ---- shortcuts and the Start menu
    void DropDst1FileDrop(ui::TObject* sender, const std::vector<ui::String>& files, int x, int y);
    void Image1Click(ui::TObject* sender);
    void Image23Click(ui::TObject* sender);
    void IEButton10Click(ui::TObject* sender);
    void IEButton9Click(ui::TObject* sender);
    void ComboBox1Change(ui::TObject* sender);
    void PTShellTree1MouseDown(ui::TObject* sender, ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void PTShellTree1KeyDown(ui::TObject* sender, WORD& key, ui::TShiftState shift);
    void PTShellTree1ItemRenamed(ui::TObject* sender, const ui::String& oldPath, const ui::String& newPath);

    // ---- options tab
    void dispClick(ui::TObject* sender);
    void systemClick(ui::TObject* sender);
    void IEButton3Click(ui::TObject* sender);  // the mouse applet
    void tweakClick(ui::TObject* sender);
    void IEButton11Click(ui::TObject* sender);
    void IEButton12Click(ui::TObject* sender);
    void IEButton6Click(ui::TObject* sender);

    // The grid and the caption, as the tabs see them.
    TIconListBox& Grid() override { return *IconListBox1; }
    void SetCaptionFromGrid() override;
    void ShowCaption(const ui::String& text) override { SetCaption(text); }

    // One desktop object (3: the dropped shortcut) with its image, frame and click handler.
    struct TSlotRow {
        int Number;
        ui::TImage* TForm1::*Image;
        const char* ImageName;
        ui::TBevel* TForm1::*Frame;
        const char* FrameName;
        void (TForm1::*Click)(ui::TObject*);
        int Left, Top;  // the image's place on its tab (the shortcut's on its drop panel)
    };
    // In slot-number order, 1 to 11.
    static const TSlotRow kSlotRows[11];

private:
    void ProbeOperatingSystem();
    void ProbeColourDepth();
    void ComposeTabs();
    void ShowNotice(const ui::String& line1, const ui::String& line2);

    // An event that calls one of this window's handlers.
    ui::TNotifyEvent Handler(void (TForm1::*method)(ui::TObject*)) {
        return [this, method](ui::TObject* sender) { (this->*method)(sender); };
    }
    void BuildHeader();
    void MakeSlot(int number, ui::TWinControl* parent);
    void BuildDesktopTab();
    void BuildStartMenuTab();
    void BuildOptionsTab();
    void BuildRightSide();
    void BuildStatusBar();
    void BuildNonVisual();
};

extern TForm1* Form1;
