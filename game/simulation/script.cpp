// The aircraft move script's interpreter: one step per tick, the flow, wait and script-change
// opcodes, and the loading of scripts into an aircraft's buffer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "controller/controller.h"
#include "simulation/script_internal.h"

namespace {

using script::ADVANCE;
using script::MOVED;
using script::Outcome;
using script::STAY;
using script::Step;

const ScriptServices* g_services = nullptr;
// The name of each aircraft's script, for the trace and the fault lines.
char g_names[kAircraftSlots][32] = {};
// The menu result and whether a script step has seen it since it was handed over.
int g_menuresult = 0;
int g_menuseen = 0;

// ---- the game's services ----

void MovePath(char* path, size_t size, const char* name) {
    std::snprintf(path, size, "port\\%s\\mov\\%s.sce", GetAirportCode(), name);
}
int GameScriptExists(const char* name) {
    char path[MAX_PATH];
    MovePath(path, sizeof path, name);
    return FileExists(path);
}
int GameReadScript(const char* name, uint8_t* buffer, int size, int* got) {
    char path[MAX_PATH];
    MovePath(path, sizeof path, name);
    return ReadWholeFile(GetMainWindow(), path, buffer, size, got);
}
void GameWarn(const char* text) { MessageBoxA(GetMainWindow(), text, "Wynmoor２の警告", MB_OK); }
void GameFault(const char* line) { std::fprintf(stderr, "%s\n", line); }
int GamePushExchange(int position, uint32_t code) { return PushExchangeMessage(position, code); }
int GamePlayVoice(const char* file) {
    static tagTOVWAVE wave = {};
    PlayWaveOnVoice(12, file, &wave);
    return wave.size;
}

const ScriptServices kGame = {
    GameScriptExists,
    GameReadScript,
    FileExists,
    GameWarn,
    GameFault,
    AddStress,
    AddScore,
    AddStripMemo,
    SetStripRunwayMemo,
    DrawStripCallsign,
    DrawRadarLabel,
    ClearRadarLabel,
    BuildCommandMenu,
    DrawFlightInfo,
    ClearCommandMenu,
    AddMenuItem,
    GetCommandMenuItem,
    PropagateStatus,
    GamePushExchange,
    PushRadioMessage,
    PushRadioText,
    DrawRadioText,
    GetRadioTextCountdown,
    SetRadioTextCountdown,
    CheckRunwayWind,
    IsRunwayWindOk,
    DeclareEmergency,
    GroundEvent,
    SetModelPart,
    PlayEffectWave,
    PlayOneShotWave,
    GamePlayVoice,
    CreateAircraft,
    CreateAircraftById,
};

// ---- loading ----

// A script's name, copied first: it may lie in the very buffer the script is read into.
struct Name {
    char text[64];
    explicit Name(const char* name) { std::snprintf(text, sizeof text, "%s", name ? name : ""); }
};

void SetName(int slot, const char* name) {
    if (slot >= 0 && slot < kAircraftSlots)
        std::snprintf(g_names[slot], sizeof g_names[slot], "%s", name ? name : "");
}

// The loaded bytes stand at the buffer's start; everything after them reads as the end mark.
void Loaded(int slot, AircraftRecord& a, size_t size, const char* name) {
    if (size < size_t(kScriptBufferSize))
        std::memset(a.script + size, 0xff, size_t(kScriptBufferSize) - size);
    a.scriptlen = int32_t(size);
    a.scriptpos = 0;
    SetName(slot, name);
}

// A failed read: nothing of the script before stays readable.
void Emptied(int slot, AircraftRecord& a, const char* name) {
    if (a.script) std::memset(a.script, 0xff, kScriptBufferSize);
    a.scriptlen = 0;
    a.scriptpos = 0;
    SetName(slot, name);
}

int ReadInto(int slot, AircraftRecord& a, const char* name) {
    int got = 0;
    const int ok =
        a.script ? script::Calls().readScript(name, a.script, kScriptBufferSize, &got) : 0;
    if (!ok || got <= 0) return 0;
    Loaded(slot, a, size_t(got < kScriptBufferSize ? got : kScriptBufferSize), name);
    return 1;
}

void TraceLoad(int slot, const char* name, int result) {
    GameTrace("script %d %s %d", slot, name, result);
}

// ---- jumps and conditions ----

// A jump target must be a word of the loaded bytes.
bool ValidTarget(const AircraftRecord& a, int32_t target) {
    return target >= 0 && target < a.scriptlen && target % 4 == 0;
}

Outcome Jump(const Step& s, int32_t target) {
    if (!ValidTarget(s.a, target)) return script::Fault(s, "jump outside the script");
    s.a.scriptpos = target;
    return MOVED;
}

// Loads a script named by a record; the position is then that of the new script.
Outcome Load(const Step& s, const char* name) {
    LoadScript(s.slot, name);
    return MOVED;
}

// ---- the flow, wait and script-change opcodes ----

// The value of another aircraft a waiting record looks at; a missing aircraft keeps it waiting.
const AircraftRecord* Other(int id, int* slot) {
    *slot = script::InPlay(id);
    return *slot >= 0 ? AircraftAt(*slot) : nullptr;
}

bool Waits(int passes) { return !passes; }

// Opcode 540: the approach by the stage's runway configuration, or by the player's pick.
Outcome Approach(const Step& s) {
    AircraftRecord& a = s.a;
    const int32_t* w = s.op.word;
    const int32_t* routes = GetScenarioHeader().world.routesets;
    const int slots = int(std::size(GetScenarioHeader().world.routesets));
    int64_t p = a.target;
    if (p == -1) {
        if (w[4] < 0 || w[4] >= slots) return script::Fault(s, "no such configuration slot");
        a.approach = w[4];
        p = int64_t(routes[w[4]]) + 1;
    }
    const int entries = int(std::size(a.approachtab));
    if (p != 0) {
        if (p < 1 || p > entries) return script::Fault(s, "no such approach entry");
        const ApproachEntry& e = a.approachtab[p - 1];
        char name[sizeof e.name];
        if (e.variant[0][0]) {
            const int64_t v = int64_t(a.approachitem) - 0x100;
            if (v < 0 || v >= 3) return script::Fault(s, "no such approach variant");
            script::CopyField(name, sizeof name, e.variant[v]);
        } else {
            script::CopyField(name, sizeof name, e.name);
        }
        script::Calls().setStripRunwayMemo(s.slot, int(p - 1));
        return Load(s, name);
    }
    const tagKRN3D point = {double(w[1]), 0, double(w[2]), 0};
    if (!script::Compare(w[0], Distance2D(&s.o.pos, &point), w[3] * 1.852 / 2)) return STAY;
    if (w[4] < 0 || w[4] >= slots) return script::Fault(s, "no such configuration slot");
    const int v = routes[w[4]];
    if (v < 0 || v >= entries) return script::Fault(s, "no such approach entry");
    a.approach = w[4];
    char name[sizeof a.approachtab[0].name];
    script::CopyField(name, sizeof name, a.approachtab[v].name);
    script::Calls().setStripRunwayMemo(s.slot, v);
    return Load(s, name);
}

// Gives `to` the named slot i of `from` (all eight for -1).
void GiveSlots(const AircraftRecord& from, int to, int i) {
    AircraftRecord* b = AircraftAt(to);
    if (!b) return;
    for (int k = 0; k < int(std::size(from.label)); ++k)
        if (i == -1 || i == k) script::CopyField(b->label[k], sizeof b->label[k], from.label[k]);
}

// Opcode 574: named slots to the linked aircraft, to an aircraft by ID, or to the next one of
// the leader's link list.
Outcome CopySlots(const Step& s) {
    const AircraftRecord& a = s.a;
    const int who = s.op.word[0], i = s.op.word[1];
    if (i < -1 || i >= int(std::size(a.label))) return script::Fault(s, "no such named slot");
    const int links = std::min(a.links, int(std::size(a.linked)));
    if (who == 0) {
        for (int k = 0; k < links; ++k) GiveSlots(a, a.linked[k], i);
    } else if (who < 0) {
        const int to = script::InPlay(int(uint32_t(a.id) - uint32_t(who)));
        if (to >= 0) GiveSlots(a, to, i);
    } else if (who - 1 < links) {
        GiveSlots(a, a.linked[who - 1], i);
    } else if (const AircraftRecord* leader = AircraftAt(a.linkedto)) {
        const int n = std::min(leader->links, int(std::size(leader->linked)));
        for (int k = 0; k + 1 < n; ++k)
            if (leader->linked[k] == s.slot) {
                GiveSlots(a, leader->linked[k + 1], i);
                break;
            }
    }
    return ADVANCE;
}

Outcome RunFlow(const Step& s, bool* known) {
    AircraftRecord& a = s.a;
    const ObjectRecord& o = s.o;
    const int32_t* w = s.op.word;
    const ScriptServices& calls = script::Calls();
    *known = true;
    switch (s.op.opcode) {
        case 200: {
            const tagKRN3D point = {double(w[0]), 0, double(w[1]), 0};
            return Waits(BearingInt(&o.pos, &point) == w[2]) ? STAY : ADVANCE;
        }
        case 210: {
            const int target = w[0] > 1000 ? a.course : w[0];
            const int heading = script::Degrees(script::Whole(o.angle.y));
            const bool stopped = a.phase == PHASE_TAXI_TO_POINT && (o.state & 1) && o.speed < 0.03;
            return Waits(heading == target || stopped) ? STAY : ADVANCE;
        }
        case 220:
            return a.phase == w[0] ? STAY : ADVANCE;
        case 221: {
            int slot;
            const AircraftRecord* b = Other(w[0], &slot);
            return !b || b->phase == w[1] ? STAY : ADVANCE;
        }
        case 230:
            a.timer = int32_t(std::clamp<int64_t>(int64_t(w[0]) * script::kFramesPerSecond,
                                                  INT32_MIN, INT32_MAX));
            return ADVANCE;
        case 240:
            return Waits(script::Compare(w[0], o.speed, script::Knots(w[1]))) ? STAY : ADVANCE;
        case 250:
            return Waits(script::Compare(w[0], o.pos.y, script::Feet(w[1]))) ? STAY : ADVANCE;
        case 260:
            return Waits(
                       script::Compare(w[0], StatusInstruction(a.status), StatusInstruction(w[1])))
                       ? STAY
                       : ADVANCE;
        case 261: {
            int slot;
            const AircraftRecord* b = Other(w[0], &slot);
            return !b || Waits(script::Compare(w[1], StatusInstruction(b->status),
                                               StatusInstruction(w[2])))
                       ? STAY
                       : ADVANCE;
        }
        case 270: {
            const tagKRN3D point = {double(w[1]), 0, double(w[2]), 0};
            return Waits(script::Compare(w[0], Distance2D(&o.pos, &point), w[3] * 1.852 / 2))
                       ? STAY
                       : ADVANCE;
        }
        case 280: {
            int slot;
            const AircraftRecord* b = Other(int(uint32_t(a.id) + uint32_t(w[0])), &slot);
            const ObjectRecord* f = b ? ObjectAt(slot) : nullptr;
            const bool follows = f && (f->state & 0xff000) == 0xe000 && b->joinsteps > 0 &&
                                 b->joinsteps == (f->state & 0xfff);
            return follows ? ADVANCE : STAY;
        }
        case 820: {
            bool passes;
            if (w[0] < kAircraftSlots) {
                const int slot = script::InPlay(w[0]);
                passes = slot >= 0 && slot == GetSelectedAircraft();
            } else {
                const int c = GetMenuResult() - 1;
                const int group = w[0] & 0xf00;
                passes = group == 0x400 || group == 0x800 || group == 0x500 ? (c & 0xf00) == group
                                                                            : c == w[0];
            }
            if (!passes) return STAY;
            if (calls.getRadioTextCountdown() == -2) calls.setRadioTextCountdown(1);
            return ADVANCE;
        }
        case 860: {
            int slot;
            const AircraftRecord* b = Other(w[0], &slot);
            // Only kind 1 (the object's ground sub-state) is defined; others wait.
            if (!b || w[2] != 1) return STAY;
            return Waits(script::Compare(w[1], ObjectAt(slot)->state, w[3])) ? STAY : ADVANCE;
        }
        case 5000: {
            int32_t first = w[0];
            if (first == 0x0111ffff || first == 0x0112ffff) {
                // The own ID goes into the loaded copy, so the record names this aircraft.
                first = int32_t(uint32_t(first & 0xffff0000) + uint32_t(a.id));
                for (int k = 0; k < 4; ++k)
                    a.script[size_t(s.pos) + 4 + size_t(k)] = uint8_t(uint32_t(first) >> (8 * k));
            }
            if (!TestCondition(ConditionRecord{first, w[1], w[2], w[3]})) return ADVANCE;
            return Jump(s, w[3]);
        }
        case 5010:
            return Jump(s, w[0]);
        case 5020: {
            const uint32_t kind = uint32_t(w[0]) & 0xff000000;
            const uint32_t k = uint32_t(w[0]) & 0x00ffffff;
            if (kind == 0x0d000000) {
                if (k >= std::size(a.vars)) return script::Fault(s, "no such script variable");
                a.vars[k] = w[1];
            } else if (kind == 0x0e000000) {
                a.runway = a.choice = w[1];
            }
            return ADVANCE;
        }
        case 5030: {
            if ((uint32_t(w[0]) & 0xfffff000) != 0x40000) return ADVANCE;
            const int64_t group = int64_t(a.choice) - 1, line = int64_t(a.subchoice) - 1;
            if (group < 0 || group >= kSpotGroups || line < 0 || line >= kSpotGroupLines)
                return script::Fault(s, "no spot group line of choice and subchoice");
            script::CopyField(a.routenames[group * kSpotGroupLines + line].name2, 16, s.op.text[0]);
            return ADVANCE;
        }
        case 500:
            return Load(s, s.op.text[0]);
        case 510: {
            const int64_t n = a.runway != 0 ? int64_t(a.runway) - 1 : w[0];
            if (n < 0 || n >= int(std::size(a.names)))
                return script::Fault(s, "no such candidate name");
            char name[sizeof a.names[0].name];
            script::CopyField(name, sizeof name, a.names[n].name);
            for (CandidateName& c : a.names) c.name[0] = 0;
            return Load(s, name);
        }
        case 520: {
            // The check may load another script: the position moves on first.
            a.scriptpos = s.pos + int32_t(s.op.size);
            char name[64];
            std::snprintf(name, sizeof name, "%s", s.op.text[0]);
            calls.checkRunwayWind(s.slot, w[0], name);
            return MOVED;
        }
        case 530: {
            if (a.runway == 0) return STAY;
            const int64_t line = (a.runway & 3) - 1, group = int64_t(a.runway / 4) - 1;
            if (line < 0 || group < 0 || group >= kSpotGroups)
                return script::Fault(s, "no spot group line of runway");
            return Load(s, a.routenames[group * kSpotGroupLines + line].name);
        }
        case 540:
            return Approach(s);
        case 550: {
            // The route table is indexed by the group and entry numbers themselves (1-based; the
            // airport's routes leave index 0 empty), as the SID lookup gives them.
            const int g = a.sidgroup, e = a.sidentry;
            if (g < 0 || g >= kRouteGroups || e < 0 || e >= kRouteEntries)
                return script::Fault(s, "no route entry of the departure route");
            char name[64];
            std::snprintf(name, sizeof name, "%s%s", s.op.text[0],
                          GetRouteTable().entry[g][e].name);
            return Load(s, name);
        }
        case 570:
        case 572: {
            if (w[0] < 0 || w[0] >= int(std::size(a.label)))
                return script::Fault(s, "no such named slot");
            char* slot = a.label[w[0]];
            if (s.op.opcode == 570) {
                script::CopyField(slot, sizeof a.label[0], s.op.text[0]);
                return ADVANCE;
            }
            if (!slot[0]) {
                if (!s.op.text[0][0]) return ADVANCE;
                script::CopyField(slot, sizeof a.label[0], s.op.text[0]);
            }
            char name[sizeof a.label[0]];
            script::CopyField(name, sizeof name, slot);
            return Load(s, name);
        }
        case 574:
            return CopySlots(s);
        case 576: {
            const int n = int(std::size(a.label));
            if (w[0] < 0 || w[0] >= n || w[1] < 0 || w[1] >= n)
                return script::Fault(s, "no such named slot");
            if (a.label[w[0]][0])
                script::CopyField(a.label[w[1]], sizeof a.label[0], a.label[w[0]]);
            return STAY;
        }
        default:
            *known = false;
            return STAY;
    }
}

}  // namespace

namespace script {

const ScriptServices& Calls() { return g_services ? *g_services : kGame; }

int InPlay(int id) {
    if (id == 0) return -1;
    const int slot = FindAircraftSlot(id);
    const AircraftRecord* a = AircraftAt(slot);
    return a && a->used ? slot : -1;
}

Outcome Fault(const Step& s, const char* why) {
    // One line per place: a record that stands would repeat it every tick.
    static std::set<std::string> reported;
    char place[64];
    std::snprintf(place, sizeof place, "%s@%d", g_names[s.slot], s.pos);
    if (reported.insert(place).second) {
        char line[256];
        std::snprintf(line, sizeof line,
                      "aircraft script fault: aircraft %d, script \"%s\", position %d, opcode %d: "
                      "%s; the record stands",
                      s.slot, g_names[s.slot], s.pos, s.op.opcode, why);
        Calls().fault(line);
        GameTrace("%s", line);
    }
    return STAY;
}

void CopyField(char* field, size_t size, const char* text) {
    if (!size) return;
    size_t n = 0;
    if (text)
        while (n + 1 < size && text[n]) {
            field[n] = text[n];
            ++n;
        }
    field[n] = 0;
}

void TakeStatus(int slot, int status) {
    AircraftRecord* a = AircraftAt(slot);
    if (!a) return;
    if (a->links) Calls().propagateStatus(slot, status);
    a->status = status;
    if (slot == GetSelectedAircraft()) {
        Calls().buildCommandMenu(slot);
        Calls().drawFlightInfo(slot);
    }
}

int Compare(int op, double value, double operand) {
    switch (op) {
        case 0x10:
            return value == operand;
        case 0x20:
            return value <= operand;
        case 0x21:
            return value < operand;
        case 0x30:
            return value >= operand;
        case 0x31:
            return value > operand;
        default:
            return 0;
    }
}

}  // namespace script

const ScriptServices& GameScriptServices() { return kGame; }
const ScriptServices& GetScriptServices() { return script::Calls(); }
void SetScriptServices(const ScriptServices* services) { g_services = services; }

void SetMenuResult(int value) {
    // A click stays until a script step has seen it.
    if (value == 0 && g_menuresult != 0 && !g_menuseen) return;
    g_menuresult = value;
    g_menuseen = 0;
}
int GetMenuResult() { return g_menuresult; }

void ResetScriptState() {
    g_menuresult = g_menuseen = 0;
    for (auto& name : g_names) name[0] = 0;
}

const char* GetScriptName(int slot) {
    return slot >= 0 && slot < kAircraftSlots ? g_names[slot] : "";
}

int PlaceScript(int slot, const uint8_t* bytes, size_t size, const char* name) {
    AircraftRecord* a = AircraftAt(slot);
    if (!a || !a->script) return 0;
    const Name copy(name);
    name = copy.text;
    const size_t n = std::min(size, size_t(kScriptBufferSize));
    if (n && bytes) std::memmove(a->script, bytes, n);
    Loaded(slot, *a, bytes ? n : 0, name);
    return 1;
}

int LoadScript(int slot, const char* name) {
    AircraftRecord* a = AircraftAt(slot);
    if (!a || !name) return 0;
    const Name copy(name);
    name = copy.text;
    if (ReadInto(slot, *a, name)) {
        TraceLoad(slot, name, 1);
        return 1;
    }
    char text[128];
    std::snprintf(text, sizeof text, "errを出したのは[%s]%dだよ", a->callsign, slot);
    script::Calls().warn(text);
    Emptied(slot, *a, name);
    TraceLoad(slot, name, 0);
    return 0;
}

int GetMoveScript(int aircraft, const char* name) {
    AircraftRecord* a = AircraftAt(aircraft);
    if (!a || !a->script || !name) return 0;
    const Name copy(name);
    name = copy.text;
    if (!script::Calls().scriptExists(name)) return 0;
    if (ReadInto(aircraft, *a, name)) {
        TraceLoad(aircraft, name, 1);
        return 1;
    }
    Emptied(aircraft, *a, name);
    TraceLoad(aircraft, name, 0);
    return 0;
}

void RunAircraftScript(int slot) {
    AircraftRecord* ap = AircraftAt(slot);
    ObjectRecord* op = ObjectAt(slot);
    if (!ap || !op || ap->scriptpos < 0) return;
    AircraftRecord& a = *ap;
    const int tenSeconds = script::kFramesPerSecond * 10;
    if (a.waitcount >= 100) {
        ++a.waitcount;
        if ((a.waitcount - 100) % tenSeconds == 0) script::Calls().addStress(slot, 2);
    }
    if (a.reqtimer != 0) {
        ++a.reqtimer;
        if (a.reqtimer > script::kFramesPerSecond * 20) {
            a.reqtimer = 0;
            a.waitcount = 100;
        }
    }
    // A tick of scripts has run: a click handed over before it has been seen.
    g_menuseen = 1;
    if (a.timer > 0) {
        --a.timer;
        return;
    }
    if (!a.script) return;
    ScriptOp record;
    const size_t loaded = size_t(std::clamp(a.scriptlen, 0, kScriptBufferSize));
    // An unknown opcode, the end mark, and a record that does not lie whole inside the loaded
    // bytes all leave the script standing where it is.
    if (!DecodeScriptOp(a.script, loaded, size_t(a.scriptpos), &record)) return;
    const Step s{slot, a, *op, record, a.scriptpos};
    bool known = false;
    Outcome outcome = RunFlow(s, &known);
    if (!known && !script::RunAction(s, &outcome)) return;
    if (outcome == ADVANCE) a.scriptpos = s.pos + int32_t(record.size);
}
