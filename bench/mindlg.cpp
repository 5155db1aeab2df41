// The baseline of the start-up benchmark: the least dialog program, built
// the same way as trovelle.exe (static, same runtime), run modally.
#include <windows.h>

#include <cstring>

namespace {

INT_PTR CALLBACK Proc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE, LPSTR, int)
{
    // An in-memory template: caption "Minimal", no controls.
    alignas(4) WORD buffer[64] = {};
    auto* dlg = reinterpret_cast<DLGTEMPLATE*>(buffer);
    dlg->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    dlg->cx = 200;
    dlg->cy = 100;
    WORD* p = reinterpret_cast<WORD*>(dlg + 1);
    *p++ = 0;  // no menu
    *p++ = 0;  // default class
    for (const char* c = "Minimal"; *c != '\0'; ++c)
        *p++ = static_cast<WORD>(*c);
    *p++ = 0;
    return static_cast<int>(DialogBoxIndirectParamA(hInst, dlg, nullptr, Proc, 0));
}
