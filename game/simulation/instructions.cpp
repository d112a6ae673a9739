// Instruction execution: each tick the instruction in an aircraft's status word makes it call a
// control position and start the exchange that hands it its next status, or drives the timed
// ground work (towing, push-back, service vehicles) one step.
#include <strings.h>

#include <cstring>

#include "controller/controller.h"
#include "simulation/simulation_internal.h"

namespace {

constexpr int kTowingStart = 3 * kTicksPerSec;   // the tow bar's connection
constexpr int kServiceWait = 10 * kTicksPerSec;  // after the service car left
constexpr int kPushStart = 6 * kTicksPerSec;     // from the tug's wave to the push
constexpr int kPushMove = 3 * kTicksPerSec;

// Ground events of the service cars: the first set, or the second on the apron area that has
// its own (`area` set).
constexpr int kUnloadEvent[2] = {10, 11};
constexpr int kFuelEvent[2] = {20, 23};

struct Tick {
    int slot;
    AircraftRecord& a;
    ObjectRecord& o;

    int Area() const { return a.area != 0 ? 1 : 0; }

    // Call p, result R: true when the position took the call (the exchange may still have
    // found no messages; the aircraft then calls again on the next tick).
    bool Call(int position, int32_t result) {
        if (!TryCallPosition(slot, position)) return false;
        StartStatusExchange(slot, position, result);
        return true;
    }
    bool CallNow(int position, int32_t result) {
        if (!TryCallPositionNow(slot, position)) return false;
        StartStatusExchange(slot, position, result);
        return true;
    }
    // A call whose start lights the strip in state `strip` and starts the request counter.
    bool CallLit(int position, int32_t result, int32_t strip) {
        if (!Call(position, result)) return false;
        a.strip = strip;
        a.waitcount = 1;
        return true;
    }
    void Take(int32_t status) { TakeStatus(slot, status); }

    // The service run of 0x72000 / 0x73000: loading starts once the timer is at most 599, the
    // refuelling ends below 300; true when the timer has run out.
    bool ServiceRun() {
        if (a.timer == 0) return true;
        if (o.state == 0 && a.timer <= 599) {
            if (!a.area) GroundEvent(slot, 21);
            o.state = 1;
        } else if (o.state == 1 && a.timer < 300) {
            if (!a.area) GroundEvent(slot, 22);
            o.state = 2;
        }
        return false;
    }
    // The push-back start of 0x74000-0x77000: the tug waves, then moves; true at its end.
    bool PushStart() {
        if (a.timer != 0) {
            if (o.state == 0 && a.timer < kPushStart) {
                GroundEvent(slot, 30);
                o.state = 1;
            } else if (o.state == 1 && a.timer < kPushMove) {
                GroundEvent(slot, 31);
                GroundEventCancel(slot, 20);
                o.state = 2;
            }
            return false;
        }
        if (o.state == 0) {
            a.timer = kPushStart;
            return false;
        }
        return true;
    }
    // The service cars arrive: 0x70000 / 0x71000.
    void ServiceArrives(int32_t status) {
        if (!IsGroundSupportFree()) return;
        GroundEvent(slot, 1000);
        GroundEvent(slot, 5);
        DrawStrip(slot);
        Take(status);
        GroundEvent(slot, kFuelEvent[Area()]);
        a.timer = 900;
        o.state = 0;
    }
    // The clearance request of 0x80000 / 0x81000: without an exchange for the instruction the
    // aircraft reads its departure route's message from the route table into its exchange block
    // so that the next call has one.
    void Clearance(int32_t result, int32_t block) {
        if (!TryCallPosition(slot, POSITION_DELIVERY)) return;
        if (!StartStatusExchange(slot, POSITION_DELIVERY, result)) {
            char name[sizeof a.name2 + 1] = {};
            std::memcpy(name, a.name2, sizeof a.name2);
            int group = -1, index = -1;
            FindSid(name, &group, &index);
            if (group >= 0 && group < kRouteGroups && index >= 0 && index < kRouteEntries) {
                a.emcode = block;
                a.emparam[0] = GetRouteTable().entry[group][index].value[0];
                a.emparam[1] = -1;
            }
        }
        a.waitcount = 1;
    }
    void Towing();
    void ScriptedCall();
    void Run(uint32_t instruction);
};

void Tick::Towing() {
    switch (a.strip) {
        case 0x300:
        case 0x600:
        case 0x700:
            a.strip = 0x402;
            a.timer = kTowingStart;
            a.reqtimer = 0;
            a.waitcount = 0;
            GroundEvent(slot, 30);
            break;
        case 0x400:
            if (a.timer != 0) break;
            GroundEvent(slot, 32);
            if (!IsGroundSupportFree()) break;
            Take(0x610c0);
            if (o.brdoff) {
                ShowPart(o.brdon, 0);
                ShowPart(o.brdoff, 1);
            }
            GroundEvent(slot, kUnloadEvent[Area()]);
            a.timer = 600;
            break;
        case 0x1300:
        case 0x1b00:
            o.speed = 0.0;
            a.strip = 0x1602;
            a.timer = 600;
            GroundEvent(slot, 30);
            break;
        case 0x1600:
            if (a.timer != 0) break;
            GroundEvent(slot, 32);
            Take(0x620c0);
            a.timer = 0;
            break;
        default:
            break;
    }
}

// The strip state a started scripted call sets, by its flags & 0xff00.
int32_t CallStripState(uint32_t flags) {
    switch (flags & 0xff00) {
        case 0x200:
            return 0x103;
        case 0x800:
            return 0x202;
        case 0x1000:
            return 0x302;
        case 0x2000:
            return 0x502;
        case 0x2c00:
            return 0x702;
        case 0x4800:
            return 0x1302;
        case 0x5000:
            return 0x1402;
        case 0x6800:
            return 0x1b02;
        default:
            return 0;
    }
}

void Tick::ScriptedCall() {
    if (a.linkedto != -1) return;
    const int p = a.call.position;
    int started = 0;
    if (TryCallPosition(slot, p)) {
        started = StartExchange(slot, p, a.call.result);
    } else if (p >= 0 && p < kExchangeRows && (a.call.flags & 0x10000) && !IsExchangeSpeaking(p) &&
               GetExchangeRows()[size_t(p)].timer > 0) {
        // The call may cut the closing pause of the row short.
        GetExchangeRows()[size_t(p)].timer = 0;
        started = StartExchange(slot, p, a.call.result);
    }
    if (!started || a.call.flags == 0) return;
    if (a.call.flags & 0x10) a.waitcount = 1;
    if (const int32_t s = CallStripState(a.call.flags)) a.strip = s;
}

void Tick::Run(uint32_t instruction) {
    switch (instruction) {
        case 0x10000:
            if (strcasecmp(a.typename_, "CES172") == 0) {
                if (Call(POSITION_TOWER, 0x12010)) {
                    a.waitcount = 1;
                    a.strip = 0x202;
                }
            } else if (Call(POSITION_APPROACH, 0x12010)) {
                a.waitcount = 1;
            }
            break;
        case 0x20000:
            if (Call(POSITION_TOWER, 0x22030)) {
                a.strip = 0x202;
                a.waitcount = 0;
                GroundEvent(slot, 1030);
            }
            break;
        case 0x21000:
            Take(0x26030);
            a.strip = 0x202;
            a.waitcount = 0;
            GroundEvent(slot, 1030);
            break;
        case 0x30000:
            Call(POSITION_TOWER, 0x32020);
            break;
        case 0x34000:
            if (Call(POSITION_DEPARTURE, 0x36020)) a.strip = 0x502;
            break;
        case 0x3a000:
            if (Call(POSITION_APPROACH, 0x19010)) a.strip = 0x103;
            break;
        case 0x40000:
            if (Call(POSITION_GROUND, 0x42150)) a.strip = 0x302;
            a.waitcount = 1;
            break;
        case 0x43000:
            switch (CheckTugForAircraft(slot)) {
                case 1:
                    if (!TryCallPositionNow(slot, POSITION_GROUND)) break;
                    GroundEvent(slot, 5);
                    StartStatusExchange(slot, POSITION_GROUND, 0x45000);
                    Take(0x45000);
                    break;
                case 2:
                    if (!TryCallPositionNow(slot, POSITION_GROUND)) break;
                    StartStatusExchange(slot, POSITION_GROUND, 0x45000);
                    Take(0x45000);
                    break;
                default:
                    RemoveFromWaitList(POSITION_GROUND, slot + 1);
                    break;
            }
            break;
        case 0x44000:
        case 0x9a000:
            if (a.holding == 0) a.waitcount = 0;
            break;
        case 0x46000:
            if (IsGroundSupportFree()) {
                GroundEvent(slot, 5);
                Take(0x48000);
            }
            break;
        case 0x47000:
            if (TryCallPositionNow(slot, POSITION_GROUND)) {
                StartStatusExchange(slot, POSITION_GROUND, 0x45000);
                Take(0x45000);
                a.waitcount = 1;
            }
            break;
        case 0x50000:
            if (Call(POSITION_TOWER, 0x51000)) a.waitcount = 1;
            break;
        case 0x54000:
            a.runway = 1;
            a.mark = 1;
            Call(POSITION_TOWER, 0x55000);
            break;
        case 0x56000:
            Call(POSITION_TOWER, 0x55000);
            break;
        case 0x60000:
            Towing();
            break;
        case 0x61000:
            if (a.timer != 0) break;
            Take(0x620c0);
            GroundEventCancel(slot, 10);
            a.timer = kServiceWait;
            break;
        case 0x62000:
            if (a.timer != 0) break;
            Take(0x630c0);
            a.strip = (a.strip & 0x1000) ? 0x1f02 : 0xf02;
            break;
        case 0x63000:
            if (a.strip != 0) break;
            Take(0x69000);
            ResetAircraftOrders(slot, 1);
            break;
        case 0x68000:
            a.reqtimer = 0;
            a.waitcount = 0;
            break;
        case 0x69000:
            a.reqtimer = 0;
            a.waitcount = 0;
            // A parked aircraft leaves the player's hands once it stands still.
            if (GetSelectedAircraft() == slot && o.speed == 0.0) {
                HideCommandMenu();
                SetSelectedAircraft(-1);
                SetDefaultCamera(30, 0);
                HideFlightInfo();
            }
            break;
        case 0x70000:
            ServiceArrives(0x720c0);
            break;
        case 0x71000:
            ServiceArrives(0x730c0);
            break;
        case 0x72000:
            if (ServiceRun()) Take(0x800d0);
            break;
        case 0x73000:
            if (ServiceRun()) Take(a.area ? 0xd0000 : 0x810d0);
            break;
        case 0x74000:
        case 0x75000:
        case 0x76000:
        case 0x77000: {
            // The status after the push start, and whether the tug is given back then.
            static constexpr struct {
                int32_t status;
                bool release;
            } kPushEnd[] = {{0x900f0, false}, {0x91120, true}, {0x1e0000, false}, {0x1e1000, true}};
            const auto& end = kPushEnd[(instruction - 0x74000) >> 12];
            if (!PushStart()) break;
            if (end.release) GroundEventCancel(slot, 5);
            Take(end.status);
            break;
        }
        case 0x80000:
            Clearance(0x820e0, 0x80000);
            break;
        case 0x81000:
            Clearance(0x83120, 0x81000);
            break;
        case 0x88000:
            CallLit(POSITION_GROUND, 0x89000, 0x1302);
            break;
        case 0x8a000:
            CallLit(POSITION_TOWER, 0x8b000, 0x1402);
            break;
        case 0x90000:
            if (CallLit(POSITION_GROUND, 0x920f0, 0x1302)) GroundEvent(slot, 1010);
            break;
        case 0x91000:
            if (CallLit(POSITION_GROUND, 0x93120, 0x1302)) GroundEvent(slot, 1010);
            break;
        case 0x96000:
            if (Call(a.position, 0x98120)) {
                a.waitcount = 1;
                GroundEventCancel(slot, 5);
                if (GetScenarioHeader().night) ShowPart(o.frlight, 1);
            }
            break;
        case 0xa0000:
            if (TryCallPosition(slot, POSITION_TOWER)) {
                a.strip = 0x1402;
                StartStatusExchange(slot, POSITION_TOWER, 0xa20b0);
            }
            a.waitcount = 1;
            break;
        case 0xa6000:
            if (TryCallPositionNow(slot, POSITION_TOWER)) {
                a.strip = 0x1704;
                StartStatusExchange(slot, POSITION_TOWER, 0xa7000);
            }
            break;
        case 0xac000:
            if (TryCallPositionNow(slot, POSITION_TOWER)) {
                a.strip = 0x1704;
                StartStatusExchange(slot, POSITION_TOWER, 0xad000);
                ClearAircraftRoute(slot);
            }
            break;
        case 0xb1000:
            if (TryCallPosition(slot, POSITION_DEPARTURE)) {
                a.strip = 0x1502;
                StartStatusExchange(slot, POSITION_DEPARTURE, 0xb3130);
            }
            break;
        case 0xd0000:
            if (Call(POSITION_GROUND, 0xd1000)) a.waitcount = 1;
            break;
        case 0xd3000:
            Call(POSITION_GROUND, 0xd4000);
            break;
        case 0xf0000:
            // An emergency does not wait for a busy tower.
            if (!CallNow(POSITION_TOWER, 0x26030)) {
                Take(0x26030);
                RemoveFromWaitList(POSITION_TOWER, slot + 1);
            }
            break;
        case 0xf1000:
            Call(POSITION_TOWER, 0xb4130);
            break;
        case 0x1f0000:
            switch (CheckTugForAircraft(slot)) {
                case 1:
                    GroundEvent(slot, 5);
                    Take(0x1f1000);
                    break;
                case 2:
                    Take(0x1f1000);
                    break;
                default:
                    break;
            }
            break;
        case 0x300000:
            ScriptedCall();
            break;
        default:
            break;
    }
}

}  // namespace

void ExecuteInstruction(int slot) {
    AircraftRecord* a = AircraftAt(slot);
    ObjectRecord* o = ObjectAt(slot);
    if (!a || !o || a->status == 0 || a->talking) return;
    Tick{slot, *a, *o}.Run(StatusInstruction(a->status));
}
