// A program that imports what Windows 98 or NT 4 lack (past the headers, which hide some of it): a
// function the list gives to newer systems only, one it does not hold at all, one from a DLL it does not
// know, and a function that the program takes over with its own stand-in. The import check must refuse
// each of them. It is only built, never run.
#include <windows.h>

extern "C" {
__declspec(dllimport) BOOL WINAPI GetModuleHandleExW(DWORD flags, LPCWSTR name, HMODULE* module);
__declspec(dllimport) HRESULT WINAPI SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);
__declspec(dllimport) BOOL WINAPI IsThemeActive();
__declspec(dllimport) void WINAPI GetNativeSystemInfo(LPSYSTEM_INFO info);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HMODULE module = nullptr;
    WCHAR path[MAX_PATH];
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, nullptr, 0};
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    return GetModuleHandleExW(0, nullptr, &module) + (SHGetFolderPathW(nullptr, 0, nullptr, 0, path) == S_OK) +
           IsThemeActive() + (GetAncestor(nullptr, GA_ROOT) != nullptr) + TrackMouseEvent(&track);
}
