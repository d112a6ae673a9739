// The settings dialog "WYN2CONFIG": the game's settings in config.ini (and the texture size in
// the 3D engine's krn2.ini) shown in a modal dialog over the script's window, and written back
// when the player sets them.
#include <commctrl.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "config_texts.h"
#include "krn.h"
#include "vskcmd.h"
#include "wynplat.h"

using namespace vskcmd;

namespace wyn2 {
namespace {

enum : int {
    kLevelNormal = 101,
    kLevelExpert = 102,
    kLanguageNone = 201,
    kLanguageOwn = 202,
    kLanguageEnglish = 203,
    kMulti = 211,
    kRadarMonitor = 301,
    kRadarVisual = 302,
    kDetail = 401,
    kTextures = 402,
    kDriver = 421,
    kThrough = 431,
    kCloud = 432,
    kSeparate = 433,
    kMaximize = 434,
    kCameraMove = 435,
    kRadarSplit = 436,
    kEventWindow = 437,
    kVolumeAtc = 511,
    kVolumeBgm = 512,
    kVolumeEnv = 513,
    kVolumeLabelOffset = 10,  // a trackbar's label is its identifier minus 10
    kSet = 900,
    kCancel = 901,
    kDefaultsButton = 902,
};

// One value per key of config.ini that the dialog shows.
struct ConfigSettings {
    int level, language, multi, radar, resolution, exResolution;
    int through, cloud, separate, maxmize, cameramove, radarL, eventwindow, smalltexture;
    int atc, bgm, env;
};

constexpr ConfigSettings kDefaults = {0, 1, 2, 0, 3, 0, 1, 1, 0, 0, 1, 0, 1, 0, 80, 40, 60};

// A key of config.ini: where it lives, its setting and the values it may take.
struct Key {
    const char* section;
    const char* name;
    int ConfigSettings::*value;
    int low, high;
};

// In the order they are read.
constexpr Key kKeys[] = {
    {"GAME", "level", &ConfigSettings::level, 0, 1},
    {"ATC", "language", &ConfigSettings::language, 0, 2},
    {"ATC", "multi", &ConfigSettings::multi, 1, 2},
    {"GAME", "radar", &ConfigSettings::radar, 0, 1},
    {"DISPLAY", "resolution", &ConfigSettings::resolution, 1, 3},
    {"DISPLAY", "ex_resolution", &ConfigSettings::exResolution, 0, 0x7FFFFFFF},
    {"DISPLAY", "through", &ConfigSettings::through, 0, 1},
    {"DISPLAY", "cloud", &ConfigSettings::cloud, 0, 1},
    {"DISPLAY", "separate", &ConfigSettings::separate, 0, 1},
    {"DISPLAY", "maxmize", &ConfigSettings::maxmize, 0, 1},
    {"DISPLAY", "cameramove", &ConfigSettings::cameramove, 0, 1},
    {"DISPLAY", "smalltexture", &ConfigSettings::smalltexture, 0, 2},
    {"DISPLAY", "radarL", &ConfigSettings::radarL, 0, 1},
    {"DISPLAY", "eventwindow", &ConfigSettings::eventwindow, 0, 1},
    {"VOLUME", "atc", &ConfigSettings::atc, 0, 100},
    {"VOLUME", "bgm", &ConfigSettings::bgm, 0, 100},
    {"VOLUME", "env", &ConfigSettings::env, 0, 100},
};

// The check boxes 431-437 in identifier order.
constexpr int ConfigSettings::*kChecks[] = {
    &ConfigSettings::through,    &ConfigSettings::cloud,  &ConfigSettings::separate,
    &ConfigSettings::maxmize,    &ConfigSettings::radarL, &ConfigSettings::cameramove,
    &ConfigSettings::eventwindow};
constexpr int kCheckIds[] = {kThrough,    kCloud,      kSeparate,   kMaximize,
                             kRadarSplit, kCameraMove, kEventWindow};

const ConfigTexts& Texts() { return WynPlat_IsJapanese() ? kJapaneseTexts : kChineseTexts; }

// The template of the user's language is the library's resource, and the library's texts are
// declared in that language's code page, so that the dialog and its boxes show them right.
const WynResource kResources[] = {
    {RT_DIALOG, "WYN2CONFIG", kJapaneseTexts.dialogTemplate, kJapaneseTexts.dialogTemplateSize},
    {RT_DIALOG, "WYN2CONFIG", kChineseTexts.dialogTemplate, kChineseTexts.dialogTemplateSize},
};
[[maybe_unused]] const int kCodePageSet =
    WynPlat_SetModuleCodePage(&kResources, WynPlat_IsJapanese() ? 932 : 950);
[[maybe_unused]] const int kResourcesAdded =
    WynPlat_AddResources(&kResources, &kResources[WynPlat_IsJapanese() ? 0 : 1], 1);

// What the dialog works on: one dialog at a time.
struct DialogState {
    ConfigSettings settings = kDefaults;
    std::string gameIni, engineIni;
    bool writeFailed = false;
};
DialogState g_state;

void SetConfigDefaults() { g_state.settings = kDefaults; }

// Each key read with the current setting as its default; a value outside the key's range
// reads as the key's default, so that every control shows a choice and Set writes one.
void ReadConfigIni() {
    ConfigSettings& s = g_state.settings;
    for (const Key& k : kKeys) {
        int v = int(GetPrivateProfileIntA(k.section, k.name, s.*k.value, g_state.gameIni.c_str()));
        s.*k.value = v < k.low || v > k.high ? kDefaults.*k.value : v;
        if (k.value == &ConfigSettings::exResolution && s.exResolution > 0) s.resolution = 3;
    }
}

void SetVolumeLabel(HWND dlg, int trackbar, int value, bool moveThumb) {
    const ConfigTexts& t = Texts();
    char label[128];
    std::snprintf(label, sizeof label, t.volumeFormat, t.volumeNames[trackbar - kVolumeAtc], value);
    SetDlgItemTextA(dlg, trackbar - kVolumeLabelOffset, label);
    if (moveThumb) SendDlgItemMessageA(dlg, trackbar, TBM_SETPOS, TRUE, value);
}

void InitVolumeTrackbar(HWND dlg, int trackbar) {
    SendDlgItemMessageA(dlg, trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendDlgItemMessageA(dlg, trackbar, TBM_SETTICFREQ, 10, 0);
}

void FillCombo(HWND dlg, int id, const char* const* rows, int count) {
    for (int i = 0; i < count; ++i)
        SendDlgItemMessageA(dlg, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rows[i]));
}
void FillResolutionCombo(HWND dlg) { FillCombo(dlg, kDetail, Texts().detail, 4); }
void FillTextureCombo(HWND dlg) { FillCombo(dlg, kTextures, Texts().textures, 3); }

void EnableSeparateChecks(HWND dlg, bool enable) {
    EnableWindow(GetDlgItem(dlg, kMaximize), enable);
    EnableWindow(GetDlgItem(dlg, kRadarSplit), enable);
}

void SetConfigControls(HWND dlg) {
    const ConfigSettings& s = g_state.settings;
    CheckRadioButton(dlg, kLevelNormal, kLevelExpert, kLevelNormal + s.level);
    CheckRadioButton(dlg, kLanguageNone, kLanguageEnglish, kLanguageNone + s.language);
    CheckDlgButton(dlg, kMulti, s.multi - 1 == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(dlg, kRadarMonitor, kRadarVisual, kRadarMonitor + s.radar);
    SendDlgItemMessageA(dlg, kDetail, CB_SETCURSEL, s.exResolution != 0 ? 3 : s.resolution - 1, 0);
    for (size_t i = 0; i < std::size(kCheckIds); ++i)
        CheckDlgButton(dlg, kCheckIds[i], s.*kChecks[i] ? BST_CHECKED : BST_UNCHECKED);
    EnableSeparateChecks(dlg, s.separate != 0);
    SendDlgItemMessageA(dlg, kTextures, CB_SETCURSEL, s.smalltexture, 0);
    SetVolumeLabel(dlg, kVolumeAtc, s.atc, true);
    SetVolumeLabel(dlg, kVolumeBgm, s.bgm, true);
    SetVolumeLabel(dlg, kVolumeEnv, s.env, true);
}

void WriteConfigInt(const char* section, const char* key, int value, const char* file) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    if (!WritePrivateProfileStringA(section, key, text, file)) g_state.writeFailed = true;
}

bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

int CheckedOf(HWND dlg, int first, int count) {
    for (int i = 0; i < count; ++i)
        if (Checked(dlg, first + i)) return i;
    return 0;
}

void WriteConfigIni(HWND dlg) {
    const char* ini = g_state.gameIni.c_str();
    WriteConfigInt("GAME", "level", Checked(dlg, kLevelExpert) ? 1 : 0, ini);
    WriteConfigInt("ATC", "language", CheckedOf(dlg, kLanguageNone, 3), ini);
    WriteConfigInt("ATC", "multi", Checked(dlg, kMulti) ? 2 : 1, ini);
    WriteConfigInt("GAME", "radar", Checked(dlg, kRadarVisual) ? 1 : 0, ini);
    int detail = int(SendDlgItemMessageA(dlg, kDetail, CB_GETCURSEL, 0, 0));
    if (detail < 0 || detail > 3) detail = kDefaults.resolution - 1;
    WriteConfigInt("DISPLAY", "resolution", detail < 3 ? detail + 1 : 3, ini);
    WriteConfigInt("DISPLAY", "ex_resolution", detail < 3 ? 0 : 1, ini);
    static constexpr const char* kCheckKeys[] = {"through", "cloud",      "separate",   "maxmize",
                                                 "radarL",  "cameramove", "eventwindow"};
    static constexpr int kCheckOrder[] = {kThrough,    kCloud,      kSeparate,   kMaximize,
                                          kRadarSplit, kCameraMove, kEventWindow};
    for (size_t i = 0; i < std::size(kCheckKeys); ++i)
        WriteConfigInt("DISPLAY", kCheckKeys[i], Checked(dlg, kCheckOrder[i]) ? 1 : 0, ini);
    int textures = int(SendDlgItemMessageA(dlg, kTextures, CB_GETCURSEL, 0, 0));
    if (textures < 0 || textures > 2) textures = kDefaults.smalltexture;
    WriteConfigInt("DISPLAY", "smalltexture", textures, ini);
    WriteConfigInt("TEXTURE", "SMALL", textures, g_state.engineIni.c_str());
    WriteConfigInt("VOLUME", "atc", int(SendDlgItemMessageA(dlg, kVolumeAtc, TBM_GETPOS, 0, 0)),
                   ini);
    WriteConfigInt("VOLUME", "bgm", int(SendDlgItemMessageA(dlg, kVolumeBgm, TBM_GETPOS, 0, 0)),
                   ini);
    WriteConfigInt("VOLUME", "env", int(SendDlgItemMessageA(dlg, kVolumeEnv, TBM_GETPOS, 0, 0)),
                   ini);
}

void Repaint(HWND dlg) {
    InvalidateRect(dlg, nullptr, TRUE);
    UpdateWindow(dlg);
}

// The engine's driver choice, made on an engine started on the dialog for the choice alone.
// Without an engine (its start has said why) the dialog is only repainted.
void ChangeDriver(HWND dlg) {
    tagKRN* krn = KRN_Start(dlg, 100);
    if (!krn) {
        Repaint(dlg);
        return;
    }
    RECT view{0, 0, 640, 480};
    KRN_ViewPort(krn, 0, dlg, &view);
    Repaint(dlg);
    KRN_DriverDialog(krn, 80, 80);
    KRN_End(krn);
    Repaint(dlg);
}

INT_PTR CALLBACK ConfigDialogProc(HWND dlg, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            SetConfigDefaults();
            FillResolutionCombo(dlg);
            FillTextureCombo(dlg);
            for (int id : {kVolumeAtc, kVolumeBgm, kVolumeEnv}) InitVolumeTrackbar(dlg, id);
            ReadConfigIni();
            SetConfigControls(dlg);
            return TRUE;
        case WM_HSCROLL: {
            HWND bar = reinterpret_cast<HWND>(l);
            int id = GetDlgCtrlID(bar);
            if (id >= kVolumeAtc && id <= kVolumeEnv)
                SetVolumeLabel(dlg, id, int(SendMessageA(bar, TBM_GETPOS, 0, 0)), false);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(w)) {
                case kSet:
                    WriteConfigIni(dlg);
                    EndDialog(dlg, 1);
                    return TRUE;
                case kCancel:
                case IDCANCEL:
                    EndDialog(dlg, 0);
                    return TRUE;
                case kDefaultsButton:
                    SetConfigDefaults();
                    SetConfigControls(dlg);
                    return TRUE;
                case kDriver:
                    ChangeDriver(dlg);
                    return TRUE;
                case kSeparate:
                    EnableSeparateChecks(dlg, Checked(dlg, kSeparate));
                    return TRUE;
                case kRadarSplit:
                    if (Checked(dlg, kRadarSplit))
                        MessageBoxA(dlg, Texts().radarSplitText, Texts().radarSplitCaption,
                                    MB_OK | MB_ICONINFORMATION);
                    return TRUE;
            }
            return FALSE;
    }
    return FALSE;
}

constexpr WORD kSigConfig[] = {'S', 'S', 0};

}  // namespace
}  // namespace wyn2

// Shows the settings dialog over the script's window: 1 after Set wrote both ini files, 0
// after Cancel or closing, and 0 when a write failed.
VSKCMD_EXPORT int WINAPI VSK_CONFIG(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    using namespace wyn2;
    if (!VSKVAL_CheckArgument(ctx, "WYN2:Config", kSigConfig, frame)) return 0;
    g_state = DialogState{};
    ctx->bytebuf1[0] = '\0';
    VSKVAL_ArgString(ctx, frame, 1, ctx->bytebuf1);
    g_state.gameIni = ctx->bytebuf1;
    ctx->bytebuf1[0] = '\0';
    VSKVAL_ArgString(ctx, frame, 2, ctx->bytebuf1);
    g_state.engineIni = ctx->bytebuf1;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE self = WynPlat_ModuleOfAddress(&kResources);
    INT_PTR r = DialogBoxParamA(self, "WYN2CONFIG", ctx->hwnd, ConfigDialogProc, 0);
    return ResultNumber(ctx, frame, r == 1 && !g_state.writeFailed ? 1 : 0);
}
