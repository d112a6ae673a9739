// The stage timetable: the game clock, the records that come due, the retry queue of creations
// that had to wait, and the stage's end by time.
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "simulation/simulation_internal.h"
#include "tov42.h"
#include "wynbytes.h"

namespace {

GameClock g_clock = {};
RetryQueue g_retry = {};
StageRunways g_runways = {};
StageWeather g_weather = {};
int g_pos = 0;  // byte offset into the timetable; -1 once it stopped for good

constexpr int kTicksPerMinute = 600;
constexpr char kRunwaysClosed[] = "000000000000000";

// The clock hands stand on the row 8 below the strip board's top.
constexpr int kClockRow = 8;

struct RecordSize {
    int32_t opcode;
    int size;
};
constexpr RecordSize kSizes[] = {{TT_CREATE, 100}, {TT_PARK, 72},   {TT_READY, 56}, {TT_WIND, 20},
                                 {TT_RUNWAYS, 40}, {TT_ROUTES, 36}, {TT_PLAN, 16},  {TT_IF, 20},
                                 {TT_GOTO, 8},     {TT_SET, 12},    {TT_END, 4}};

// The timetable's bytes in the image: from the header's timetable offset to the bytes read.
struct Timetable {
    uint8_t* bytes = nullptr;
    int size = 0;
};

Timetable CurrentTimetable() {
    Timetable t;
    ScenarioImage* image = GetScenarioImage();
    const ScenarioHeader& h = GetScenarioHeader();
    const int end = h.size < kScenarioBufferSize ? h.size : kScenarioBufferSize;
    if (!image || h.timetable < 0 || h.timetable >= end) return t;
    t.bytes = image->bytes + h.timetable;
    t.size = end - h.timetable;
    return t;
}

int32_t Word(const Timetable& t, int at) {
    wyn::ByteReader r(t.bytes, size_t(t.size));
    r.seek(size_t(at));
    return r.i32();
}

// A fault in the timetable stops it for good, with one warning naming the offset.
void StopTimetable(int at, const char* why) {
    g_pos = -1;
    char text[200];
    std::snprintf(text, sizeof text, "タイムテーブル(%X番地)%s。\nタイムテーブルを止めます。", at,
                  why);
    MessageBoxA(GetMainWindow(), text, "Wynmoor２の警告", MB_SETFOREGROUND);
}

bool TakeMinute(GameClock* c) {
    if (c->ticks <= kTicksPerMinute) return false;
    c->ticks -= kTicksPerMinute;
    c->clock = AddMinutes(c->clock, 1);
    return true;
}

// Record 4030: a new plan word for an aircraft in play.
void SetPlan(const Timetable& t, int at) {
    const int id = Word(t, at + 8);
    const int slot = AcquireAircraftSlot(id, 0);
    if (slot < 0) return;
    AircraftRecord* a = AircraftAt(slot);
    if (!a->used) {
        WarnNoAircraft(id);
        return;
    }
    a->plan = Word(t, at + 12);
}

enum class Pass { kStart, kFrame };

bool IsTimed(int32_t op) {
    return op == TT_CREATE || op == TT_READY || op == TT_WIND || op == TT_RUNWAYS || op == TT_PLAN;
}

// Runs records from the position until one is not yet due (it stays the position), the end
// record, or a fault. At the start a timed record is due only at time 0; in a frame once the
// clock has reached its time, and records 6 are stepped over.
void Execute(Pass pass) {
    const Timetable t = CurrentTimetable();
    if (g_pos < 0) return;
    // More records than the timetable holds words can only be a jump loop that reaches no
    // record still to come: it would hang the frame.
    int records = 0;
    int steps = 0;
    for (;;) {
        const int at = g_pos;
        const int32_t op = at + 4 <= t.size ? Word(t, at) : 0;
        const int size = at + 4 <= t.size ? TimetableRecordSize(op) : 4;
        if (at + size > t.size)
            return StopTimetable(at, "のレコードが読み込んだ終わりを越えています");
        if (size == 0) return StopTimetable(at, "に知らないレコードがあります");
        if (pass == Pass::kStart) {
            char step[64];
            std::snprintf(step, sizeof step, "タイムテーブル-%d %X", steps++, at);
            SetTitleStep(step);
            TOV_Task();
        }
        if (IsTimed(op)) {
            const int32_t time = Word(t, at + 4);
            if (pass == Pass::kStart ? time != 0 : g_clock.clock < time) return;
        }
        if (++records > t.size / 4) return StopTimetable(at, "で行き先のない繰り返しが続きます");
        if (op == TT_PARK && pass == Pass::kFrame) {
            g_pos = at + size;
            continue;
        }
        GameTrace("record %X %d", at, op);
        int next = at + size;
        switch (op) {
            case TT_END:
                g_pos = -1;
                return;
            case TT_CREATE: {
                FlightRecord r;
                ReadFlightRecord(t.bytes + at, size_t(size), &r);
                CreateAircraft(r, 1, 0);
                break;
            }
            case TT_PARK: {
                ParkedRecord r;
                ReadParkedRecord(t.bytes + at, size_t(size), &r);
                CreateParkedAircraft(r);
                break;
            }
            case TT_READY: {
                ReadyRecord r;
                ReadReadyRecord(t.bytes + at, size_t(size), &r);
                CreateAircraftById(r, 1, 0);
                // A spot-named ID is kept as the aircraft it found.
                wyn::ByteWriter w(t.bytes + at + 8, 4);
                w.u32(uint32_t(r.id));
                break;
            }
            case TT_WIND:
                g_weather.winddir = Word(t, at + 8);
                g_weather.windspeed = Word(t, at + 12);
                g_weather.pressure = Word(t, at + 16);
                break;
            case TT_RUNWAYS: {
                wyn::ByteReader r(t.bytes + at + 8, 32);
                r.text(g_runways.runways, sizeof g_runways.runways, 16);
                r.text(g_runways.runways2, sizeof g_runways.runways2, 16);
                break;
            }
            case TT_ROUTES:
                for (int i = 0; i < 8; ++i)
                    GetScenarioHeader().world.routesets[i] = Word(t, at + 4 + 4 * i);
                break;
            case TT_PLAN:
                SetPlan(t, at);
                break;
            case TT_IF: {
                ConditionRecord c;
                ReadConditionRecord(t.bytes + at, size_t(size), &c);
                if (TestCondition(c)) next = c.target;
                break;
            }
            case TT_GOTO:
                next = Word(t, at + 4);
                break;
            case TT_SET: {
                const int32_t index = GetGameValue(Word(t, at + 4));
                if (index >= 0 && index < kGameVariables)
                    GetGameVariables()[size_t(index)] = GetGameValue(Word(t, at + 8));
                break;
            }
        }
        if (next != at + size && (next < 0 || next >= t.size || next % 4 != 0))
            return StopTimetable(at, "から範囲の外へ飛びます");
        g_pos = next;
    }
}

// One pass over the retry queue: the first due entry that succeeds is created and removed.
void RunRetryQueue() {
    for (int i = 0; i < g_retry.count; ++i) {
        RetryEntry& e = g_retry.entries[size_t(i)];
        if (g_clock.clock < e.due) continue;
        int done = 0;
        if (e.opcode == TT_READY)
            done = CreateAircraftById(e.ready, 0, e.delay);
        else if (e.opcode == TT_CREATE)
            done = CreateAircraft(e.flight, 0, e.delay);
        else
            continue;
        if (done) {
            for (int j = i + 1; j < g_retry.count; ++j) {
                RetryEntry& moved = g_retry.entries[size_t(j - 1)];
                moved = g_retry.entries[size_t(j)];
                moved.due = AddMinutes(moved.due, 1);
                moved.delay += 1;
            }
            --g_retry.count;
            return;
        }
        e.due = AddMinutes(e.due, 1);
        if (e.delay != 0) e.delay += 1;
    }
}

}  // namespace

int TimetableRecordSize(int32_t opcode) {
    for (const RecordSize& r : kSizes)
        if (r.opcode == opcode) return r.size;
    return 0;
}

GameClock& GetGameClock() { return g_clock; }
RetryQueue& GetRetryQueue() { return g_retry; }
StageRunways& GetStageRunways() { return g_runways; }
StageWeather& GetStageWeather() { return g_weather; }
int GetTimetablePosition() { return g_pos; }
void ResetTimetablePosition() { g_pos = 0; }

int AddMinutes(int hhmm, int minutes) {
    int32_t t = Wrap32(int64_t(hhmm) + minutes);
    if (t % 100 > 59) t = Wrap32(int64_t(t) + 40);
    return t;
}

int AdvanceGameClock(GameClock* c, int ticks) {
    c->ticks += ticks;
    int minutes = 0;
    while (TakeMinute(c)) ++minutes;
    return minutes;
}

int StageEndTime(int start, int hours) {
    if (hours == 0) hours = 10;
    return Wrap32((Wrap32(int64_t(start) + int64_t(hours) * 100) / 100) * int64_t(100));
}

uint32_t TimeOverBonus(uint32_t limit, uint32_t shownstress) {
    if (limit == 0) limit = 10;
    // At or past the limit the difference would wrap into a huge bonus and a false CLEAR.
    if (shownstress >= limit) return 0;
    uint32_t bonus = ((limit - shownstress) * 100 / limit) * 10;
    if (shownstress == 0) bonus += 1000;
    return bonus;
}

int DeferCreation(const FlightRecord* flight, const ReadyRecord* ready, int delay) {
    if (g_retry.count >= kRetryEntries) {
        const int id = flight ? flight->id : ready ? ready->id : 0;
        std::fprintf(stderr, "wyntower: the retry queue is full; aircraft %d waits no more\n", id);
        GameTrace("retry full %d", id);
        return 0;
    }
    RetryEntry& e = g_retry.entries[size_t(g_retry.count++)];
    e = RetryEntry{};
    e.due = Wrap32(int64_t(g_clock.clock) + 1);
    e.delay = delay;
    if (flight) {
        e.opcode = TT_CREATE;
        e.flight = *flight;
    } else if (ready) {
        e.opcode = TT_READY;
        e.ready = *ready;
    }
    return 1;
}

void ResetTimetable() {
    const ScenarioHeader& h = GetScenarioHeader();
    g_clock.start = h.starttime;
    g_clock.clock = h.starttime;
    g_clock.ticks = 0;
    g_clock.end = StageEndTime(h.starttime, h.hours);
    g_retry.count = 0;
    std::snprintf(g_runways.runways, sizeof g_runways.runways, "%s", kRunwaysClosed);
    std::snprintf(g_runways.runways2, sizeof g_runways.runways2, "%s", kRunwaysClosed);
    CaptureWeekday();
}

void RunTimetable() {
    g_pos = 0;
    Execute(Pass::kStart);
}

void StepTimetable(int ticks) {
    HZEMSCREEN screen = GetMainScreen();
    if (screen) ZEM_MaskFlag(screen, 0);
    g_clock.ticks += ticks;
    while (TakeMinute(&g_clock)) {
        GameTrace("clock %04d", g_clock.clock);
        TurnClockHands(g_clock.clock);
    }
    Execute(Pass::kFrame);
    RunRetryQueue();
    if (screen) {
        const int y = kClockRow + GetStageOffset();
        ZEM_SetSprite(screen, kSpriteMinuteHand, -1, y, 10, -1, -1);
        ZEM_SetSprite(screen, kSpriteHourHand, -1, y, 9, -1, -1);
    }
    if (g_clock.clock >= g_clock.end && GetStageState() == STAGE_PLAY) {
        HudNumbers& hud = GetHud();
        hud.bonus = TimeOverBonus(hud.stresslimit, hud.shownstress);
        if (hud.shownscore + hud.bonus < hud.target) {
            SaveHighScore(0);
            ShowStageResult(STAGE_NOTCLEAR);
        } else {
            SaveHighScore(1);
            ShowStageResult(STAGE_CLEAR);
            SetStageCleared(1);
        }
    }
}
