// Fuzz target of the dialog script parser (WYN_DIALOG_SCRIPT's actions) and of the actions as
// dialogs take them: any text is set as the script, and headless dialogs of a settings-like
// template (radio buttons, a check box, a drop-down list, a trackbar, Set and Cancel) run one
// after another until the script's turns are used up; what is left is dropped.
#include <cstdint>
#include <cstring>
#include <string>

#include <commctrl.h>
#include <windows.h>
#include <wynplat.h>

#include "../dialogs/dialog_resources.h"

namespace {

const WynResource kTable[] = {
    {RT_DIALOG, "FUZZ", dlgtest::kSettings, sizeof dlgtest::kSettings - 1}};
const int kRegistered = WynPlat_AddResources(&kTable, kTable, 1);

INT_PTR CALLBACK Proc(HWND dlg, UINT message, WPARAM w, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            for (const char* row : {"low", "middle", "high"})
                SendDlgItemMessageA(dlg, dlgtest::kDetail, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(row));
            SendDlgItemMessageA(dlg, dlgtest::kVolume, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(w) == dlgtest::kSet || LOWORD(w) == dlgtest::kCancel ||
                LOWORD(w) == IDCANCEL) {
                EndDialog(dlg, LOWORD(w) == dlgtest::kSet ? 1 : 0);
                return TRUE;
            }
            return FALSE;
    }
    return FALSE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (kRegistered != 1) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    text.resize(std::strlen(text.c_str()));
    WynPlat_SetDialogScript(text.c_str());
    // A turn ends at each "end"; a dialog without actions left is cancelled.
    int turns = 1;
    for (size_t at = text.find("end"); at != std::string::npos && turns < 8;
         at = text.find("end", at + 3))
        ++turns;
    for (int i = 0; i < turns; ++i)
        DialogBoxParamA(GetModuleHandleA(nullptr), "FUZZ", nullptr, Proc, 0);
    WynPlat_SetDialogScript("");
    return 0;
}
