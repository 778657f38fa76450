#include "app/MainForm.h"

#include "app/NoticeForm.h"
#include "app/Probe.h"
#include "app/Resources.h"
#include "icons/ApplySettings.h"
#include "icons/IconLocation.h"
#include "ui/SysUtils.h"

using namespace ui;

TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    if (!Form1) Form1 = this;
    BeginLoading();
    SetName("Form1");
    SetCaption("Vemlora");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(613, 448);
    SetIcon(ProgramIcon());

    BuildHeader();
    PageControl1 = new TPageControl(this);
    PageControl1->SetName("PageControl1");
    PageControl1->SetBounds(5, 42, 317, 373);
    PageControl1->SetTabSize(78, 22);
    PageControl1->SetParent(this);
    struct {
        TTabSheet** sheet;
        const char *name, *caption;
    } sheets[] = {{&TabSheet2, "TabSheet2", "ﾃﾞｽｸﾄｯﾌﾟ"}, {&TabSheet5, "TabSheet5", "ｽﾀｰﾄﾒﾆｭｰ"},
                  {&TabSheet4, "TabSheet4", "ｵﾌﾟｼｮﾝ"}};
    for (auto& s : sheets) {
        *s.sheet = new TTabSheet(this);
        (*s.sheet)->SetName(s.name);
        (*s.sheet)->SetCaption(s.caption);
        (*s.sheet)->SetPageControl(PageControl1);
    }
    BuildDesktopTab();
    BuildStartMenuTab();
    BuildOptionsTab();
    BuildRightSide();
    BuildStatusBar();
    BuildNonVisual();
    ComposeTabs();

    EndLoading();
    OnCreate = Handler(&TForm1::FormCreate);
    DoCreate();
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::ComposeTabs() {
    icons::TWorkbench& bench = *this;
    icons::TDesktopControls desktop;
    for (const TSlotRow& row : kSlotRows)
        desktop.Views[static_cast<size_t>(row.Number)] = {this->*row.Image, this->*row.Frame};
    desktop.MyDocumentsLabel = Label19;
    desktop.RecycleBinName = Edit1;
    Desktop = std::make_unique<icons::TDesktopTab>(bench, desktop);
    Choosing = std::make_unique<icons::TIconChoosing>(bench, icons::TChoosingControls{OpenDialog1, Panel4, IEButton13});
    ShortcutArea = std::make_unique<shortcuts::TShortcutArea>(
        bench, *Desktop, *VxShellLink1, [this](const String& a, const String& b) { ShowNotice(a, b); });
    StartMenu = std::make_unique<shortcuts::TStartMenuTab>(
        bench, shortcuts::TStartMenuControls{PTShellTree1, Image23, ComboBox1, IEButton10, IEButton8, Label8, VxShellLink2});
    Options = std::make_unique<options::TOptionsTab>(std::array<TIEButton*, 4>{disp, system, mouse, tweak},
                                                     icons::GetSystemDir(), icons::GetWindowsDir());
}

void TForm1::FormCreate(TObject*) {
    icon->SetChecked(true);
    shortcut->SetChecked(true);
    Desktop->SelectedSlot = 1;
    PageControl1->SetActivePage(TabSheet2);
    ComboBox1->SetItemIndex(0);
    shortcut->SetChecked(icons::ReadShortcutOption());
    ProbeOperatingSystem();
    Options->UpdateAppletVisibility();
    ProbeColourDepth();
    if (IsWindows98) Desktop->ShowMyDocuments();
    jushintray->SetChecked(icons::ReadInboxOption());
    Desktop->LoadSlots(PerUserClasses);
    IconListBox1->Hide();
    PageControl1Change(this);
    IconListBox1->Show();
    Choosing->StartFrom(Desktop->Slots[icons::slMyComputer].CurrentFile);
}

void TForm1::ProbeOperatingSystem() {
    IsWindows98 = false;
    PerUserClasses = false;
    app::TOsProbe p = app::ProbeOperatingSystem();
    if (!p.Succeeded) return;
    PerUserClasses = p.OsFlag == "YES";
    IsWindows98 = p.IsWindows98;
    Label25->SetCaption(p.InfoLine);
}

void TForm1::ProbeColourDepth() {
    try {
        ScreenBits = icons::ReadColourDepth(Handle());
        Label3->SetCaption(IntToStr(ScreenBits) + "bit");
        if (!icons::InitialIconOption(ScreenBits)) icon->SetChecked(false);
        StatusBar1->SetPanelText(2, app::ColorDepthText(-1));
        StatusBar1->SetPanelText(2, app::ColorDepthText(ScreenBits));
    } catch (const std::exception&) {
        // The probe only advises; start-up goes on without it.
    }
}

void TForm1::ShowNotice(const String& line1, const String& line2) {
    if (!Form2) Form2 = new TForm2(this);
    Form2->Label1->SetCaption(line1);
    Form2->Label2->SetCaption(line2);
    Form2->Show();  // does not wait: the main window stays usable
}

void TForm1::SetCaptionFromGrid() {
    const String& file = IconListBox1->FileName();
    if (file.empty())
        SetCaption("Vemlora");
    else
        SetCaption("Vemlora " + file + " /" + IntToStr(IconListBox1->ItemIndex()));
}

void TForm1::PageControl1Change(TObject*) {
    TTabSheet* page = PageControl1->ActivePage();
    IconListBox1->SetEnabled(true);
    IEButton5->SetEnabled(true);
    IEButton10->SetEnabled(true);
    IEButton8->SetEnabled(true);
    Label1->SetVisible(page != TabSheet4);
    Panel4->SetVisible(page != TabSheet4);
    Panel2->SetVisible(page == TabSheet4);
    if (page == TabSheet2) {
        Desktop->PaintSlotImages(IsWindows98);
        const int selected = Desktop->SelectedSlot;
        for (const TSlotRow& row : kSlotRows)
            if (row.Number == selected) (this->*row.Click)(this);
        if (TBevel* frame = Desktop->SlotBevel(selected)) frame->Show();
    }
    if (page == TabSheet5) {
        IEButton10->SetEnabled(false);
        IEButton8->SetEnabled(false);
        IEButton5->SetEnabled(false);
        if (!StartMenu->MenuIconFile.empty()) {
            Image23Click(this);
            IconListBox1->SetEnabled(true);
        } else {
            IconListBox1->SetEnabled(false);
        }
    }
    if (page == TabSheet4) {
        IEButton8->SetEnabled(false);
        IconListBox1->SetEnabled(false);
    }
}

// ---- desktop slots

void TForm1::Image5Click(TObject*) { Desktop->SelectSlot(icons::slMyComputer); }
void TForm1::Image6Click(TObject*) { Desktop->SelectSlot(icons::slNetwork); }
void TForm1::Image15Click(TObject*) { Desktop->SelectSlot(icons::slControlPanel); }
void TForm1::Image17Click(TObject*) { Desktop->SelectSlot(icons::slPrinters); }
void TForm1::Image18Click(TObject*) { Desktop->SelectSlot(icons::slDialUp); }
void TForm1::Image19Click(TObject*) { Desktop->SelectSlot(icons::slBriefcase); }
void TForm1::Image20Click(TObject*) { Desktop->SelectSlot(icons::slInbox); }
void TForm1::Image3Click(TObject*) { Desktop->SelectSlot(icons::slRecycleEmpty); }
void TForm1::Image4Click(TObject*) { Desktop->SelectSlot(icons::slRecycleFull); }
void TForm1::Image21Click(TObject*) { Desktop->SelectSlot(icons::slMyDocuments); }

void TForm1::IEButton1Click(TObject*) {
    Desktop->ResetAll();
    PageControl1Change(this);
}

void TForm1::IEButton2Click(TObject*) {
    Desktop->ResetSelected();
    PageControl1Change(this);
}

void TForm1::IEButton5Click(TObject*) {
    const int bits = icons::ReadColourDepth(Handle());
    // The dropped shortcut first: an error there ends the action before any registry write.
    ShortcutArea->SaveChosenIcon();
    icons::TShellOptions options;
    options.Icon = icon->Checked();
    options.Shortcut = shortcut->Checked();
    options.Jushintray = jushintray->Checked();
    Desktop->Apply(PerUserClasses, IsWindows98, bits, options);
}

// ---- choosing an icon

void TForm1::IconListBox1Click(TObject*) { SetCaptionFromGrid(); }
void TForm1::IconListBox1FileChange(TObject*) { Choosing->GridFileChanged(); }

void TForm1::IconListBox1DblClick(TObject*) {
    const String file = IconListBox1->FileName();
    const int index = IconListBox1->ItemIndex();
    if (file.empty() || index < 0) return;
    if (PageControl1->ActivePage() == TabSheet2) {
        if (Desktop->SelectedSlot == 3)
            ShortcutArea->Assign(file, index);
        else if (!Desktop->AssignToSelected(file, index))
            return;
        if (IEButton5->Enabled()) ApplyChanges(IconListBox1);
    }
    if (PageControl1->ActivePage() == TabSheet5) StartMenu->Assign(file, index);
}

void TForm1::IEButton8Click(TObject*) { Choosing->LoadWithDialog(Handle()); }
void TForm1::IEButton13Click(TObject*) { Choosing->LoadPreviousFile(); }

void TForm1::DropDst3FileDrop(TObject*, const std::vector<String>& files, int, int) {
    if (PageControl1->ActivePage() == TabSheet2) Choosing->LoadDropped(files);
}

// ---- shortcuts and the Start menu

void TForm1::DropDst1FileDrop(TObject*, const std::vector<String>& files, int, int) {
    ShortcutArea->DropFiles(files);
}
void TForm1::Image1Click(TObject*) { ShortcutArea->Select(); }
void TForm1::Image23Click(TObject*) { StartMenu->ShowItemIcon(); }
void TForm1::IEButton10Click(TObject*) { StartMenu->ChangeMenuIcon(); }
void TForm1::IEButton9Click(TObject*) { StartMenu->UseTargetIcon(); }
void TForm1::ComboBox1Change(TObject*) { StartMenu->FolderChanged(); }
void TForm1::PTShellTree1MouseDown(TObject*, TMouseButton, TShiftState, int, int) { StartMenu->ItemClicked(); }
void TForm1::PTShellTree1KeyDown(TObject*, WORD& key, TShiftState) { StartMenu->TreeKeyDown(key); }
void TForm1::PTShellTree1ItemRenamed(TObject*, const String& oldPath, const String& newPath) {
    StartMenu->ItemRenamed(oldPath, newPath);
}

// ---- options tab

void TForm1::dispClick(TObject*) { Options->RunAppletOfRow(0); }
void TForm1::systemClick(TObject*) { Options->RunAppletOfRow(1); }
void TForm1::IEButton3Click(TObject*) { Options->RunAppletOfRow(2); }
void TForm1::tweakClick(TObject*) { Options->RunAppletOfRow(3); }
void TForm1::IEButton11Click(TObject*) { Options->DeleteIconCacheAndReport(); }
void TForm1::IEButton12Click(TObject*) { Options->DeleteShellIconsKeyAndReport(); }
void TForm1::IEButton6Click(TObject*) { Close(); }
