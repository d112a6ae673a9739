// Keyboard and mouse: once a frame the stored input becomes game actions. Keys pause, choose
// camera modes, switch the radar and the window layout; the mouse hit-tests the sprites of the
// 2D screen: strips select aircraft, buttons act, menu items carry out commands.
#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/world.h"

namespace {

constexpr int kHighlightZ = 10;
constexpr int kHighlightPattern = 200;
constexpr int kSelectedLevel = 14;
constexpr int32_t kSelectedTint = 0x1f;
constexpr int kStripSlotSprites = 16;  // strip sprites 16-19 hold no strip
constexpr int kModeIcon = 74;          // 74-78 the radio's position icons
constexpr int kRadioPanel = 79;
constexpr int kMenuSprite = 90;
constexpr int kPauseCameraMove = 60;
enum Se { SE_MENU = 5, SE_STRIP = 6 };

struct InputState {
    int32_t hover = -1;
    int32_t camindex = 0;
    int32_t menuresult = 0;
};
InputState g_in;

AircraftRecord* Aircraft(int slot) {
    AircraftTable* t = GetAircraftTable();
    return t && slot >= 0 && slot < kAircraftSlots ? &(*t)[size_t(slot)] : nullptr;
}

// The aircraft that strip slot s shows, -1 none.
int StripAircraft(int s) {
    if (s < 0 || s >= kStripSlots) return -1;
    const int a = GetStripSlots()[size_t(s)];
    return Aircraft(a) ? a : -1;
}

// A strip the wheel may walk to: an aircraft whose strip is not sliding out.
bool Selectable(int s) {
    const AircraftRecord* a = Aircraft(StripAircraft(s));
    if (!a) return false;
    const int32_t family = a->strip & 0xfff0;
    return family != 0xf00 && family != 0x1f00;
}

void StripLook(int aircraft, int level, int tint) {
    const AircraftRecord* a = Aircraft(aircraft);
    if (a && a->stripslot >= 0 && a->stripslot < kStripSlots)
        SetSpriteEx(GetMainScreen(), kSpriteStrip + a->stripslot, -1, -1, -1, -1, -1, level, tint);
}

// The aircraft the camera follows at link `index` of the selected one (0 the selected).
int Followed(int index) {
    const AircraftRecord* a = Aircraft(GetSelectedAircraft());
    if (!a || index <= 0 || index > a->links || index > int(std::size(a->linked)))
        return GetSelectedAircraft();
    return a->linked[index - 1];
}

// Whether the control position in charge of the selected aircraft talks (bit 0 of its row).
bool PositionBusy() {
    const AircraftRecord* a = Aircraft(GetSelectedAircraft());
    if (!a || a->position < 0 || a->position >= kExchangeRows) return false;
    return GetExchangeRows()[size_t(a->position)].state & 1;
}

// A row that speaks for, or holds the queue of, an aircraft other than `aircraft`.
bool RowBusyWithOther(int row, int aircraft) {
    if (row < 0 || row >= kExchangeRows) return false;
    const ExchangeRow& r = GetExchangeRows()[size_t(row)];
    if (!(r.state & 1) && r.queue[0] == 0) return false;
    const int who = r.aircraft != 0 ? r.aircraft - 1 : ExchangeMessageAircraft(r.queue[0]);
    return who != aircraft;
}

void TraceSelection() {
    const AircraftRecord* a = Aircraft(GetSelectedAircraft());
    GameTrace("select %d strip %d camindex %d", GetSelectedAircraft(), a ? a->stripslot : -1,
              g_in.camindex);
}

void Deselect() {
    StripLook(GetSelectedAircraft(), 16, 0);
    ClearCommandMenu();
    SetSelectedAircraft(-1);
    g_in.camindex = 0;
    SetDefaultCamera(kPauseCameraMove, 0);
    HideFlightInfo();
    HideCommandMenu();
    TraceSelection();
}

void Select(int aircraft) {
    StripLook(GetSelectedAircraft(), 16, 0);
    SetSelectedAircraft(aircraft);
    g_in.camindex = 0;
    StripLook(aircraft, kSelectedLevel, kSelectedTint);
    SetCameraMode(1, aircraft);
    TraceSelection();
}

void ClickStrip(int s) {
    const int aircraft = StripAircraft(s);
    if (aircraft < 0) return;
    PlaySe(SE_STRIP);
    const AircraftRecord* a = Aircraft(aircraft);
    if (aircraft == GetSelectedAircraft() && a->links > 0) {
        ++g_in.camindex;
        if (g_in.camindex > a->links) g_in.camindex = 0;
        SetCameraMode(0, Followed(g_in.camindex));
        TraceSelection();
    } else {
        Select(aircraft);
    }
}

// The wheel walks the camera through the strips and their linked aircraft.
void Wheel(int delta) {
    int start = -1;
    if (const AircraftRecord* a = Aircraft(GetSelectedAircraft())) start = a->stripslot;
    const AircraftRecord* sel = Aircraft(GetSelectedAircraft());
    if (delta > 0) {
        if (sel && g_in.camindex < sel->links) {
            ++g_in.camindex;
            PlaySe(SE_STRIP);
            SetCameraMode(0, Followed(g_in.camindex));
            TraceSelection();
            return;
        }
        for (int k = 1; k <= kStripSlots; ++k) {
            const int s = start < 0 ? k - 1 : (start + k) % kStripSlots;
            if (!Selectable(s)) continue;
            PlaySe(SE_STRIP);
            Select(StripAircraft(s));
            return;
        }
    } else {
        if (sel && g_in.camindex > 0) {
            --g_in.camindex;
            PlaySe(SE_STRIP);
            SetCameraMode(0, Followed(g_in.camindex));
            TraceSelection();
            return;
        }
        for (int k = 1; k <= kStripSlots; ++k) {
            const int s = start < 0 ? kStripSlots - k : (start - k + kStripSlots) % kStripSlots;
            if (!Selectable(s)) continue;
            PlaySe(SE_STRIP);
            Select(StripAircraft(s));
            const AircraftRecord* now = Aircraft(GetSelectedAircraft());
            if (now && now->links > 0) {
                g_in.camindex = now->links;
                SetCameraMode(0, Followed(g_in.camindex));
                TraceSelection();
            }
            return;
        }
    }
}

// The look of a hovered sprite and its normal look: the pattern's column with or without 100.
void Highlight(int n, bool on) {
    HZEMSCREEN s = GetMainScreen();
    if (!s || n < 0 || n >= ZEM_MAXSPRITE) return;
    const tagZEMSPRITE& sp = s->sprite[n];
    if (!sp.cell) return;
    const int normal = sp.pattern % 100;
    ZEM_SetSprite(s, n, -1, -1, -1, on ? normal + 100 : normal, -1);
}

void EndHover(int n) {
    HZEMSCREEN s = GetMainScreen();
    if (n < 0) return;
    if (n < kSpriteHighlight) {
        if (s) ZEM_SetSprite(s, kSpriteHighlight, -1, -1, 0, -1, -1);
    } else if (n >= kMenuSprite) {
        Highlight(n, false);
        RoutePreviewCommand(GetCommandMenuAircraft(), -1);
    } else if (n >= kSpriteResume) {
        Highlight(n, false);
    }
}

void BeginHover(int n) {
    HZEMSCREEN s = GetMainScreen();
    if (n < 0 || !s) return;
    if (n < kSpriteHighlight) {
        const AircraftRecord* a = Aircraft(StripAircraft(n));
        if (n < kStripSlotSprites && a && a->strip != 0 && (a->strip & 0xff) == 0) {
            const tagZEMSPRITE& strip = s->sprite[kSpriteStrip + n];
            ZEM_SetSprite(s, kSpriteHighlight, strip.x, strip.y, kHighlightZ, kHighlightPattern,
                          -1);
        }
    } else if (n >= kMenuSprite) {
        if (PositionBusy()) return;
        Highlight(n, true);
        if (const MenuItem* m = GetMenuItemOfSprite(n))
            RoutePreviewCommand(GetCommandMenuAircraft(), m->code);
    } else if (n >= kSpriteResume) {
        Highlight(n, true);
    }
}

void Hover() {
    POINT p{0, 0};
    HWND main = GetMainWindow();
    HZEMSCREEN s = GetMainScreen();
    if (!main || !s || !GetCursorPos(&p) || !ScreenToClient(main, &p)) return;
    int hit = ZEM_HitSprite(s, p.x, p.y, 1);
    if (hit == kSpriteHighlight) hit = g_in.hover;
    if (hit == g_in.hover) return;
    EndHover(g_in.hover);
    g_in.hover = hit;
    BeginHover(hit);
}

void ClickMenuItem(int n) {
    MenuItem* m = GetMenuItemOfSprite(n);
    const int aircraft = GetCommandMenuAircraft();
    AircraftRecord* a = Aircraft(aircraft);
    // A click without a selection, or one whose messages would cut into another aircraft's
    // exchange, is not taken.
    if (!m || !a || GetSelectedAircraft() < 0 || PositionBusy() || GetStageState() != STAGE_PLAY)
        return;
    const MenuItem before = a->chosen;
    a->chosen = *m;
    if (RowBusyWithOther(CommandRow(aircraft, m->code), aircraft)) {
        a->chosen = before;
        return;
    }
    PlaySe(SE_MENU);
    if (HZEMSCREEN s = GetMainScreen())
        ZEM_SetSprite(s, n, -1, -1, -1, ((m->code - 1) & 0xff) + 200, -1);
    g_in.menuresult = m->code + 0x100;
    ApplyCommand(aircraft, a->chosen.code);
}

void Click(int n) {
    if (n == kSpriteHighlight) n = g_in.hover;
    const GameInput& in = GetGameInput();
    if (n < 0) {
        // The empty strip board deselects and brings the panoramic view back, with or without
        // a selection.
        if (in.lby > GetStageOffset()) {
            Deselect();
        } else {
            ToggleRadarRange();
        }
        return;
    }
    if (n < kSpriteHighlight) {
        if (n < kStripSlotSprites) ClickStrip(n);
        return;
    }
    switch (n) {
        case kSpriteResume:
            ResumeGame();
            return;
        case kSpriteQuit:
            SetGamePhase(GAMEPHASE_EXIT);
            return;
        case kSpriteButton:
            // A result is final: a pause screen would take its banner down, and the resume
            // after it would play on a stage that has ended.
            if (GetStageState() < STAGE_CLEAR) ShowPauseScreen();
            return;
        case kSpriteButton + 1:
            GetGameInput().keycode = 'P';
            KeyCommand();
            return;
        case kSpriteButton + 2:
            GetGameInput().keycode = 'O';
            KeyCommand();
            return;
        case kSpriteButton + 3:
            GetGameInput().keycode = GetViewSeparate() ? 'D' : 'W';
            KeyCommand();
            return;
        default:
            break;
    }
    if (n >= kModeIcon && n < kModeIcon + kExchangeRows) {
        if (GetExchangeRows()[size_t(n - kModeIcon)].listen != 0) ListenToPosition(n - kModeIcon);
        return;
    }
    if (n >= kMenuSprite) ClickMenuItem(n);
}

void CameraKey(int mode) {
    if (GetCameraModeNumber() == mode) return;
    SetCameraModeNumber(mode);
    if (g_in.camindex > 0) {
        if (GetSelectedAircraft() >= 0) SetCameraMode(1, Followed(g_in.camindex));
    } else {
        SetCameraMode(1, GetSelectedAircraft());
    }
}

}  // namespace

int GetCameraIndex() { return g_in.camindex; }
int GetHoverSprite() { return g_in.hover; }

void ResetInput() {
    g_in = InputState{};
    SetSelectedAircraft(-1);
}

void KeyCommand() {
    GameInput& in = GetGameInput();
    const int key = in.keycode;
    const GameConfig& c = GetConfig();
    switch (key) {
        case 0x0d:
        case 'Q':
            if (GetStageState() == STAGE_PAUSED)
                ResumeGame();
            else if (GetStageState() == STAGE_PLAY)
                ShowPauseScreen();
            break;
        case 0x10: {
            GameConfig& cfg = GetConfig();
            cfg.through = !cfg.through;
            if (tagKRN* e = GetEngine()) {
                if (cfg.through)
                    KRN_Through(e, 300.0, 120);
                else
                    KRN_Through(e, 0.0, 0);
            }
            break;
        }
        case ' ':
            SetRadarRange(!GetRadarRange());
            break;
        case 'O':
            CameraKey(0);
            break;
        case 'P':
            CameraKey(1);
            break;
        case 'R':
            GetConfig().radarmode = !c.radarmode;
            ReloadRadarPicture();
            break;
        case 'D':
            if (GetViewSeparate() && !GetScreenInfo().fullscreen) {
                SetWindowLayout(1);
                DockRadarWindow(1);
                if (GetStageState() == STAGE_PLAY) ShowPauseScreen();
                Sleep(0);
            }
            break;
        case 'W':
            if (!GetViewSeparate() && !GetScreenInfo().fullscreen) {
                SetWindowLayout(2);
                DockRadarWindow(2);
                if (GetStageState() == STAGE_PLAY) ShowPauseScreen();
                View().viewchanged = 1;
                Sleep(0);
            }
            break;
        default:
            if (key >= '1' && key <= '8') {
                CameraKey(key - '1' + 2);
                break;
            }
            return;  // not a key of the game's: it stays
    }
    in.keycode = 0;
}

void MouseCommand() {
    g_in.menuresult = 0;
    Hover();
    GameInput& in = GetGameInput();
    if (in.wheel != 0 && GetStageState() < 0x70) Wheel(in.wheel);
    in.wheel = 0;
    if (in.lbutton & 1) {
        HZEMSCREEN s = GetMainScreen();
        Click(s ? ZEM_HitSprite(s, in.lbx, in.lby, 1) : -1);
        in.lbutton &= ~1;
    }
    if (in.rbutton & 1) {
        if (in.rby > GetStageOffset() && GetSelectedAircraft() >= 0) Deselect();
        in.rbutton &= ~1;
    }
    SetMenuResult(g_in.menuresult);
}
