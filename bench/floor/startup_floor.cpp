// The start-up floor: what any program of this kind does before its window shows (OLE, the
// common controls, the shell's desktop folder), then a plain window of the main window's
// client size. Started side by side with the program by bench_startup.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "VemloraFloor";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);
    RECT r = {0, 0, 613, 448};
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&r, style, FALSE);
    HWND wnd = CreateWindowA("VemloraFloor", "floor", style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    ShowWindow(wnd, SW_SHOW);
    UpdateWindow(wnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (desktop) desktop->Release();
    OleUninitialize();
    return 0;
}
