#pragma once
// Top-level windows (forms), the application object with its message loop and error
// report, and the screen cursor.
#include <windows.h>

#include <functional>

#include "ui/Controls.h"

namespace ui {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum class TPosition { poDesigned, poScreenCenter };
enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v) { borderStyle_ = v; }
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle v);
    // The window icon; not owned (resource icons are shared).
    void SetIcon(HICON icon);

    // Sizes the window so that its client area is exactly width x height.
    void SetClientSize(int width, int height);
    RECT ClientRect() const override;

    void Show();
    void Hide() { SetVisible(false); }
    // Closing the application's main form ends the application; other forms are hidden.
    void Close();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    std::function<void(TObject* sender, TCloseAction& action)> OnClose;

    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    // Runs OnCreate; a form calls it at the end of its constructor.
    void DoCreate();

private:
    DWORD WindowStyle() const;
    DWORD WindowExStyle() const;

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TPosition position_ = TPosition::poDesigned;
    TFormStyle formStyle_ = TFormStyle::fsNormal;
    HICON icon_ = nullptr;
    int clientWidth_ = -1, clientHeight_ = -1;
};

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize();
    const String& Title() const { return title_; }
    void SetTitle(const String& title) { title_ = title; }

    // Creates a form owned by the application; the first one becomes the main form.
    template <class T>
    void CreateForm(T*& reference) {
        reference = new T(this);
        if (!mainForm_) mainForm_ = reference;
    }
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Shows the main form and dispatches messages until the application terminates.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    void ProcessMessages();

    // The error report: the exception's text in a plain message box.
    void HandleException(const std::exception& e);
    std::function<void(const std::exception&)> OnException;
    // A plain message box: the text, one OK button by default, no icon, the title as caption.
    int MessageBox(const String& text, UINT flags = MB_OK);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    String title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

TApplication& Application();

enum TCursor : int { crDefault = 0, crArrow = -2, crHourGlass = -11 };

class TScreen {
public:
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

private:
    TCursor cursor_ = crDefault;
};

TScreen& Screen();

// Shows the hourglass for a scope (when `busy`) and puts the screen cursor back at its end,
// also when the scope is left by an exception.
class TCursorScope {
public:
    explicit TCursorScope(bool busy = true) : busy_(busy), saved_(Screen().Cursor()) {
        if (busy_) Screen().SetCursor(crHourGlass);
    }
    ~TCursorScope() {
        if (busy_) Screen().SetCursor(saved_);
    }
    TCursorScope(const TCursorScope&) = delete;
    TCursorScope& operator=(const TCursorScope&) = delete;

private:
    bool busy_;
    TCursor saved_;
};

}  // namespace ui
