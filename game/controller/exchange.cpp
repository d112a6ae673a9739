// The five radio exchange rows: each position's queue of message words, its wait list of
// aircraft, the row state machine that speaks a message, scrolls its caption and hands the
// result back to the aircraft, the listening order and the status and mode icons.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/simulation.h"
#include "zem40.h"

namespace {

constexpr int kPanelX = 218;       // the caption line's left edge on the 2D screen
constexpr int kPanelY = 26;        // + 24 x position
constexpr int kBackground = 800;   // the clean background's offset on the second page
constexpr int kCharWidth = 7;      // the caption font's cell width
constexpr int kStatusSprite = 80;  // + position
constexpr int kModeSprite = 74;    // + position
constexpr int kIconZ = 10;
constexpr int kFirstVoice = 14;  // sound voice of position 0

ExchangeRows g_rows = {};
ExchangeWaitList g_wait = {};
ListenOrder g_listen = {};
tagTOVWAVE g_waves[kExchangeRows] = {};
// The message each row speaks now, so that its end knows whose message it was.
ExchangeMessageCode g_current[kExchangeRows] = {};
int g_panelwidth = 371;
int g_ticks = 0;  // the frame's ticks, for the status blink
tagCELL g_textcell = {};
tagCELL g_statuscell = {};
tagCELL g_modecell = {};

bool ValidPosition(int p) { return p >= 0 && p < kExchangeRows; }
bool ValidSlot(int a) { return a >= 0 && a < kAircraftSlots; }

AircraftRecord* Aircraft(int slot) {
    AircraftTable* t = GetAircraftTable();
    return t && ValidSlot(slot) ? &(*t)[size_t(slot)] : nullptr;
}
// The row's talking aircraft, or null.
AircraftRecord* Talking(const ExchangeRow& row) { return Aircraft(row.aircraft - 1); }

int Multi() {
    const int m = GetConfig().multi;
    return m < 0 ? 0 : m > kListenPlaces ? kListenPlaces : m;
}
int FullVolume() { return GetAtcVolume(); }

void SetModeTile(int p, int tile) {
    if (HZEMSCREEN s = GetMainScreen()) ZEM_SetSprite(s, kModeSprite + p, -1, -1, -1, tile, -1);
}
void Listen(int p, int level) {
    g_rows[size_t(p)].listen = level;
    SetModeTile(p, level);
}

// Draws `text` into `rect` of a device context with the caption font.
void DrawTextInRect(HDC dc, RECT rect, const char* text, ZEMPIXEL colour) {
    HFONT font = CreateFontA(14, 7, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FIXED_PITCH | FF_MODERN, "ＭＳ ゴシック");
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, ZEM_PixelToColor(colour));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, -1, &rect, 0);
    SelectObject(dc, old);
    DeleteObject(font);
}

// Restores the panel line of position p from screen x `from` to the panel's end.
void RestorePanelLine(int p, int from) {
    HZEMSCREEN s = GetMainScreen();
    if (!s) return;
    const int y = kPanelY + 24 * p;
    const RECT src = {kPanelX + kBackground + from, y, kPanelX + kBackground + g_panelwidth,
                      y + 16};
    ZEM_MoveScreen(s, kPanelX + from, y, &src);
}

// The end of a heard message whose aircraft is not the row's talking one: nothing else would
// clear its `talking`, so it is cleared unless some row has it talking.
void ReleaseStranger(int p) {
    const int a = ExchangeMessageAircraft(g_current[size_t(p)]);
    AircraftRecord* rec = Aircraft(a);
    if (!g_current[size_t(p)] || !rec || g_rows[size_t(p)].aircraft == a + 1) return;
    for (const ExchangeRow& row : g_rows)
        if (row.aircraft == a + 1) return;
    rec->talking = 0;
}

// Hands the row's result to its talking aircraft; a result of 0 is handed to nobody, so one
// handed after an earlier message of the exchange is not wiped.
void HandResult(ExchangeRow& row) {
    if (AircraftRecord* a = Talking(row); a && row.result != 0) a->request = row.result;
}

void TraceMessage(int p, ExchangeMessageCode code, int speaker, const char* voice,
                  const char* caption) {
    if (!GameTraceOn()) return;
    const char* missing = "";
    const int count = GetVoiceMissing(&missing);
    GameTrace("radio %d code %08x speaker %d voice %s frames %d missing %d%s%s caption %s", p, code,
              speaker, voice, g_rows[size_t(p)].frames, count, count ? " " : "", missing, caption);
}

// Composes the queue head of row p, builds its voice, shows its caption and plays it.
void StartMessage(int p) {
    ExchangeRow& row = g_rows[size_t(p)];
    const ExchangeMessageCode code = row.queue[0];
    char texts[2 * kAtcText];
    const int s = ComposeExchangeMessage(p, code, texts);
    if (row.aircraft != 0) RemoveFromWaitList(p, row.aircraft);
    int speaker = p;
    if (s == 0) {
        // A pilot message on a row without a talking aircraft speaks with the voice of the
        // aircraft the message is about.
        const AircraftRecord* a = Talking(row);
        if (!a) a = Aircraft(ExchangeMessageAircraft(code));
        speaker = ClampSpeaker(a ? a->speaker : 29);
    }
    char caption[kAtcText];
    const SpeakerRecord& rec = GetSpeakerRecords()[speaker];
    BuildVoice(rec.voice, texts + kAtcText, &g_waves[p], caption, s == 0, 0);
    row.who = s == 0 ? 1 : 0;
    row.frames = ExchangeFrames(g_waves[p].size);
    const int language = GetConfig().language;
    const char* shown = language == 0 ? "" : language == 1 ? texts : caption;
    g_current[size_t(p)] = code;
    TraceMessage(p, code, speaker, rec.voice, shown);
    DrawExchangeText(p, shown);
    PopExchangeMessage(p);
    PlayExchangeVoice(p);
}

}  // namespace

ExchangeRows& GetExchangeRows() { return g_rows; }
ExchangeWaitList& GetWaitLists() { return g_wait; }
ListenOrder& GetListenOrder() { return g_listen; }
tagTOVWAVE* GetExchangeWave(int position) {
    return ValidPosition(position) ? &g_waves[position] : nullptr;
}

void DuckVolumes(int flag) {
    if (!LowerEffectVolumes(flag)) return;
    // The positions heard in full (the first `multi` of the listening order) follow.
    const int multi = std::clamp(GetConfig().multi, 0, kListenPlaces);
    const int volume = GetAtcVolume();
    for (int i = 0; i < multi; ++i)
        if (g_listen[size_t(i)] > 0) TOV_WaveSetLocalVol(14 + g_listen[size_t(i)] - 1, volume);
}

int ExchangeFrames(int bytes) { return int(int64_t(bytes) * 30 / 11025); }

int CaptionX(int width, int scroll, int length, int frames) {
    const int end = width - kCharWidth * length;
    if (frames == 0) return end;
    const int x = width - int(double(scroll) * length * kCharWidth / (frames * 0.9));
    return x < end ? end : x;
}

// ---- queues ----

int PushExchangeMessage(int position, ExchangeMessageCode code) {
    if (!ValidPosition(position)) return 0;
    for (ExchangeMessageCode& place : g_rows[size_t(position)].queue) {
        if (place == 0) {
            place = code;
            return 1;
        }
        if (place == code) return 1;
    }
    return 0;
}

int SetExchangeMessage(int place, int position, ExchangeMessageCode code) {
    if (!ValidPosition(position) || place < 0 || place >= kExchangeQueue) return 0;
    ExchangeRow& row = g_rows[size_t(position)];
    row.queue[place] = code;
    row.timer = 0;
    row.state = 0;
    return 1;
}

void PopExchangeMessage(int position) {
    if (!ValidPosition(position)) return;
    ExchangeMessageCode* q = g_rows[size_t(position)].queue;
    std::memmove(q, q + 1, sizeof q[0] * (kExchangeQueue - 1));
    q[kExchangeQueue - 1] = 0;
}

int IsExchangeSpeaking(int position) {
    if (!ValidPosition(position)) return 0;
    const ExchangeRow& row = g_rows[size_t(position)];
    if ((row.state & 0xf) == 0) return 0;
    if (row.scroll >= row.frames) {
        if (TOV_WaveStatus(kFirstVoice + position) != 0) TOV_WaveStop(kFirstVoice + position);
        return 0;
    }
    return 1;
}

// ---- wait lists ----

int JoinWaitList(int position, int aircraft) {
    if (!ValidPosition(position) || !ValidSlot(aircraft)) return 0;
    auto& list = g_wait[size_t(position)];
    for (int i = 0; i < kWaitPlaces; ++i)
        if (list[size_t(i)] == aircraft + 1) return i + 1;
    for (int i = 0; i < kWaitPlaces; ++i)
        if (list[size_t(i)] == 0) {
            list[size_t(i)] = aircraft + 1;
            return i + 1;
        }
    return 0;
}

void RemoveWaitListAt(int position, int place) {
    if (!ValidPosition(position) || place < 1 || place > kWaitPlaces) return;
    auto& list = g_wait[size_t(position)];
    for (int i = place - 1; i + 1 < kWaitPlaces; ++i) list[size_t(i)] = list[size_t(i + 1)];
    list[kWaitPlaces - 1] = 0;
}

void RemoveFromWaitList(int position, int entry) {
    if (!ValidPosition(position) || entry == 0) return;
    const auto& list = g_wait[size_t(position)];
    for (int i = 0; i < kWaitPlaces; ++i)
        if (list[size_t(i)] == entry) return RemoveWaitListAt(position, i + 1);
}

namespace {
int TryCall(int aircraft, int position, bool now) {
    if (!ValidPosition(position) || !ValidSlot(aircraft)) return 0;
    JoinWaitList(position, aircraft);
    const AircraftRecord* a = Aircraft(aircraft);
    if (a && a->talking) return 0;
    ExchangeRow& row = g_rows[size_t(position)];
    if (row.aircraft != 0 && row.aircraft != aircraft + 1) return 0;
    const bool free = now ? (row.state & 1) == 0 : (row.state & 0xf) == 0 && row.queue[0] == 0;
    if (free) {
        if (g_wait[size_t(position)][0] != aircraft + 1) return 0;
        RemoveWaitListAt(position, 1);
        return 1;
    }
    if (row.aircraft == aircraft + 1) RemoveFromWaitList(position, aircraft + 1);
    return 0;
}
}  // namespace

int TryCallPosition(int aircraft, int position) { return TryCall(aircraft, position, false); }
int TryCallPositionNow(int aircraft, int position) { return TryCall(aircraft, position, true); }

// ---- listening order ----

void PlayExchangeVoice(int position) {
    if (!ValidPosition(position)) return;
    int place = 0;
    while (place < kListenPlaces && g_listen[size_t(place)] != position + 1 &&
           g_listen[size_t(place)] != 0)
        ++place;
    if (place < kListenPlaces) g_listen[size_t(place)] = position + 1;
    const int full = FullVolume();
    const bool heard = place < Multi();
    TOV_WaveSetLocalVol(kFirstVoice + position, heard ? full : full / 2);
    Listen(position, heard ? 2 : 1);
    TOV_WavePlay(kFirstVoice + position, &g_waves[position], 1, 0);
}

void LeaveListenOrder(int position) {
    if (!ValidPosition(position)) return;
    for (int i = 0; i < kListenPlaces; ++i) {
        if (g_listen[size_t(i)] != position + 1) continue;
        for (int j = i; j + 1 < kListenPlaces; ++j) g_listen[size_t(j)] = g_listen[size_t(j + 1)];
        g_listen[kListenPlaces - 1] = 0;
        const int m = Multi();
        if (m > 0 && g_listen[size_t(m - 1)] != 0) {
            const int raised = g_listen[size_t(m - 1)] - 1;
            TOV_WaveSetLocalVol(kFirstVoice + raised, FullVolume());
            Listen(raised, 2);
        }
        break;
    }
    Listen(position, 0);
}

void ListenToPosition(int position) {
    if (!ValidPosition(position)) return;
    for (int i = 0; i < kListenPlaces; ++i) {
        if (g_listen[size_t(i)] != position + 1) continue;
        for (int j = i; j > 0; --j) g_listen[size_t(j)] = g_listen[size_t(j - 1)];
        g_listen[0] = position + 1;
        TOV_WaveSetLocalVol(kFirstVoice + position, 15);
        Listen(position, 2);
        const int m = Multi();
        if (m < kListenPlaces && g_listen[size_t(m)] != 0) {
            const int lowered = g_listen[size_t(m)] - 1;
            TOV_WaveSetLocalVol(kFirstVoice + lowered, 8);
            Listen(lowered, 1);
        }
        return;
    }
}

// ---- the frame ----

void ExchangeMain(int ticks) {
    g_ticks = ticks;
    for (int p = 0; p < kExchangeRows; ++p) {
        ExchangeRow& row = g_rows[size_t(p)];
        switch (row.state & 0xf) {
            case 0:
                if (row.queue[0] != 0) {
                    StartMessage(p);
                } else if (AircraftRecord* a = Talking(row)) {
                    // An exchange posted without messages ends as a heard last message does.
                    a->talking = 0;
                    HandResult(row);
                    RemoveFromWaitList(p, row.aircraft);
                    row.aircraft = 0;
                    row.result = 0;
                }
                break;
            case 1:
                if (IsExchangeSpeaking(p)) break;
                ReleaseStranger(p);
                if (row.queue[0] == 0) {
                    LeaveListenOrder(p);
                    row.timer = 0;
                    row.state = 0;
                    if (AircraftRecord* a = Talking(row)) {
                        a->talking = 0;
                        HandResult(row);
                        row.aircraft = 0;
                    }
                } else {
                    StartMessage(p);
                }
                HandResult(row);
                row.result = 0;
                break;
            case 2:
                if (IsExchangeSpeaking(p)) break;
                LeaveListenOrder(p);
                row.timer -= ticks;
                if (AircraftRecord* a = Talking(row)) {
                    a->talking = 0;
                    if (a->waitcount == 1) a->waitcount = 100;
                }
                if (row.timer < 0) {
                    row.timer = 0;
                    row.state = 0;
                    row.aircraft = 0;
                }
                break;
            case 3:
                if (IsExchangeSpeaking(p)) break;
                ReleaseStranger(p);
                row.state = 2;
                row.timer -= ticks;
                if (AircraftRecord* a = Talking(row)) {
                    a->talking = 0;
                    HandResult(row);
                    RemoveFromWaitList(p, row.aircraft);
                }
                row.result = 0;
                break;
            default:
                break;
        }
    }
}

void DrawExchangeText(int position, const char* text) {
    if (!ValidPosition(position)) return;
    ExchangeRow& row = g_rows[size_t(position)];
    row.scroll = 0;
    row.length = int(std::strlen(text));
    if (g_textcell.bits && g_textcell.user) {
        const int top = 16 * position;
        const RECT band = {0, top, 2000, top + 16};
        ZEM_ClearCell(&g_textcell, &band, 0);
        HDC dc = ZEM_GetDC(reinterpret_cast<HZEMSCREEN>(g_textcell.user));
        const int w = kCharWidth * row.length;
        DrawTextInRect(dc, RECT{1, top + 1, w + 1, top + 17}, text, 0x3def);
        DrawTextInRect(dc, RECT{0, top, w - 1, top + 16}, text, 0x03e0);
    }
    if (row.length < g_panelwidth / kCharWidth) row.length = g_panelwidth / kCharWidth;
    RestorePanelLine(position, 0);
}

void AtcPanelMain(int ticks) {
    HZEMSCREEN s = GetMainScreen();
    for (int p = 0; p < kExchangeRows; ++p) {
        ExchangeRow& row = g_rows[size_t(p)];
        if (row.scroll < 0) continue;
        const int x = CaptionX(g_panelwidth, row.scroll, row.length, row.frames);
        const int y = kPanelY + 24 * p;
        RestorePanelLine(p, x > 0 ? x : 0);
        if (s && g_textcell.bits) {
            const int top = 16 * p;
            if (x >= 0) {
                const RECT src = {0, top, g_panelwidth - x, top + 16};
                ZEM_DisplayScreen(s, kPanelX + x, y, &g_textcell, &src, 0);
            } else {
                const RECT src = {-x, top, g_panelwidth - x, top + 16};
                ZEM_DisplayScreen(s, kPanelX, y, &g_textcell, &src, 0);
            }
        }
        const RECT line = {kPanelX, y, kPanelX + g_panelwidth, y + 16};
        AddRefreshRect(&line);
        row.scroll += ticks;
        if (row.scroll > row.frames) row.scroll = row.frames;
    }
}

void DrawExchangeStatus() {
    HZEMSCREEN s = GetMainScreen();
    for (int p = 0; p < kExchangeRows; ++p) {
        ExchangeRow& row = g_rows[size_t(p)];
        const int state = row.state & 0xf;
        if (state == 1 || state == 3) {
            const int tile = row.who + (row.blink % 32 < 16 ? 1 : 101);
            if (s) ZEM_SetSprite(s, kStatusSprite + p, -1, -1, kIconZ, tile, -1);
            row.blink += g_ticks;
        } else {
            if (s) ZEM_SetSprite(s, kStatusSprite + p, -1, -1, 0, -1, -1);
            row.blink = 0;
            if (AircraftRecord* a = Talking(row)) a->talking = 0;
        }
    }
    const AircraftRecord* selected = Aircraft(GetSelectedAircraft());
    if (!s || !selected || !ValidPosition(selected->position)) return;
    const bool busy = g_rows[size_t(selected->position)].state & 1;
    for (int n = 90; n <= 99; ++n)
        SetSpriteEx(s, n, -1, -1, -1, -1, -1, busy ? 10 : 16, busy ? 0x7c00 : 0);
}

// ---- stage set-up and exit ----

void SetAtcPanelWidth(int large) { g_panelwidth = large ? 560 : 371; }
int GetAtcPanelWidth() { return g_panelwidth; }

void AtcInit() {
    CellAllocBmp(&g_textcell, 2000, 96, "ATC用CELL作成");
    g_listen = {};
    g_wait = {};
    for (int p = 0; p < kExchangeRows; ++p) {
        g_rows[size_t(p)] = ExchangeRow{};
        g_rows[size_t(p)].scroll = -1;
        g_current[size_t(p)] = 0;
    }
    SpeakerRecord* speakers = GetSpeakerRecords();
    CopyDefaultSpeakerLists(speakers, (GetScenarioHeader().flags & 4) != 0);
    AssignSpeakerVoices(speakers, kSpeakers);
    ReadPhraseTables(GetAirportCode());
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%setc\\status_k.umz", GetProgramFolder());
    LoadPictureCell(path, &g_statuscell);
    std::snprintf(path, sizeof path, "%setc\\atcmode_k.umz", GetProgramFolder());
    LoadPictureCell(path, &g_modecell);
    if (HZEMSCREEN s = GetMainScreen()) {
        for (int p = 0; p < kExchangeRows; ++p) {
            ZEM_CreateSprite(s, kStatusSprite + p, &g_statuscell, 0, 0);
            ZEM_SetSprite(s, kStatusSprite + p, 86, 24 + 24 * p, kIconZ, 0, -1);
            ZEM_CreateSprite(s, kModeSprite + p, &g_modecell, 0, 0);
            ZEM_SetSprite(s, kModeSprite + p, 150, 24 + 24 * p, kIconZ, 0, -1);
        }
    }
}

void AtcEnd() {
    if (HZEMSCREEN s = GetMainScreen())
        for (int p = 0; p < kExchangeRows; ++p) {
            ZEM_DeleteSprite(s, kStatusSprite + p);
            ZEM_DeleteSprite(s, kModeSprite + p);
        }
    CellFree(&g_statuscell, "STATUSCell");
    CellFree(&g_modecell, "ATCモード");
    CellFree(&g_textcell, "ATCCell");
}
