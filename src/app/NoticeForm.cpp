#include "app/NoticeForm.h"

#include "app/Resources.h"

using namespace ui;

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* owner) : TForm(owner) {
    BeginLoading();
    SetName("Form2");
    SetCaption("おしらせ");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetPosition(TPosition::poScreenCenter);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetClientSize(277, 90);
    SetIcon(ProgramIcon());

    Bevel1 = new TBevel(this);
    Bevel1->SetName("Bevel1");
    Bevel1->SetBounds(6, 6, 265, 76);
    Bevel1->SetShape(TBevelShape::bsFrame);
    Bevel1->SetParent(this);

    Image16 = new TImage(this);
    Image16->SetName("Image16");
    Image16->SetBounds(15, 18, 32, 32);
    Image16->SetTransparent(true);
    TIcon icon;
    icon.SetHandle(CopyIcon(ProgramIcon()));
    Image16->Picture().Assign(&icon);
    Image16->SetParent(this);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetBounds(54, 18, 0, 0);
    Label1->SetCaption("このタイプのアイコンは変更できません");
    Label1->SetParent(this);

    Label2 = new TLabel(this);
    Label2->SetName("Label2");
    Label2->SetBounds(54, 36, 0, 0);
    Label2->SetCaption("アイコンのプロパティで変更してください");
    Label2->SetParent(this);

    Button1 = new TButton(this);
    Button1->SetName("Button1");
    Button1->SetBounds(192, 54, 64, 25);
    Button1->SetCaption("OK");
    Button1->SetParent(this);
    Button1->OnClick = [this](TObject* s) { Button1Click(s); };
    EndLoading();
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
}

void TForm2::Button1Click(TObject*) { Close(); }
