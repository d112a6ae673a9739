// Model parts: the named layers of an aircraft's model that creation finds and the simulation
// switches by a part code, and the aircraft-wide actions that travel with the same call.
#include <cstdio>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/simulation_internal.h"

namespace {

int g_spraying = 0;  // slot + 1 of the vehicle whose water pipe is out

tagKRNL* Find(tagKRNL* layer, const char* name) {
    return layer ? KRNL_SearchLayer(layer, name) : nullptr;
}

// A pair switched when the part tested is there: the hidden one first.
void SwitchPair(tagKRNL* test, tagKRNL* hide, tagKRNL* show) {
    if (!test) return;
    ShowPart(hide, 0);
    ShowPart(show, 1);
}

void TurnNoseGear(int slot, double angle) {
    const ObjectRecord* o = ObjectAt(slot);
    AircraftRecord* a = AircraftAt(slot);
    if (o->nosegear) {
        const tagKRN3D rotate{0, angle, 0, 0};
        KRNL_AbsMoveLayer(o->nosegear, nullptr, &rotate, nullptr);
    }
    if (angle == 0) {
        if (a->holding == 2) {
            a->holding = 0;
            if (GetSelectedAircraft() == slot) BuildCommandMenu(slot);
        }
        return;
    }
    a->reqtimer = 0;
    a->waitcount = 0;
    if (a->holding == 0) {
        a->holding = 2;
        if (GetSelectedAircraft() == slot) BuildCommandMenu(slot);
    }
}

// The aircraft leaves the scene, its object deleted or (0x6002) left standing.
void LeaveScene(int slot, bool deleteObject) {
    if (GetSelectedAircraft() == slot) {
        HideCommandMenu();
        SetSelectedAircraft(-1);
        SetDefaultCamera(30, 0);
        HideFlightInfo();
    }
    if (deleteObject) DeleteObject(slot);
    ClearRadarLabel(slot);
    AircraftRecord* a = AircraftAt(slot);
    a->strip = (a->strip & 0x1000) | 0xf02;
}

}  // namespace

void ShowPart(tagKRNL* part, int on) {
    if (part) KRNL_RecallFunction(KRNLOP_SWITCH, part, 0, on, 0);
}

void FindModelParts(int slot, const char* body) {
    ObjectRecord* o = ObjectAt(slot);
    if (!o) return;
    tagKRNL* l = o->layer;
    o->body = Find(l, body);
    if (!o->body) o->body = l;
    o->shadow = Find(l, "shadow");
    o->tire = Find(l, "tire");
    o->nosegear = Find(l, "nosegear");
    o->gearup = Find(l, "gearup");
    o->flapup = Find(l, "flapup");
    o->flapdown = Find(l, "flapdown");
    if (!o->flapdown) o->flapdown = o->flapup;
    o->revoff = Find(l, "revoff");
    o->revon = Find(l, "revon");
    if (!o->revon) o->revon = o->revoff;
    o->dragshoot = Find(l, "dragshoot");
    o->afterburner = Find(l, "afterburner");
    o->hatchclose = Find(l, "hatchclose");
    o->hatchopen = Find(l, "hatchopen");
    o->brdoff = Find(l, "brdoff");
    // Propeller frames: the turning disc stands in for frames a model lacks, and the blades at
    // rest for a model without a disc.
    tagKRNL* brd0 = Find(l, "brd0");
    tagKRNL* brdon = Find(l, "brdon");
    if (brd0) {
        o->blades[0] = brd0;
        o->blades[1] = Find(l, "brd1");
        o->blades[2] = Find(l, "brd2");
        for (tagKRNL*& b : o->blades)
            if (!b) b = brd0;
        o->brdon = brdon ? brdon : o->brdoff;
    } else if (brdon) {
        o->brdon = o->blades[0] = o->blades[1] = o->blades[2] = brdon;
    } else {
        o->brdon = o->brdoff;
        o->blades[0] = o->blades[1] = o->blades[2] = nullptr;
    }
    o->nlight = Find(l, "nlight");
    o->atlight = Find(l, "atlight");
    o->ldlightm = Find(l, "ldlightm");
    o->ldlightl = Find(l, "ldlightl");
    o->ldlightr = Find(l, "ldlightr");
    o->frlight = Find(l, "frlight");
}

void FindVehicleParts(int slot) {
    ObjectRecord* o = ObjectAt(slot);
    if (!o) return;
    o->flapup = Find(o->layer, "paipu1");
    o->flapdown = Find(o->layer, "paipu2");
    o->brdon = Find(o->layer, "water1");
    o->blades[0] = Find(o->layer, "water2");
    o->blades[1] = Find(o->layer, "water3");
    o->blades[2] = Find(o->layer, "water4");
}

void SetLandingLights(int slot, int on) {
    const ObjectRecord* o = ObjectAt(slot);
    if (!o->ldlightm) return;
    ShowPart(o->ldlightm, on);
    ShowPart(o->ldlightl, on);
    ShowPart(o->ldlightr, on);
    AircraftAt(slot)->ldlights = on;
}

void SetPropellers(int slot, int turning) {
    const ObjectRecord* o = ObjectAt(slot);
    if (!turning) return SwitchPair(o->brdoff, o->brdon, o->brdoff);
    SwitchPair(o->brdoff, o->brdoff, o->brdon);
    if (!o->brdoff) return;
    for (tagKRNL* b : o->blades) ShowPart(b, 0);
    ShowPart(o->blades[0], 1);
}

int GetSprayingVehicle() { return g_spraying; }

int SetModelPart(int slot, int code) {
    ObjectRecord* o = ObjectAt(slot);
    AircraftRecord* a = AircraftAt(slot);
    if (!o || !a) return 1;
    switch (code) {
        case 0x1000:
            if (o->tire) ShowPart(o->tire, 0);
            if (o->gearup) ShowPart(o->gearup, 1);
            SetLandingLights(slot, 0);
            break;
        case 0x1001:
            if (o->tire) ShowPart(o->tire, 1);
            if (o->gearup) ShowPart(o->gearup, 0);
            break;
        case 0x1010:
            TurnNoseGear(slot, 90);
            break;
        case 0x1011:
            TurnNoseGear(slot, 0);
            break;
        case 0x1012:
            TurnNoseGear(slot, -90);
            break;
        case 0x2000:
            SwitchPair(o->flapup, o->flapdown, o->flapup);
            break;
        case 0x2001:
            SwitchPair(o->flapup, o->flapup, o->flapdown);
            break;
        case 0x3000:
            SwitchPair(o->revoff, o->revon, o->revoff);
            break;
        case 0x3001:
            SwitchPair(o->revoff, o->revoff, o->revon);
            break;
        case 0x3010:
            ShowPart(o->dragshoot, 1);
            break;
        case 0x3011:
            ShowPart(o->dragshoot, 0);
            break;
        case 0x4000:
            SetPropellers(slot, 0);
            // The ground-support animation turns the propellers of the aircraft it names only
            // while they run.
            if (GetPropellerSelector() == slot + 1) SetPropellerSelector(0);
            break;
        case 0x4001:
            SetPropellers(slot, 1);
            if (o->brdoff) SetPropellerSelector(slot + 1);
            break;
        case 0x5000:
            if (IsGroundSupportFree() != 1) return 0;
            GroundEvent(slot, 6);
            break;
        case 0x5001:
            GroundEventCancel(slot, 5);
            break;
        case 0x6000:
            LeaveScene(slot, true);
            break;
        case 0x6001:
            a->phase = 0;
            break;
        case 0x6002:
            LeaveScene(slot, false);
            break;
        case 0x7000:
            SetLandingLights(slot, 0);
            break;
        case 0x7001:
            SetLandingLights(slot, 1);
            break;
        case 0x8000:
            ShowPart(o->flapup, 0);
            ShowPart(o->flapdown, 1);
            g_spraying = slot + 1;
            break;
        case 0x8001:
            ShowPart(o->flapdown, 0);
            ShowPart(o->flapup, 1);
            // Only a vehicle remembered by 0x8000 has water parts to put away.
            if (const ObjectRecord* v = ObjectAt(g_spraying - 1)) {
                ShowPart(v->brdon, 0);
                for (tagKRNL* b : v->blades) ShowPart(b, 0);
            }
            g_spraying = 0;
            break;
        case 0x9000:
            GroundEvent(slot, 30);
            break;
        case 0x9001:
            GroundEvent(slot, 31);
            break;
        case 0xa000:
            ShowPart(o->afterburner, 1);
            break;
        case 0xa001:
            ShowPart(o->afterburner, 0);
            break;
        case 0xb000: {
            SmokeSource& s = GetSmokeSource();
            s.offset = tagKRN3D{0, 0, -75, 0};
            s.slot = slot;
            SetEmitter(GetSmokeLayer(), 0, 0.0, 6000, 2, 30, 3000);
            s.on = 1;
            break;
        }
        case 0xb001:
            GetSmokeSource().on = 0;
            break;
        case 0xc000:
            GroundEvent(slot, 40);
            a->timer = 5 + ZEM_Random(0, 5);
            break;
        case 0xc010:
            SwitchPair(o->hatchclose, o->hatchclose, o->hatchopen);
            break;
        case 0xc011:
            SwitchPair(o->hatchclose, o->hatchopen, o->hatchclose);
            break;
        default:
            break;
    }
    return 1;
}
