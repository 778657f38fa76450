#pragma once
// The main window: the three tab pages on the left, the icon grid on the right, and the
// state the program keeps between user actions. Its handlers live beside the subsystem
// they belong to (icons/, shortcuts/, options/).
#include "components/DropDst.h"
#include "components/IEButton.h"
#include "components/IconListBox.h"
#include "components/ShellLink.h"
#include "icons/IconSlots.h"
#include "ui/ComCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

class TForm1 : public ui::TForm {
public:
    explicit TForm1(ui::TComponent* owner);
    ~TForm1() override;

    // ---- header
    ui::TPanel* Panel1;
    ui::TImage* Image16;
    ui::TLabel* Label10;
    ui::TLabel* Label4;
    TIEButton* IEButton8;  // 読込
    TIEButton* IEButton5;  // 実行
    TIEButton* IEButton6;  // 終了

    // ---- tab pages
    ui::TPageControl* PageControl1;
    ui::TTabSheet* TabSheet2;  // desktop
    ui::TTabSheet* TabSheet5;  // Start menu
    ui::TTabSheet* TabSheet4;  // options

    // desktop tab: slot images, their labels and selection frames
    ui::TImage *Image5, *Image6, *Image15, *Image17, *Image18, *Image19, *Image20, *Image21, *Image3, *Image4;
    ui::TLabel *Label12, *Label13, *Label31, *Label22, *Label32, *Label39, *Label33, *Label34, *Label19, *Label6,
        *Label7;
    ui::TBevel *Bevel4, *Bevel3, *Bevel5, *Bevel6, *Bevel14, *Bevel15, *Bevel17, *Bevel18, *Bevel19, *Bevel20,
        *Bevel21;
    ui::TBevel* Bevel22;
    ui::TImage* Image2;
    ui::TLabel* Label5;
    ui::TLabel* Label21;
    ui::TEdit* Edit1;
    TIEButton* IEButton1;  // 全て
    TIEButton* IEButton2;  // 標準
    ui::TPanel* Panel3;    // shortcut drop area
    ui::TLabel* Label23;
    ui::TImage* Image1;

    // Start-menu tab (the shell tree's place stays empty for now)
    ui::TBevel* Bevel26;
    ui::TImage* Image23;
    ui::TComboBox* ComboBox1;
    TIEButton* IEButton10;  // ﾒﾆｭｰｱｲｺﾝ変更
    ui::TLabel* Label43;
    ui::TLabel* Label37;
    TIEButton* IEButton9;  // 標準にもどす
    ui::TLabel* Label8;

    // options tab
    ui::TLabel* Label25;
    ui::TBevel* Bevel7;
    TIEButton *disp, *system, *mouse, *tweak;
    ui::TLabel *Label26, *Label27, *Label28, *Label29;
    ui::TLabel *Label40, *Label41, *Label42;
    TIEButton* IEButton11;  // icon cache
    ui::TLabel *Label44, *Label45, *Label46;
    TIEButton* IEButton12;  // "Shell Icons"

    // ---- right-hand side
    ui::TPanel* Panel5;
    TIconListBox* IconListBox1;
    ui::TPanel* Panel4;  // icon-file drop panel
    ui::TLabel* Label1;
    TIEButton* IEButton13;  // 前のﾌｧｲﾙ
    ui::TLabel* Label3;     // colour depth
    ui::TPanel* Panel2;     // option check boxes
    ui::TCheckBox* icon;
    ui::TCheckBox* shortcut;
    ui::TCheckBox* jushintray;
    ui::TLabel *Label9, *Label11, *Label14, *Label15, *Label16, *Label17, *Label18, *Label20;

    ui::TStatusBar* StatusBar1;

    // ---- non-visual
    ui::TOpenDialog* OpenDialog1;
    TDropDst* DropDst1;  // on Panel3: shortcuts
    TDropDst* DropDst3;  // on Panel4: icon sources
    TVxShellLink* VxShellLink1;
    TVxShellLink* VxShellLink2;

    // ---- state kept for the whole run
    icons::TIconSlotTable Slots;
    int SelectedSlot = 1;
    int RecycleFullSelected = 0;
    ui::String OsFlag = "NO";
    bool IsWindows98 = false;
    int ScreenBits = 0;
    ui::String SplitFile;
    int SplitIndex = 0;
    ui::String ShortcutIconFile;
    int ShortcutIconIndex = 0;
    ui::String MenuIconFile;
    int MenuIconIndex = 0;
    ui::String MenuItemPath;
    ui::String PreviousFile;
    ui::String LastFolder;

    // ---- start-up and tab pages
    void FormCreate(ui::TObject* sender);
    void PageControl1Change(ui::TObject* sender);
    void ProbeOperatingSystem();
    void ProbeColourDepth();
    void UpdateAppletVisibility();
    // "Vemlora " + the grid's file + " /" + its selected index ("Vemlora" with no file).
    void SetCaptionFromGrid();

    // ---- desktop slots
    void HideSelectionBevels();
    void SelectSlot(int number, bool bulkUpdate);
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
    void PaintSlotImage(int number);
    ui::TImage* SlotImage(int number) const;  // 1..11 (3 = Image1)
    ui::TBevel* SlotBevel(int number) const;
    void IEButton1Click(ui::TObject* sender);  // all to default
    void IEButton2Click(ui::TObject* sender);  // selected to default

    // ---- applying
    void IEButton5Click(ui::TObject* sender);
    void ApplyChanges(ui::TObject* sender) { IEButton5Click(sender); }

    // ---- choosing an icon
    void IconListBox1Click(ui::TObject* sender);
    void IconListBox1DblClick(ui::TObject* sender);
    void IconListBox1FileChange(ui::TObject* sender);
    void IEButton8Click(ui::TObject* sender);
    void IEButton13Click(ui::TObject* sender);
    void DropDst3FileDrop(ui::TObject* sender, const std::vector<ui::String>& files, int x, int y);
    // Shows `file` in the grid with `index` selected and rebuilds the caption, without redrawing in between.
    void ShowInGrid(const ui::String& file, int index);

    // ---- shortcuts and the Start menu
    void DropDst1FileDrop(ui::TObject* sender, const std::vector<ui::String>& files, int x, int y);
    void Image1Click(ui::TObject* sender);
    void Image23Click(ui::TObject* sender);
    void IEButton10Click(ui::TObject* sender);
    void IEButton9Click(ui::TObject* sender);
    void ComboBox1Change(ui::TObject* sender);

    // ---- options tab
    void dispClick(ui::TObject* sender);
    void systemClick(ui::TObject* sender);
    void IEButton3Click(ui::TObject* sender);
    void tweakClick(ui::TObject* sender);
    void IEButton11Click(ui::TObject* sender);
    void IEButton12Click(ui::TObject* sender);
    void IEButton6Click(ui::TObject* sender);

private:
    // An event that calls one of this window's handlers.
    ui::TNotifyEvent Handler(void (TForm1::*method)(ui::TObject*)) {
        return [this, method](ui::TObject* sender) { (this->*method)(sender); };
    }
    void BuildHeader();
    void BuildDesktopTab();
    void BuildStartMenuTab();
    void BuildOptionsTab();
    void BuildRightSide();
    void BuildStatusBar();
};

extern TForm1* Form1;

// Paints the icon of `file` at `index` into an image (a fresh loader each time).
void PaintIconInto(ui::TImage* image, const ui::String& file, int index);
