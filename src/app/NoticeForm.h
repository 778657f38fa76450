#pragma once
// The small notice window: two lines of text and an OK button that hides it. Created once
// and shown again with new texts; it never blocks the main window.
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

class TForm2 : public ui::TForm {
public:
    explicit TForm2(ui::TComponent* owner);
    ~TForm2() override;

    ui::TBevel* Bevel1;
    ui::TImage* Image16;
    ui::TLabel* Label1;
    ui::TLabel* Label2;
    ui::TButton* Button1;

    void Button1Click(ui::TObject* sender);
};

extern TForm2* Form2;
