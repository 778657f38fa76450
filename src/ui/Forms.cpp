#include "ui/Forms.h"

#include <commctrl.h>

#include "ui/Guard.h"

namespace ui {

// ---- error report used by every window procedure

void ReportException(const std::exception& e) noexcept {
    try {
        Application().HandleException(e);
    } catch (...) {
        // Nothing may leave a window procedure, not even from the report itself.
    }
}

// ---- TForm

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    SetVisible(false);
    SetColor(clBtnFace);
}

TForm::~TForm() {
    if (OnDestroy) Guarded([this] { OnDestroy(this); });
    DestroyHandle();
}

DWORD TForm::WindowStyle() const {
    DWORD s = WS_CLIPCHILDREN;
    switch (borderStyle_) {
        case TFormBorderStyle::bsNone: s |= WS_POPUP; break;
        case TFormBorderStyle::bsSingle: s |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; break;
        case TFormBorderStyle::bsDialog: s |= WS_CAPTION | WS_SYSMENU | DS_MODALFRAME; break;
        case TFormBorderStyle::bsSizeable:
            s |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
            break;
    }
    return s;
}

DWORD TForm::WindowExStyle() const {
    DWORD ex = 0;
    if (borderStyle_ == TFormBorderStyle::bsDialog) ex |= WS_EX_DLGMODALFRAME;
    if (formStyle_ == TFormStyle::fsStayOnTop) ex |= WS_EX_TOPMOST;
    return ex;
}

void TForm::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    RECT r = {0, 0, width, height};
    AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
    int w = r.right - r.left, h = r.bottom - r.top;
    if (HandleAllocated()) {
        // Ask the window itself: the frame it really has decides.
        RECT wr, cr;
        GetWindowRect(Handle(), &wr);
        GetClientRect(Handle(), &cr);
        w = (wr.right - wr.left) - cr.right + width;
        h = (wr.bottom - wr.top) - cr.bottom + height;
    }
    SetBounds(Left(), Top(), w, h);
}

RECT TForm::ClientRect() const {
    if (HandleAllocated()) return TWinControl::ClientRect();
    if (clientWidth_ >= 0) return RECT{0, 0, clientWidth_, clientHeight_};
    return TWinControl::ClientRect();
}

void TForm::SetFormStyle(TFormStyle v) {
    if (formStyle_ == v) return;
    formStyle_ = v;
    if (HandleAllocated())
        SetWindowPos(Handle(), v == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetIcon(HICON icon) {
    icon_ = icon;
    if (HandleAllocated()) {
        SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

void TForm::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.ClassName = "TVemloraForm";
    p.Style = WindowStyle();
    p.ExStyle = WindowExStyle();
    p.WndParent = nullptr;
    if (Application().MainForm() && Application().MainForm() != this && Application().MainForm()->HandleAllocated())
        p.WndParent = Application().MainForm()->Handle();  // owned: stays above the main window
    if (position_ == TPosition::poScreenCenter) {
        p.X = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
        p.Y = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
        SetBoundsAligned(p.X, p.Y, Width(), Height());
    }
}

void TForm::HandleCreated() {
    if (icon_) SetIcon(icon_);
    if (clientWidth_ >= 0) {
        int w = clientWidth_, h = clientHeight_;
        SetClientSize(w, h);  // the real frame may differ from the computed one
        if (position_ == TPosition::poScreenCenter)
            SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2,
                      Width(), Height());
    }
}

void TForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TForm::Show() {
    Handle();
    SetVisible(true);
    ShowWindow(Handle(), SW_SHOW);
    BringWindowToTop(Handle());
}

void TForm::Close() {
    TCloseAction action = Application().MainForm() == this ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) return;
    if (Application().MainForm() == this) {
        Hide();
        Application().Terminate();
    } else if (action == TCloseAction::caMinimize) {
        if (HandleAllocated()) ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Hide();
    }
}

void TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_CLOSE) {
        Close();
        result = 0;
        return;
    }
    TWinControl::WndProc(msg, wp, lp, result);
}

// ---- TApplication

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    terminated_ = false;
}

void TApplication::Run() {
    if (mainForm_) mainForm_->Show();
    MSG msg;
    while (!terminated_ && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (root && IsDialogMessageA(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TApplication::HandleException(const std::exception& e) {
    if (OnException) {
        OnException(e);
        return;
    }
    MessageBox(e.what());
}

int TApplication::MessageBox(const String& text, UINT flags) {
    HWND owner = GetActiveWindow();
    return ::MessageBoxA(owner, text.c_str(), title_.c_str(), flags);
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component == mainForm_) mainForm_ = nullptr;
    TComponent::Notification(component, operation);
}

TApplication& Application() {
    static TApplication* app = new TApplication();  // lives to the end of the process
    return *app;
}

// ---- TScreen

void TScreen::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    ::SetCursor(LoadCursorA(nullptr, cursor == crHourGlass ? IDC_WAIT : IDC_ARROW));
}

TScreen& Screen() {
    static TScreen screen;
    return screen;
}

}  // namespace ui
