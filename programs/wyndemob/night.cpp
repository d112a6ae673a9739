// wyndemob's 3D scenes at night: the night set-up, the approaches from the cockpit with the
// blinking approach light, and the snow.
#include "night.h"

#include <cstdio>

#include "scenes.h"

namespace {

DemoGlobals& G() { return DemoState(); }

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0}; }

tagKRNL* g_strobo = nullptr;  // the approach light (hplSTROBO)
tagKRNL* g_snow = nullptr;

void PlaceFlush(const FlushPose& p) {
    if (!g_strobo) return;
    if (p.scaled) {
        const tagKRN3D s = V(p.scale, p.scale, p.scale);
        KRNL_AbsMoveLayer(g_strobo, &p.pos, nullptr, &s);
    } else {
        KRNL_AbsMoveLayer(g_strobo, &p.pos, nullptr, nullptr);
    }
}

// The night set-up of every 3D scene: 6000 chips, the night lights and the night airport.
TourSetUp Night() {
    TourSetUp s = kDayTour;
    s.chips = 6000;
    s.airport = "port\\rjttn\\rjtt.plm";
    s.ltdir = V(30, -100, 0);
    const double ambient[3] = {10, 10, 10}, directional[3] = {40, 40, 80};
    for (int c = 0; c < 3; ++c) {
        s.light0[c] = ambient[c];
        s.light1[c] = directional[c];
    }
    return s;
}

// The night spirals: Demo2's lights fade in to the night's; the snow's turn the other way.
const TourLook kNightLook = {{10, 10, 10}, {40, 40, 80}, 0};
const TourLook kSnowLook = {{0, 10, 10}, {40, 40, 80}, 1};

void MakeSnow() {
    g_snow = MakeAutoSnow(G().hKRNL, 4800, 200, "etc\\snow.bmp");
    DemoTrace("snow %d %d", g_snow ? g_snow->no : 0, g_snow ? g_snow->count : 0);
}

void Approach(int second) {
    TourSetUp night = Night();
    night.groundz = -30;
    if (!TourStart(night)) return;
    DemoGlobals& g = G();
    g_strobo = DemoLayer("stlight");
    DemoShow("stlight", 1);
    DemoShow("blackboard", 0);
    if (second) {
        if (tagKRNL* port = DemoLayer("rjtt")) {
            const tagKRN3D at = V(-590, 0, -450), turn = V(0, 240, 0);
            KRNL_AbsMoveLayer(port, &at, &turn, nullptr);
        }
        DemoShow("nlight", 1);
    }
    g.cmVIEW = V(-700, 10, -600);
    g.cmROTATE = V(0, 90, 0);
    g.cmSCALE = V(1, 1, 1);
    g.cmZOOM = 35;
    DemoSceneGo("demo\\ending_short.wav");
    for (int segment = 1; segment <= APPROACH_SEGMENTS; ++segment) {
        const tagKRN3D eye = g.cmVIEW, rot = g.cmROTATE;
        if (!DemoSegment(ApproachLength(segment), [&](int t) {
                const CockpitPose p = CockpitAt(second, segment, t, eye, rot);
                g.cmVIEW = p.eye;
                g.cmROTATE = p.rot;
                DemoCamera(-10);
                if (p.flush) {
                    if (second)
                        FlushSet4(p.eye.x, p.eye.y, p.eye.z, t);
                    else
                        FlushSet3(p.eye.x, p.eye.y, p.eye.z, t);
                }
                g.iTIMEBASE = p.caption;
                Render();
            }))
            break;
    }
    g_strobo = nullptr;
    DemoSceneEnd();
}

}  // namespace

void FlushSet3(double x, double y, double z, int t) { PlaceFlush(FlushAt(3, x, y, z, t)); }
void FlushSet4(double x, double y, double z, int t) { PlaceFlush(FlushAt(4, x, y, z, t)); }

void Render2() {
    SetSnowCamera(g_snow, &G().cmVIEW, 200);
    Render();
}

void Demo1() {
    TourSetUp s = Night();
    s.groundz = -30;
    TourDemo1(s);
}

void Demo2() {
    TourSetUp s = Night();
    s.look = &kNightLook;
    TourSpiral(s, TOUR_DEMO2);
}

void Demo3() { Approach(0); }
void Demo4() { Approach(1); }

void Demo5() {
    TourSetUp s = Night();
    s.chips = 5000;
    s.blackboard = 0;
    s.nlight = 1;
    s.look = &kSnowLook;
    s.prepare = MakeSnow;
    s.render = Render2;
    TourSpiral(s, TOUR_DEMO2);
    g_snow = nullptr;
}

void RunNightScene(char first) {
    switch (first) {
        case '0':
            Demo1();
            break;
        case '1':
            Demo2();
            break;
        case '2':
            Demo3();
            break;
        case '3':
            Demo4();
            break;
        case '4':
            Demo5();
            break;
        case '5':
            Demo6();
            break;
        default:
            break;
    }
}
