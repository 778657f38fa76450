// The main window's controls, placed as the window shows them.
#include "app/MainForm.h"
#include "app/Resources.h"

using namespace ui;

namespace {

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height) {
    T* c = new T(owner);
    c->SetName(name);
    c->SetBounds(left, top, width, height);
    c->SetParent(parent);
    return c;
}

TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, int left, int top, const char* text) {
    TLabel* l = Make<TLabel>(owner, parent, name, left, top, 0, 0);
    l->SetCaption(text);
    return l;
}

TIEButton* MakeButton(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
                      int height, const char* caption, const char* glyph) {
    TIEButton* b = Make<TIEButton>(owner, parent, name, left, top, width, height);
    b->SetInactiveStyle(TInactiveStyle::dsNormal);
    b->SetLayOut(TButtonLayout::blGlyphLeft);
    if (glyph) {
        TBitmap bmp;
        if (bmp.LoadFromResourceName(MainInstance(), glyph)) b->SetGlyph(bmp);
    }
    b->SetCaption(caption);
    return b;
}

const TColor kKhaki = 4359300;  // transparent colour of the exit and reset glyphs

}  // namespace

void TForm1::BuildHeader() {
    Panel1 = Make<TPanel>(this, this, "Panel1", 0, 0, 613, 40);
    Panel1->SetAlign(TAlign::alTop);
    Image16 = Make<TImage>(this, Panel1, "Image16", 9, 3, 34, 34);
    Image16->SetTransparent(true);
    Image16->SetCenter(true);
    TIcon programIcon;
    programIcon.SetHandle(CopyIcon(ProgramIcon()));
    Image16->Picture().Assign(&programIcon);
    Label10 = MakeLabel(this, Panel1, "Label10", 48, 9, "Tarvo特製アイコン設定プログラム");
    Label4 = MakeLabel(this, Panel1, "Label4", 49, 22, "Vemlora");
    IEButton8 = MakeButton(this, Panel1, "IEButton8", 381, 6, 70, 28, "読込", "GLYPH_LOAD");
    IEButton5 = MakeButton(this, Panel1, "IEButton5", 453, 6, 74, 28, "実行", "GLYPH_EXEC");
    IEButton6 = MakeButton(this, Panel1, "IEButton6", 531, 6, 74, 28, "終了", "GLYPH_EXIT");
    IEButton6->SetTransparentColor(kKhaki);
    IEButton8->OnClick = Handler(&TForm1::IEButton8Click);
    IEButton5->OnClick = Handler(&TForm1::IEButton5Click);
    IEButton6->OnClick = Handler(&TForm1::IEButton6Click);
}

const TForm1::TSlotRow TForm1::kSlotRows[11] = {
    {1, &TForm1::Image5, "Image5", &TForm1::Bevel5, "Bevel5", &TForm1::Image5Click, 18, 12},
    {2, &TForm1::Image6, "Image6", &TForm1::Bevel6, "Bevel6", &TForm1::Image6Click, 78, 12},
    {3, &TForm1::Image1, "Image1", &TForm1::Bevel14, "Bevel14", &TForm1::Image1Click, 15, 12},
    {4, &TForm1::Image15, "Image15", &TForm1::Bevel17, "Bevel17", &TForm1::Image15Click, 138, 12},
    {5, &TForm1::Image17, "Image17", &TForm1::Bevel15, "Bevel15", &TForm1::Image17Click, 198, 12},
    {6, &TForm1::Image18, "Image18", &TForm1::Bevel18, "Bevel18", &TForm1::Image18Click, 258, 12},
    {7, &TForm1::Image19, "Image19", &TForm1::Bevel19, "Bevel19", &TForm1::Image19Click, 18, 75},
    {8, &TForm1::Image20, "Image20", &TForm1::Bevel20, "Bevel20", &TForm1::Image20Click, 78, 75},
    {9, &TForm1::Image3, "Image3", &TForm1::Bevel4, "Bevel4", &TForm1::Image3Click, 69, 144},
    {10, &TForm1::Image4, "Image4", &TForm1::Bevel3, "Bevel3", &TForm1::Image4Click, 126, 144},
    {11, &TForm1::Image21, "Image21", &TForm1::Bevel21, "Bevel21", &TForm1::Image21Click, 138, 75},
};

// A slot's selection frame (6 pixels left and 3 above its 32 x 32 image, hidden until
// selected) and then its image: made later, the image lies above the frame and takes every
// click on it, also while the frame shows.
void TForm1::MakeSlot(int number, TWinControl* parent) {
    const TSlotRow& row = kSlotRows[number - 1];
    TBevel* frame = Make<TBevel>(this, parent, row.FrameName, row.Left - 6, row.Top - 3, 43, 40);
    frame->SetVisible(false);
    this->*row.Frame = frame;
    TImage* image = Make<TImage>(this, parent, row.ImageName, row.Left, row.Top, 32, 32);
    image->SetTransparent(true);
    image->OnClick = Handler(row.Click);
    this->*row.Image = image;
}

void TForm1::BuildDesktopTab() {
    TTabSheet* t = TabSheet2;
    for (int number : {1, 2, 4, 5, 6, 7, 8, 11}) MakeSlot(number, t);
    Image21->SetVisible(false);

    Label12 = MakeLabel(this, t, "Label12", 9, 54, "ﾏｲｺﾝﾋﾟｭｰﾀ");
    Label13 = MakeLabel(this, t, "Label13", 75, 54, "ﾈｯﾄﾜｰｸ");
    Label31 = MakeLabel(this, t, "Label31", 129, 54, "ｺﾝﾄﾛｰﾙP");
    Label22 = MakeLabel(this, t, "Label22", 195, 54, "ﾌﾟﾘﾝﾀ");
    Label32 = MakeLabel(this, t, "Label32", 243, 54, "ﾀﾞｲﾔﾙｱｯﾌﾟ");
    Label39 = MakeLabel(this, t, "Label39", 252, 66, "(ｺﾝﾊﾟﾈ)");
    Label33 = MakeLabel(this, t, "Label33", 9, 117, "ﾌﾞﾘｰﾌｹｰｽ");
    Label34 = MakeLabel(this, t, "Label34", 75, 117, "受信ﾄﾚｲ");
    Label19 = MakeLabel(this, t, "Label19", 129, 117, "ﾏｲﾄﾞｷｭﾒﾝﾄ");
    Label19->SetVisible(false);

    IEButton1 = MakeButton(this, t, "IEButton1", 189, 87, 58, 22, "全て", "GLYPH_ALL");
    IEButton1->SetTransparentColor(kKhaki);
    IEButton2 = MakeButton(this, t, "IEButton2", 249, 87, 58, 22, "標準", "GLYPH_STD");
    IEButton2->SetTransparentColor(kKhaki);

    // The Recycle Bin group: its frame, small picture and name on the left, the two images,
    // and the name box on the right.
    Bevel22 = Make<TBevel>(this, t, "Bevel22", 6, 132, 295, 70);
    Image2 = Make<TImage>(this, t, "Image2", 20, 146, 16, 16);
    Image2->SetTransparent(true);
    {
        TBitmap bmp;
        if (bmp.LoadFromResourceName(MainInstance(), "RECYCLE")) Image2->Picture().Assign(&bmp);
    }
    Label5 = MakeLabel(this, t, "Label5", 14, 168, "ごみ箱");
    MakeSlot(9, t);
    MakeSlot(10, t);
    Label6 = MakeLabel(this, t, "Label6", 78, 186, "空");
    Label7 = MakeLabel(this, t, "Label7", 117, 186, "いっぱい");
    Label21 = MakeLabel(this, t, "Label21", 171, 142, "名前の指定");
    Edit1 = Make<TEdit>(this, t, "Edit1", 171, 159, 118, 20);
    Edit1->SetColor(clWhite);
    Edit1->SetText("ごみ箱");

    // The shortcut drop area.
    Panel3 = Make<TPanel>(this, t, "Panel3", 6, 207, 295, 130);
    Panel3->SetBevelInner(TBevelCut::bvRaised);
    Panel3->SetBevelOuter(TBevelCut::bvLowered);
    Label23 = Make<TLabel>(this, Panel3, "Label23", 21, 69, 249, 13);
    Label23->SetAutoSize(false);
    Label23->SetCaption("変更するｼｮｰﾄｶｯﾄｱｲｺﾝをここにﾄﾞﾛｯﾌﾟしてください");
    MakeSlot(3, Panel3);

    IEButton1->OnClick = Handler(&TForm1::IEButton1Click);
    IEButton2->OnClick = Handler(&TForm1::IEButton2Click);
}

void TForm1::BuildStartMenuTab() {
    TTabSheet* t = TabSheet5;
    PTShellTree1 = Make<shell::TPTShellTree>(this, t, "PTShellTree1", 0, 0, 309, 223);
    PTShellTree1->SetOptions(shell::TPTShellTreeOptions(0x3F9));
    PTShellTree1->SetShowRoot(false);
    PTShellTree1->SetIndent(20);
    PTShellTree1->BaseFolder().ReadPidl(std::string("\x01\x0B", 2));  // the Start menu
    Bevel26 = Make<TBevel>(this, t, "Bevel26", 6, 231, 43, 40);
    Image23 = Make<TImage>(this, t, "Image23", 12, 234, 32, 32);
    Image23->SetTransparent(true);
    ComboBox1 = Make<TComboBox>(this, t, "ComboBox1", 57, 237, 127, 24);
    ComboBox1->SetItemHeight(16);
    for (const shortcuts::TMenuFolder& folder : shortcuts::kMenuFolders) ComboBox1->AddItem(folder.Entry);
    IEButton10 = MakeButton(this, t, "IEButton10", 192, 234, 112, 34, "ﾒﾆｭｰｱｲｺﾝ変更", "GLYPH_MENUICON");
    Label43 = MakeLabel(this, t, "Label43", 8, 276, "このﾘｽﾄから直接ｱｲｺﾝの読み出せないｱｲﾃﾑの変更は、");
    Label37 = MakeLabel(this, t, "Label37", 8, 291, "ｱｲｺﾝ右ｸﾘｯｸ→ﾌﾟﾛﾊﾟﾃｨ の[ｱｲｺﾝ変更]でおこなってください ");
    IEButton9 = MakeButton(this, t, "IEButton9", 192, 309, 112, 25, "標準にもどす", "GLYPH_STD");
    IEButton9->SetTransparentColor(kKhaki);
    Label8 = Make<TLabel>(this, t, "Label8", 6, 324, 220, 13);
    Label8->SetAutoSize(false);

    PTShellTree1->OnMouseDown = [this](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
        PTShellTree1MouseDown(sender, button, shift, x, y);
    };
    PTShellTree1->OnKeyDown = [this](TObject* sender, WORD& key, TShiftState shift) {
        PTShellTree1KeyDown(sender, key, shift);
    };
    PTShellTree1->OnItemRenamed = [this](TObject* sender, const String& oldPath, const String& newPath) {
        PTShellTree1ItemRenamed(sender, oldPath, newPath);
    };
    Image23->OnClick = Handler(&TForm1::Image23Click);
    ComboBox1->OnChange = Handler(&TForm1::ComboBox1Change);
    IEButton10->OnClick = Handler(&TForm1::IEButton10Click);
    IEButton9->OnClick = Handler(&TForm1::IEButton9Click);
}

void TForm1::BuildOptionsTab() {
    TTabSheet* t = TabSheet4;
    Label25 = Make<TLabel>(this, t, "Label25", 9, 13, 277, 16);
    Label25->SetAutoSize(false);
    Label25->SetCaption("OS Info");

    // The Control Panel applets, one button and one label a row.
    Bevel7 = Make<TBevel>(this, t, "Bevel7", 6, 34, 297, 166);
    struct Row {
        TIEButton** button;
        TLabel** label;
        const char *name, *labelName, *glyph, *text;
    } rows[] = {
        {&disp, &Label26, "disp", "Label26", "GLYPH_DISP", "画面のプロパティ"},
        {&system, &Label27, "system", "Label27", "GLYPH_SYSTEM", "システムのプロパティ"},
        {&mouse, &Label28, "mouse", "Label28", "GLYPH_MOUSE", "マウスのプロパティ (ｶｰｿﾙ変更など)"},
        {&tweak, &Label29, "tweak", "Label29", "GLYPH_TWEAK", "Tweak UI パネル(Tweak UI 導入時のみ)"},
    };
    int top = 40;
    for (const Row& r : rows) {
        *r.button = MakeButton(this, t, r.name, 14, top, 38, 38, "", r.glyph);
        (*r.button)->SetSpacing(0);
        *r.label = MakeLabel(this, t, r.labelName, 60, top + 13, r.text);
        top += 39;
    }
    mouse->SetNumGlyphs(1);

    Label40 = MakeLabel(this, t, "Label40", 9, 208, "ｱｲｺﾝｷｬｯｼｭの削除");
    IEButton11 = MakeButton(this, t, "IEButton11", 14, 224, 38, 38, "", "GLYPH_CACHE");
    IEButton11->SetSpacing(0);
    Label41 = MakeLabel(this, t, "Label41", 60, 229, "Windows ﾌｫﾙﾀﾞにあるｱｲｺﾝｷｬｯｼｭを消去");
    Label42 = MakeLabel(this, t, "Label42", 60, 244, "します。ｷｬｯｼｭはWindowsが再作成します");

    Label44 = MakeLabel(this, t, "Label44", 9, 272, "特殊ｱｲｺﾝ変更ﾚｼﾞｽﾄﾘの削除");
    IEButton12 = MakeButton(this, t, "IEButton12", 14, 288, 38, 38, "", "GLYPH_SHELLICONS");
    IEButton12->SetSpacing(0);
    Label45 = MakeLabel(this, t, "Label45", 60, 293, "ﾄﾞﾗｲﾌﾞやﾌｫﾙﾀﾞｱｲｺﾝの変更を記録する");
    Label46 = MakeLabel(this, t, "Label46", 60, 308, "ﾚｼﾞｽﾄﾘを消去しｵﾘｼﾞﾅﾙに戻します");

    disp->OnClick = Handler(&TForm1::dispClick);
    system->OnClick = Handler(&TForm1::systemClick);
    mouse->OnClick = Handler(&TForm1::IEButton3Click);
    tweak->OnClick = Handler(&TForm1::tweakClick);
    IEButton11->OnClick = Handler(&TForm1::IEButton11Click);
    IEButton12->OnClick = Handler(&TForm1::IEButton12Click);
}

void TForm1::BuildRightSide() {
    Panel5 = Make<TPanel>(this, this, "Panel5", 324, 39, 292, 376);
    Panel5->SetBevelOuter(TBevelCut::bvNone);

    IconListBox1 = Make<TIconListBox>(this, Panel5, "IconListBox1", 9, 11, 268, 269);
    IconListBox1->SetColor(clWhite);
    IconListBox1->SetXIcons(7);
    IconListBox1->SetYIcons(7);

    Panel4 = Make<TPanel>(this, Panel5, "Panel4", 9, 288, 271, 85);
    Panel4->SetBevelInner(TBevelCut::bvRaised);
    Panel4->SetBevelOuter(TBevelCut::bvLowered);
    Panel4->SetCaption("ここに新しいアイコンファイルをドロップ");
    Label1 = MakeLabel(this, Panel4, "Label1", 8, 64, "ﾀﾞﾌﾞﾙｸﾘｯｸで即座に変わります");
    // The colour-depth label lies under "前のﾌｧｲﾙ", which covers it once shown; the status bar
    // says the same in words.
    Label3 = Make<TLabel>(this, Panel4, "Label3", 225, 6, 36, 15);
    Label3->SetAutoSize(false);
    IEButton13 = MakeButton(this, Panel4, "IEButton13", 183, 3, 82, 28, "前のﾌｧｲﾙ", "GLYPH_PREV");
    IEButton13->SetNumGlyphs(1);
    IEButton13->SetVisible(false);

    // The option check boxes cover the grid while the options tab is active.
    Panel2 = Make<TPanel>(this, Panel5, "Panel2", 3, 6, 283, 367);
    Panel2->SetVisible(false);
    icon = Make<TCheckBox>(this, Panel2, "icon", 9, 15, 217, 17);
    icon->SetCaption("多色アイコンを使う (要再起動)");
    Label9 = MakeLabel(this, Panel2, "Label9", 27, 38, "デスクトップのアイコンを標準以外の");
    Label11 = MakeLabel(this, Panel2, "Label11", 27, 53, "色のものに変えるときは");
    Label14 = MakeLabel(this, Panel2, "Label14", 27, 68, "チェックを ON にしてください。");
    shortcut = Make<TCheckBox>(this, Panel2, "shortcut", 9, 105, 217, 22);
    shortcut->SetCaption("ショートカットの矢印を消す");
    Label15 = MakeLabel(this, Panel2, "Label15", 27, 131, "ショートカットアイコンにつく小さな");
    Label16 = MakeLabel(this, Panel2, "Label16", 27, 146, "矢印マークを消します。 ");
    jushintray = Make<TCheckBox>(this, Panel2, "jushintray", 9, 195, 139, 16);
    jushintray->SetCaption("受信トレイを消す");
    Label17 = MakeLabel(this, Panel2, "Label17", 27, 217, "あまり使わない受信トレイアイコンを");
    Label18 = MakeLabel(this, Panel2, "Label18", 27, 232, "画面から消します。");

    IconListBox1->OnClick = Handler(&TForm1::IconListBox1Click);
    IconListBox1->OnDblClick = Handler(&TForm1::IconListBox1DblClick);
    IconListBox1->OnFileChange = Handler(&TForm1::IconListBox1FileChange);
    IEButton13->OnClick = Handler(&TForm1::IEButton13Click);
}

void TForm1::BuildStatusBar() {
    StatusBar1 = Make<TStatusBar>(this, this, "StatusBar1", 0, 420, 613, 28);
    StatusBar1->SetAlign(TAlign::alBottom);
    StatusBar1->SetSizeGrip(false);
    StatusBar1->AddPanel(150, " www.vemlora.example");
    StatusBar1->AddPanel(120, " ver2.11.905.501");
    StatusBar1->AddPanel(50, "");
}

void TForm1::BuildNonVisual() {
    PageControl1->OnChange = Handler(&TForm1::PageControl1Change);

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
}
