// The driver choice dialog: three lists of the enumerated drivers, a box to list the unusable
// ones too, and the switch through KRN_SetDriver when accepted.
#include "dialog.h"

#include <cstdio>
#include <strings.h>

#include "driver.h"
#include "krn.h"
#include "messages.h"
#include "wynplat.h"

namespace krn {
namespace {

// The engine's texts are Big5: the layer must draw its boxes and this dialog in that code page.
// The template belongs to this library, as the engine's instance holds it.
const WynResource kResources[] = {
    {RT_DIALOG, "DIALOG_DRIVER", text::kDriverDialogTemplate, text::kDriverDialogTemplateSize},
};
[[maybe_unused]] const int kCodePageSet = WynPlat_SetModuleCodePage(&kResources, 950);
[[maybe_unused]] const int kResourcesAdded = WynPlat_AddResources(&kResources, kResources, 1);

// What the dialog procedure works on: one dialog at a time per process.
struct DialogState {
    tagKRN* krn = nullptr;
    POINT at{};
    int rowEntry[3][KRN_ENUMDRVMAX] = {};  // each listed row's entry index
    int rows[3] = {};
    int chosen[3] = {};  // the accepted entries
};
DialogState g_dialog;

const tagKRNENUMDRV* Entries(tagKRN* krn, int kind, int* count) {
    switch (kind) {
        case kTransform:
            *count = krn->drvcount;
            return krn->edDRV;
        case kLighting:
            *count = krn->lgtcount;
            return krn->edLGT;
        default:
            *count = krn->acccount;
            return krn->edACC;
    }
}

void SetComboBox(HWND dlg, int kind, bool all) {
    HWND list = GetDlgItem(dlg, kListTransform + kind);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    int count = 0;
    const tagKRNENUMDRV* e = Entries(g_dialog.krn, kind, &count);
    const char* chosen = ChosenName(g_dialog.krn, static_cast<DriverKind>(kind));
    int rows = 0, selection = -1;
    for (int i = 0; i < count && i < KRN_ENUMDRVMAX; ++i) {
        // The row the chosen driver would take, listed or not: an unlisted one selects the
        // next listed row.
        if (strcasecmp(e[i].file, chosen) == 0) selection = rows;
        char row[128];
        if (all)
            std::snprintf(row, sizeof row, "%s %s %s",
                          e[i].use ? text::kUsableMark : text::kUnusableMark, e[i].corp, e[i].name);
        else if (e[i].use)
            std::snprintf(row, sizeof row, "%s %s", e[i].corp, e[i].name);
        else
            continue;
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
        g_dialog.rowEntry[kind][rows++] = i;
    }
    g_dialog.rows[kind] = rows;
    SendMessageA(list, CB_SETCURSEL, selection < rows ? selection : -1, 0);
}

void InitComboBox(HWND dlg) {
    bool all = IsDlgButtonChecked(dlg, kListAll) == BST_CHECKED;
    for (int k = 0; k < 3; ++k) SetComboBox(dlg, k, all);
}

// The entry of the list's selected row, or -1.
int SelectedEntry(HWND dlg, int kind) {
    LRESULT row = SendDlgItemMessageA(dlg, kListTransform + kind, CB_GETCURSEL, 0, 0);
    if (row < 0 || row >= g_dialog.rows[kind]) return -1;
    return g_dialog.rowEntry[kind][row];
}

// Accepting: every kind must name a usable driver, else the dialog says which one and stays.
void Accept(HWND dlg) {
    int index[3];
    for (int k = 0; k < 3; ++k) {
        index[k] = SelectedEntry(dlg, k);
        int count = 0;
        const tagKRNENUMDRV* e = Entries(g_dialog.krn, k, &count);
        if (index[k] < 0 || !e[index[k]].use) {
            Warn(g_dialog.krn->hwnd, text::kDriverCaption, text::kDriverNotUse,
                 text::kKindNames[k]);
            return;
        }
    }
    for (int k = 0; k < 3; ++k) g_dialog.chosen[k] = index[k];
    EndDialog(dlg, IDOK);
}

INT_PTR CALLBACK DialogDriver(HWND dlg, UINT message, WPARAM w, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowPos(dlg, nullptr, g_dialog.at.x, g_dialog.at.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            InitComboBox(dlg);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(w)) {
                case kListAll:
                    if (HIWORD(w) == BN_CLICKED) InitComboBox(dlg);
                    return TRUE;
                case IDOK:
                    Accept(dlg);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dlg, 0);
                    return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace
}  // namespace krn

KRNAPI int WINAPI KRN_DriverDialog(tagKRN* krn, int x, int y) {
    if (!krn) return 0;
    krn::WaitIdle(krn);
    POINT at{x, y};
    if (krn->hwnd) ClientToScreen(krn->hwnd, &at);
    krn::g_dialog = {};
    krn::g_dialog.krn = krn;
    krn::g_dialog.at = at;
    HINSTANCE self = WynPlat_ModuleOfAddress(&krn::kResources);
    INT_PTR r = DialogBoxParamA(self, "DIALOG_DRIVER", krn->hwnd, krn::DialogDriver, 0);
    krn::g_dialog.krn = nullptr;
    if (r != IDOK) return 0;
    const int* c = krn::g_dialog.chosen;
    return KRN_SetDriver(krn, c[0], c[1], c[2]);
}
