// The aircraft move script's action opcodes: movement targets and phases, formation links, the
// tables the command menu and the choices are built from, status, radio, sounds, creation and
// the stage's end.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "simulation/script_internal.h"

namespace script {
namespace {

// Relative IDs: a negative operand counts from the aircraft's own ID.
int Plus(const AircraftRecord& a, int32_t id) {
    return id < 0 ? int(uint32_t(a.id) + uint32_t(id)) : id;
}
int Minus(const AircraftRecord& a, int32_t id) {
    return id < 0 ? int(uint32_t(a.id) - uint32_t(id)) : id;
}

void Point(AircraftRecord& a, int32_t x, int32_t z) {
    a.point.x = x;
    a.point.z = z;
}

void PhaseAndCopy(AircraftRecord& a, int phase) { a.phase = a.basephase = phase; }

// Opcodes 40 and 43: the target speed, a tenth lower for a flagged model off its own ground.
void SpeedIn(int slot, int32_t knots, int32_t ticks) {
    AircraftRecord* a = AircraftAt(slot);
    const ObjectRecord* o = ObjectAt(slot);
    if (!a || !o) return;
    a->tspeed = Knots(knots);
    if ((o->hold & 2) && double(a->ground) != o->pos.y) a->tspeed *= 0.9;
    a->sstep = (a->tspeed - o->speed) / ticks;
}

// Opcodes 27 and 28: the take-off roll.
void TakeOff(const Step& s, int phase) {
    AircraftRecord& a = s.a;
    a.phase = phase;
    a.course = s.op.word[0];
    a.talt = a.ground;
    if (Calls().isRunwayWindOk(s.op.word[0], 0)) {
        Calls().addStripMemo(s.slot, "TAILWIND");
        if (GetConfig().level != 0) Calls().addStress(s.slot, 10);
    } else if (GetConfig().level != 0) {
        Calls().addScore(s.slot, 100, 0);
    }
    a.velocity = tagKRN3D{0, 0, 0, 0};
    a.dpitch = 0;
    s.o.state = 0;
    a.tspeed = Knots((s.o.hold & 2) ? 225 : 250);
    a.sstep = a.tspeed / 600;
    a.talt = Feet(double(a.ground) + 1000);
    a.plimit = 10.0;
}

// Opcodes 24 and 25: the landing configuration.
void Landing(const Step& s, int phase) {
    AircraftRecord& a = s.a;
    Point(a, s.op.word[0], s.op.word[1]);
    a.point.y = a.talt = a.ground;
    a.course = s.op.word[2];
    a.dpitch = 0;
    s.o.state = s.o.step = 0;
    a.phase = phase;
}

void Follow(AircraftRecord& a) {
    a.leader = -1;
    a.offset = tagKRN3D{0, 0, 0, 0};
    a.offsetmode = a.catchup = a.joinsteps = 0;
    a.joinspeed = a.catchstep = 0;
}

// Copies eight words into a menu-list entry, in the entry's field order.
void ListWords(MenuListEntry& e, const int32_t* w) {
    e.code = w[0];
    e.position = w[1];
    std::copy(w + 2, w + 6, e.msg);
    e.reply = w[6];
    e.flags = uint32_t(w[7]);
}

Outcome AppendList(const Step& s, int list, const int32_t* w, const char* text, const char* text2) {
    AircraftRecord& a = s.a;
    int& count = a.menucount[list];
    if (count < 0 || count >= int(std::size(a.menulist[list])))
        return Fault(s, "the menu-entry list is full");
    MenuListEntry& e = a.menulist[list][count++];
    ListWords(e, w);
    CopyField(e.name, sizeof e.name, text);
    CopyField(e.name2, sizeof e.name2, text2);
    return ADVANCE;
}

// Opcode 300: whether the mode lets the operand replace the status.
bool StatusMode(int mode, int32_t operand, int32_t status) {
    switch (mode) {
        case 0:
            return true;
        case 1:
            return operand > status;
        case 2:
            return operand < status;
        case 3:
            return operand >= status;
        case 4:
            return operand <= status;
        default:
            return false;
    }
}

// Opcode 630: the runway-text case (character `runway` of the first runway text is "0").
Outcome Setting(const Step& s) {
    AircraftRecord& a = s.a;
    const int32_t kind = s.op.word[0], value = s.op.word[1];
    if (kind == 0) {
        a.setting = value;
    } else if (kind == 0x130) {
        const char* runways = GetStageRunways().runways;
        const int64_t n = int64_t(a.runway) - 1;
        if (n < 0 || n >= int(std::strlen(runways)))
            return Fault(s, "no runway text character of runway");
        if (runways[n] == '0') a.setting = value;
    } else {
        const int slots = int(std::size(GetScenarioHeader().world.routesets));
        if (a.approach < 0 || a.approach >= slots) return Fault(s, "no such configuration slot");
        if (GetScenarioHeader().world.routesets[a.approach] == int64_t(kind) - 0x100)
            a.setting = value;
    }
    return ADVANCE;
}

// Opcode 710: the radio text window, its voice and the wait for it.
Outcome TextWindow(const Step& s) {
    const int32_t* w = s.op.word;
    const ScriptServices& calls = Calls();
    calls.drawRadioText(w[0], w[1], s.op.text[0], w[2]);
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "VOICE\\%s.wav", s.op.text[1]);
    if (calls.fileExists(path)) {
        const int bytes = calls.playVoice(path);
        if (calls.getRadioTextCountdown() == -1)
            calls.setRadioTextCountdown(int(int64_t(bytes) * 30 / 11025) + 30);
    }
    // A negative wait (the window stays until the player acts) delays nothing.
    const int wait = calls.getRadioTextCountdown();
    s.a.timer = wait > 0 ? wait : 0;
    return ADVANCE;
}

Outcome Create(const Step& s) {
    const int32_t* w = s.op.word;
    FlightRecord r{};
    r.time = GetGameClock().clock;
    r.id = w[0];
    r.x = w[1];
    r.z = w[2];
    r.feet = w[3];
    r.knots = w[4];
    r.heading = w[5];
    r.flight = w[6];
    CopyField(r.airline, 8, s.op.text[0]);
    CopyField(r.type, 8, s.op.text[1]);
    CopyField(r.port, 8, s.op.text[2]);
    r.livery = w[7];
    r.schedule = w[8];
    r.sched = w[9];
    r.kind = w[10];
    r.flags = w[11];
    r.plan = 0;
    CopyField(r.script, 16, s.op.text[3]);
    Calls().createAircraft(r, 1, 0);
    return ADVANCE;
}

Outcome Ready(const Step& s) {
    const int32_t* w = s.op.word;
    ReadyRecord r{};
    r.time = GetGameClock().clock;
    r.id = w[0];
    r.flight = w[1];
    r.quantity = w[2];
    r.kind = w[3];
    CopyField(r.script, 16, s.op.text[0]);
    Calls().createAircraftById(r, 1, 0);
    return ADVANCE;
}

Outcome Sound(const Step& s) {
    const char* name = s.op.text[0];
    char path[MAX_PATH];
    if (name[0] == '$') {
        if (name[1] != 'T' && name[1] != 't') return ADVANCE;
        std::snprintf(path, sizeof path, "SE\\T%s.wav", s.a.typename_);
    } else {
        std::snprintf(path, sizeof path, "SE\\%s.wav", name);
    }
    Calls().playEffectWave(path, &s.o.pos);
    return ADVANCE;
}

}  // namespace

bool RunAction(const Step& s, Outcome* outcome) {
    AircraftRecord& a = s.a;
    ObjectRecord& o = s.o;
    const int32_t* w = s.op.word;
    const char* const* text = s.op.text;
    const ScriptServices& calls = Calls();
    Outcome r = ADVANCE;
    switch (s.op.opcode) {
        case 20:
            Point(a, w[0], w[1]);
            CopyField(a.portword, sizeof a.portword, text[0]);
            if (a.phase == PHASE_MANOEUVRE)
                o.state = 0x10000;
            else
                a.phase = PHASE_FLY_TO_POINT;
            break;
        case 24: {
            Landing(s, PHASE_LANDING_SPECIAL);
            a.subchoice = w[3];
            ShowPart(o.tire, 1);
            ShowPart(o.gearup, 0);
            ShowPart(o.flapup, 0);
            if (o.flapup) ShowPart(o.flapdown, 1);
            break;
        }
        case 25:
            Landing(s, PHASE_LANDING);
            ShowPart(o.tire, 1);
            ShowPart(o.gearup, 0);
            ShowPart(o.flapup, 0);
            if (o.flapup) ShowPart(o.flapdown, 1);
            break;
        case 27:
            TakeOff(s, PHASE_TAKEOFF);
            break;
        case 28:
            TakeOff(s, PHASE_TOUCH_AND_GO);
            a.vrotate = Knots(w[1]);
            break;
        case 30:
            a.course = w[0];
            if (a.phase == PHASE_MANOEUVRE)
                o.state = 0;
            else
                a.phase = PHASE_FLY_HEADING;
            break;
        case 31:
            a.tlimit = double(w[0]) / kFramesPerSecond;
            a.plimit = w[1];
            a.prate = double(w[2]) / kFramesPerSecond;
            break;
        case 32:
            a.course = w[0];
            a.phase = PHASE_MANOEUVRE;
            o.state = 0xd000;
            break;
        case 33:
            a.levelbank = w[0];
            break;
        case 34:
            a.course = w[0];
            a.phase = PHASE_MANOEUVRE;
            o.state = 0;
            break;
        case 35:
        case 37: {
            const bool away = s.op.opcode == 37;
            Point(a, w[0], w[1]);
            a.course = away ? Degrees(int64_t(w[2]) + 180) : w[2];
            if (a.phase == PHASE_MANOEUVRE) {
                o.state = away ? 0x11000 : 0xf000;
                away ? TurnAndMoveRadius2(s.slot) : TurnAndMoveRadius(s.slot);
            } else {
                PhaseAndCopy(a, away ? PHASE_INTERCEPT_B : PHASE_INTERCEPT);
                away ? TurnAndMoveSharp(s.slot) : TurnAndMove(s.slot);
                o.state = 0;
            }
            break;
        }
        case 39:
            Point(a, w[0], w[1]);
            a.point.y = a.talt = Feet(w[2]);
            a.course = w[3];
            o.state = 0;
            a.phase = PHASE_DIRECT_TO_POINT;
            break;
        case 40:
            SpeedIn(s.slot, w[0], w[1]);
            break;
        case 41:
            a.tspeed = Knots(w[0]);
            a.sstep = Knots(w[1]) / kFramesPerSecond;
            if (o.speed > a.tspeed) a.sstep = -a.sstep;
            break;
        case 42: {
            const int leader = InPlay(Plus(a, w[0]));
            if (leader < 0) break;
            a.leader = leader;
            a.catchup = w[1];
            a.joinspeed = Knots(w[2]);
            a.catchstep = Knots(w[3]);
            break;
        }
        case 43: {
            SpeedIn(s.slot, w[0], w[1]);
            const int links = std::min(a.links, int(std::size(a.linked)));
            for (int k = 0; k < links; ++k) SpeedIn(a.linked[k], w[0], w[1]);
            break;
        }
        case 50:
        case 51:
            a.talt = Feet(w[0]);
            a.plimit = a.talt < o.pos.y ? -double(w[1]) : double(w[1]);
            if (s.op.opcode == 51) a.prate = double(w[2]) / kFramesPerSecond;
            break;
        case 60: {
            const AirportRecord* airport = GetAirportRecord();
            if (!airport || w[0] < 0 || w[0] >= kAirportSpots) {
                r = Fault(s, "no such spot of the airport");
                break;
            }
            const AirportPlace& spot = airport->spots[w[0]];
            Point(a, spot.x / 100, spot.z / 100);
            a.course = spot.heading;
            PhaseAndCopy(a, PHASE_SPOT_IN);
            o.state = 0;
            if (a.area) a.choice = w[0] + 1;
            break;
        }
        case 61: {
            Point(a, Whole(o.pos.x), Whole(o.pos.z));
            a.course = Degrees(Whole(o.angle.y));
            PhaseAndCopy(a, PHASE_SPOT_IN);
            o.state = 0x11;
            break;
        }
        case 70:
            Point(a, w[0], w[1]);
            a.course = w[2];
            PhaseAndCopy(a, PHASE_PUSHBACK);
            TurnAndMoveBack(s.slot);
            a.tspeed = Knots(20);
            a.sstep = a.tspeed * 0.005;
            o.state = 0;
            break;
        case 80:
            Point(a, w[0], w[1]);
            a.course = w[2];
            PhaseAndCopy(a, PHASE_TAXI_TO_POINT);
            o.state = 0;
            break;
        case 82:
            a.course = w[0];
            PhaseAndCopy(a, PHASE_FLY_HEADING);
            o.state = 0;
            break;
        case 90: {
            const int leader = InPlay(Plus(a, w[0]));
            if (leader < 0) break;
            a.leader = leader;
            a.offset = tagKRN3D{double(w[1]), Feet(w[3]), double(w[2]), 0};
            a.offsetmode = w[4];
            a.joinsteps = w[5];
            a.phase = PHASE_MANOEUVRE;
            o.state = 0xe000;
            break;
        }
        case 91: {
            const int f = InPlay(Minus(a, w[0]));
            AircraftRecord* b = AircraftAt(f);
            ObjectRecord* fo = ObjectAt(f);
            if (!b || !fo || b->leader != s.slot) break;
            Follow(*b);
            b->course = a.course;
            fo->speed = o.speed;
            fo->angle = o.angle;
            b->tspeed = a.tspeed;
            b->sstep = a.sstep;
            LoadScript(f, text[0]);
            fo->state = 0;
            // An aircraft that followed itself now runs the script it loaded.
            if (f == s.slot) r = MOVED;
            break;
        }
        case 92:
            a.formation = w[0] != 0;
            break;
        case 93: {
            AircraftRecord* t = AircraftAt(InPlay(Plus(a, w[0])));
            if (!t) break;
            if (t->links < 0 || t->links >= int(std::size(t->linked))) {
                r = Fault(s, "the link list is full");
                break;
            }
            t->linked[t->links++] = s.slot;
            break;
        }
        case 94: {
            AircraftRecord* t = AircraftAt(InPlay(Plus(a, w[0])));
            if (!t) break;
            if (t->links <= 0 || t->links > int(std::size(t->linked))) {
                r = Fault(s, "the link list is empty");
                break;
            }
            t->linked[--t->links] = 0;
            break;
        }
        case 135:
            a.ground = w[0];
            break;
        case 136:
            if (w[0] < 0 || w[0] >= kObjectSlots - kViewPointFirst) {
                r = Fault(s, "no such area");
                break;
            }
            a.area = w[0];
            a.ground = GetViewPoint(kViewPointFirst + w[0]).height;
            break;
        case 100: {
            const int index = calls.addMenuItem(w[0], 0, 0);
            if (MenuItem* item = index >= 0 ? calls.menuItem(index) : nullptr) {
                item->position = w[1];
                item->reply = w[2];
                item->flags = uint32_t(w[3]);
                std::copy(w + 4, w + 8, item->msg);
            }
            break;
        }
        case 110:
            if (s.slot == GetSelectedAircraft()) calls.clearCommandMenu();
            a.menucount[0] = a.menucount[1] = 0;
            break;
        case 120: {
            if (w[0] < 0 || w[0] >= int(std::size(a.items))) {
                r = Fault(s, "no such own menu item");
                break;
            }
            MenuItem& item = a.items[w[0]];
            item.code = 1;
            item.position = w[1];
            item.reply = w[2];
            item.flags = 0;
            std::copy(w + 3, w + 7, item.msg);
            break;
        }
        case 121:
        case 122: {
            if (w[0] < 0 || w[0] >= int(std::size(a.approachtab))) {
                r = Fault(s, "no such approach entry");
                break;
            }
            ApproachEntry& e = a.approachtab[w[0]];
            for (int k = 0; k < 3; ++k) {
                e.x[k] = w[1 + 2 * k];
                e.z[k] = w[2 + 2 * k];
            }
            std::copy(w + 7, w + 11, e.msg);
            CopyField(e.name, sizeof e.name, text[0]);
            for (int k = 0; k < 3; ++k)
                CopyField(e.variant[k], sizeof e.variant[k], s.op.opcode == 122 ? text[k] : "");
            e.variantsel = 0;
            a.approachitem = 0;
            break;
        }
        case 130: {
            if (w[0] < 0 || w[0] >= int(std::size(a.names))) {
                r = Fault(s, "no such candidate name");
                break;
            }
            CandidateName& c = a.names[w[0]];
            CopyField(c.name, sizeof c.name, text[0]);
            std::copy(w + 2, w + 6, c.words);
            break;
        }
        case 140: {
            const int spot = w[1];
            if (spot < 0 || spot >= kSpotGroups || spot >= int(std::size(a.names))) {
                r = Fault(s, "no spot group of that spot");
                break;
            }
            a.place = spot;
            const AirportRecord* airport = GetAirportRecord();
            CopyField(a.names[spot].name, sizeof a.names[spot].name,
                      airport ? airport->spots[spot].name : "");
            RouteName* line = &a.routenames[spot * kSpotGroupLines];
            for (int k = 0; k < kSpotGroupLines; ++k) {
                CopyField(line[k].name, sizeof line[k].name, text[2 * k]);
                CopyField(line[k].name2, 16, text[2 * k + 1]);
            }
            std::copy(w + 2, w + 6, line[0].msg);
            line[0].spare = w[0];
            break;
        }
        case 170:
            r = AppendList(s, 0, w, text[0], "");
            break;
        case 171: {
            if (w[0] < 0) {
                r = Fault(s, "no such menu-entry list");
                break;
            }
            r = AppendList(s, w[0] > 1 ? 0 : w[0], w + 1, text[0], text[1]);
            break;
        }
        case 10: {
            if (w[0] < 0 || w[0] > 5) {
                r = Fault(s, "no such position");
                break;
            }
            if (w[0] == 5) {
                r = calls.groundEvent(s.slot, 1050) ? ADVANCE : STAY;
                break;
            }
            const uint32_t code = (uint32_t(w[1]) << 16) + 0x200 + uint32_t(s.slot);
            if (!calls.pushExchangeMessage(w[0], code)) {
                r = STAY;
                break;
            }
            TakeStatus(s.slot, 0);
            break;
        }
        case 12:
            CopyField(a.callsign, sizeof a.callsign, text[0]);
            calls.clearRadarLabel(s.slot);
            calls.drawRadarLabel(s.slot);
            calls.drawStripCallsign(s.slot);
            break;
        case 101:
            calls.pushRadioMessage(s.slot, w[0], w[1], w[2], w[3], w[4], w[5]);
            break;
        case 102:
            calls.pushRadioText(s.slot, w[0], w[1], w[2], w[3], w[4], w[5], w[6], text[0]);
            break;
        case 300: {
            a.scriptpos = s.pos + int32_t(s.op.size);
            r = MOVED;
            if (!StatusMode(w[0], w[1], a.status)) break;
            if (a.links) calls.propagateStatus(s.slot, w[1]);
            a.status = w[1];
            if (s.slot == GetSelectedAircraft()) {
                if ((uint32_t(a.status) & 0x3b000) != 0x3b000) calls.buildCommandMenu(s.slot);
                calls.drawFlightInfo(s.slot);
            }
            if (a.waitcount >= 100) {
                calls.addStress(s.slot, 10);
                a.waitcount = 0;
            }
            break;
        }
        case 302: {
            if (w[0] >= 0) break;
            if (AircraftRecord* b = AircraftAt(InPlay(Minus(a, w[0])))) b->status = a.status;
            break;
        }
        case 310:
            calls.addStripMemo(s.slot, text[0]);
            break;
        case 400:
            r = calls.setModelPart(s.slot, w[0]) ? ADVANCE : STAY;
            break;
        case 410:
            r = Sound(s);
            break;
        case 420: {
            char path[MAX_PATH];
            std::snprintf(path, sizeof path, "%s.wav", text[0]);
            calls.playOneShotWave(path);
            break;
        }
        case 600:
            calls.declareEmergency(s.slot, w[0], w[1], w[2], w[3], w[4]);
            break;
        case 602: {
            if (w[0] < 0 || w[0] >= kPositionCount) {
                r = Fault(s, "no such position");
                break;
            }
            const uint32_t flags = uint32_t(w[2]);
            const bool level0 = GetConfig().level == 0;
            if ((level0 && (flags & 0x100000)) || (!level0 && (flags & 0x200000))) break;
            a.call = CallBlock{w[0], w[1], flags, {w[3], w[4], w[5], w[6]}};
            break;
        }
        case 610:
            CopyField(a.portword, sizeof a.portword, text[0]);
            break;
        case 620:
            CopyField(a.name2, sizeof a.name2, text[0]);
            break;
        case 630:
            r = Setting(s);
            break;
        case 710:
            r = TextWindow(s);
            break;
        case 800:
            r = Ready(s);
            break;
        case 810: {
            if (ObjectRecord* t = ObjectAt(InPlay(w[0]))) t->hold = w[1] != 0;
            break;
        }
        case 830:
            r = Create(s);
            break;
        case 850:
            GetGameClock().end = GetGameClock().clock;
            break;
        default:
            return false;
    }
    *outcome = r;
    return true;
}

}  // namespace script
