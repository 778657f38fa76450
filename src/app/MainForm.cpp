#include "app/MainForm.h"

#include "app/Probe.h"
#include "app/Resources.h"
#include "components/FileIndexIcon.h"
#include "icons/ApplySettings.h"
#include "icons/IconLocation.h"
#include "ui/SysUtils.h"

using namespace ui;

TForm1* Form1 = nullptr;

void PaintIconInto(TImage* image, const String& file, int index) {
    TFileIndexIcon loader;  // freed on leaving, also when assigning fails
    loader.SetFileName(file);
    loader.SetIconIndex(index);
    image->Picture().Assign(&loader);
}

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

    PageControl1->OnChange = Handler(&TForm1::PageControl1Change);
    IEButton8->OnClick = Handler(&TForm1::IEButton8Click);
    IEButton5->OnClick = Handler(&TForm1::IEButton5Click);
    IEButton6->OnClick = Handler(&TForm1::IEButton6Click);

    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
    OpenDialog1->SetTitle("ｱｲｺﾝﾌｧｲﾙの指定");
    OpenDialog1->SetFilter("dll,ico,exe,ｱｲｺﾝﾗｲﾌﾞﾗﾘﾌｧｲﾙ|*.dll;*.ico;*.exe;*.icl;*.ict;|すべてのﾌｧｲﾙ|*.*");
    OpenDialog1->SetFilterIndex(1);
    OpenDialog1->SetOptions(OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS);

    // The two drop panels: shortcuts on the desktop tab, icon sources under the grid.
    using DropHandler = void (TForm1::*)(TObject*, const std::vector<String>&, int, int);
    auto makeDrop = [this](const char* name, TWinControl* panel, DropHandler handler) {
        auto* drop = new TDropDst(this);
        drop->SetName(name);
        drop->SetControl(panel);
        drop->SetTarget(THookTarget::htControl);
        drop->OnFileDrop = [this, handler](TObject* s, const std::vector<String>& f, int x, int y) {
            (this->*handler)(s, f, x, y);
        };
        return drop;
    };
    DropDst1 = makeDrop("DropDst1", Panel3, &TForm1::DropDst1FileDrop);
    DropDst3 = makeDrop("DropDst3", Panel4, &TForm1::DropDst3FileDrop);

    // Both shortcut objects as the window keeps them; the first one lives in the desktop folder.
    auto makeLink = [this](const char* name) {
        auto* link = new TVxShellLink(this);
        link->SetName(name);
        link->FileIcon().SetIconIndex(0);
        link->SetHotKey(0);
        link->SetLangType(ltEnglish);
        link->SetWindowState(wsNormal);
        return link;
    };
    VxShellLink1 = makeLink("VxShellLink1");
    VxShellLink1->SetFileName("C:\\WINDOWS\\ﾃﾞｽｸﾄｯﾌﾟ\\");  // a folder only: emptied, then re-rooted below
    VxShellLink1->SetShellFolder(sfDesktop);
    VxShellLink2 = makeLink("VxShellLink2");

    EndLoading();
    OnCreate = Handler(&TForm1::FormCreate);
    DoCreate();
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::FormCreate(TObject*) {
    icon->SetChecked(true);
    shortcut->SetChecked(true);
    SelectedSlot = 1;
    PageControl1->SetActivePage(TabSheet2);
    ComboBox1->SetItemIndex(0);
    shortcut->SetChecked(icons::ReadShortcutOption());
    ProbeOperatingSystem();
    UpdateAppletVisibility();
    ProbeColourDepth();
    if (IsWindows98) {
        Image21->Show();
        Label19->Show();
        icons::LoadSlotLocation(Slots[11], HKEY_CLASSES_ROOT);
    }
    jushintray->SetChecked(icons::ReadInboxOption());
    // Slot 11 is loaded above; the rest in their order, painting the Recycle Bin as it comes.
    icons::LoadAllSlots(Slots, OsFlag, false, [this](icons::TLoadStep step, const String& name) {
        switch (step) {
            case icons::TLoadStep::RecycleBinNameRead: Edit1->SetText(name); break;
            case icons::TLoadStep::Slot9Loaded: PaintSlotImage(9); break;
            case icons::TLoadStep::Slot10Loaded: PaintSlotImage(10); break;
        }
    });
    Bevel4->Show();
    Bevel3->Hide();
    RecycleFullSelected = 0;
    IconListBox1->Hide();
    PageControl1Change(this);
    IconListBox1->Show();
    LastFolder = ExtractFilePath(Slots[1].CurrentFile);
    PreviousFile = Slots[1].CurrentFile;
    IEButton13->SetVisible(true);
}

void TForm1::ProbeOperatingSystem() {
    IsWindows98 = false;
    OsFlag = "NO";
    app::TOsProbe p = app::ProbeOperatingSystem();
    if (!p.Succeeded) return;
    OsFlag = p.OsFlag;
    IsWindows98 = p.IsWindows98;
    Label25->SetCaption(p.InfoLine);
}

void TForm1::ProbeColourDepth() {
    try {
        ScreenBits = icons::ReadColourDepth(Handle());
        Label3->SetCaption(IntToStr(ScreenBits) + "bit");
        if (ScreenBits >= 4 && ScreenBits <= 8) icon->SetChecked(false);
        StatusBar1->SetPanelText(2, app::ColorDepthText(-1));
        StatusBar1->SetPanelText(2, app::ColorDepthText(ScreenBits));
    } catch (...) {
        // The probe only advises; start-up goes on without it.
    }
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
    if (page == TabSheet4) {
        Label1->Hide();
        Panel4->Hide();
        Panel2->Show();
    } else {
        Label1->Show();
        Panel4->Show();
        Panel2->Hide();
    }
    if (page == TabSheet2) {
        for (int n : {1, 2, 4, 5, 6, 7, 8, 9, 10}) PaintSlotImage(n);
        if (IsWindows98) PaintSlotImage(11);
        switch (SelectedSlot) {
            case 1: Image5Click(this); break;
            case 2: Image6Click(this); break;
            case 3: Image1Click(this); break;
            case 4: Image15Click(this); break;
            case 5: Image17Click(this); break;
            case 6: Image18Click(this); break;
            case 7: Image19Click(this); break;
            case 8: Image20Click(this); break;
            case 9: Image3Click(this); break;
            case 10: Image4Click(this); break;
            case 11: Image21Click(this); break;
            default: break;
        }
        if (TBevel* frame = SlotBevel(SelectedSlot)) frame->Show();
    }
    if (page == TabSheet5) {
        IEButton10->SetEnabled(false);
        IEButton8->SetEnabled(false);
        IEButton5->SetEnabled(false);
        if (!MenuIconFile.empty()) {
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
