// Dialog templates: the layer's own text form (see WynResource in wynplat.h), read into
// plain records with every number and count bounded.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace wyn::dlg {

enum class Kind { Button, Radio, Check, GroupBox, LText, CText, RText, Combo, Trackbar };

struct ControlDef {
    Kind kind = Kind::Button;
    int id = 0;
    std::string text;  // Shift-JIS (or the module's code page)
    int x = 0, y = 0, cx = 0, cy = 0;
    bool group = false, isDefault = false, disabled = false, checked = false;
};

struct DialogDef {
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    int points = 9;
    std::string face;
    DWORD style = 0;
    bool centered = false;  // over the middle of the owner's window, else of the screen
    std::vector<ControlDef> controls;
};

// Reads a template. On failure returns false with `error` naming the line and the fault.
bool ParseTemplate(const char* data, size_t size, DialogDef* out, std::string* error);

// Runs a modal dialog of `def` (DialogBoxParamA after its template was found and read); its
// texts are drawn and logged in `codePage` (932 Shift-JIS or 950 Big5). A `layerBox` is the
// layer's own (a message box): the dialog script and the dialog log leave it alone.
INT_PTR RunDialog(HINSTANCE instance, const DialogDef& def, const std::string& name, HWND owner,
                  DLGPROC proc, LPARAM param, int codePage = 932, bool layerBox = false);

// Shows a message box of `type` as the layer's own modal dialog (texts in `codePage`) and
// returns the button that closed it. With an `answer` (one of its buttons) the box closes with
// a click on that button once it has been on the screen a moment; with 0 the user answers.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type, int answer,
                   int codePage);

}  // namespace wyn::dlg
