// Opens the test dialog and photographs it once it has been drawn: the picture goes to the
// file named on the command line, then the dialog ends with 7 (the program's exit code).
// With "open FOLDER" it runs the open dialog's chooser on FOLDER instead, driven by the
// dialog script: 8 when it answered the folder's only picture, 9 otherwise. With "box" it
// shows a Yes/No/Cancel message box (or a box of the type that follows, a number) and ends with
// its answer; "jbox" shows a Japanese Yes/No box, "bbox" a Big5 box of a module that keeps its
// texts in Big5, as the 3D engine does.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <commctrl.h>
#include <commdlg.h>
#include <windows.h>
#include <wynplat.h>

#include "dialog_resources.h"

extern "C" int BIG5LIB_Declare();
extern "C" int BIG5LIB_Box();

namespace {

const WynResource kResources[] = {
    {RT_DIALOG, "SETTINGS", dlgtest::kSettings, sizeof dlgtest::kSettings - 1}};
const int kRegistered = WynPlat_AddResources(kResources, kResources, 1);

const char* g_shot = "";

INT_PTR CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM) {
    switch (m) {
        case WM_INITDIALOG:
            SendDlgItemMessageA(h, dlgtest::kDetail, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>("普通※"));
            SendDlgItemMessageA(h, dlgtest::kDetail, CB_SETCURSEL, 0, 0);
            SendDlgItemMessageA(h, dlgtest::kVolume, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
            SendDlgItemMessageA(h, dlgtest::kVolume, TBM_SETPOS, TRUE, 80);
            CheckRadioButton(h, dlgtest::kNormal, dlgtest::kExpert, dlgtest::kNormal);
            CheckDlgButton(h, dlgtest::kMulti, BST_CHECKED);
            SetTimer(h, 1, 500, nullptr);
            return TRUE;
        case WM_TIMER:
            KillTimer(h, 1);
            EndDialog(h, WynPlat_SaveWindowPng(h, g_shot) ? 7 : 3);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(w) == IDCANCEL) EndDialog(h, 2);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    if (!kRegistered) return 4;
    if (std::strncmp(cmdLine, "box", 3) == 0) {
        UINT type = cmdLine[3] ? static_cast<UINT>(std::strtoul(cmdLine + 3, nullptr, 0))
                               : MB_YESNOCANCEL | MB_ICONQUESTION;
        return MessageBoxA(nullptr, "Save the stage first?\nIt has not been saved.", "Box test",
                           type);
    }
    if (std::strcmp(cmdLine, "jbox") == 0)
        return MessageBoxA(nullptr, dlgtest::kBoxText, "終了の確認", MB_YESNO | MB_ICONQUESTION);
    if (std::strcmp(cmdLine, "bbox") == 0) return BIG5LIB_Declare() ? BIG5LIB_Box() : 5;
    if (std::strncmp(cmdLine, "open ", 5) == 0) {
        char file[260] = {}, title[64] = {};
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFilter = "Pictures\0*.bmp\0All\0*.*\0\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        ofn.lpstrFileTitle = title;
        ofn.nMaxFileTitle = sizeof title;
        ofn.lpstrInitialDir = cmdLine + 5;
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        WynPlat_SetDialogScript("select 11 0; click 1");
        if (!GetOpenFileNameA(&ofn)) return 9;
        return std::strcmp(title, "pic.bmp") == 0 ? 8 : 9;
    }
    g_shot = cmdLine;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    return static_cast<int>(DialogBoxParamA(instance, "SETTINGS", nullptr, Proc, 0));
}
