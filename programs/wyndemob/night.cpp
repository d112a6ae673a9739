// wyndemob's 3D scenes at night: the night set-up, the approaches from the cockpit with the
// blinking approach light, and the snow.
#include "night.h"

#include <cstdio>

namespace {

DemoGlobals& G() { return DemoState(); }

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0}; }

tagKRNL* g_strobo = nullptr;  // the approach light (hplSTROBO)
tagKRNL* g_snow = nullptr;

void Move(const char* name, const tagKRN3D& at) {
    if (tagKRNL* l = DemoLayer(name)) KRNL_AbsMoveLayer(l, &at, nullptr, nullptr);
}

void PlaceFlush(const FlushPose& p) {
    if (!g_strobo) return;
    if (p.scaled) {
        const tagKRN3D s = V(p.scale, p.scale, p.scale);
        KRNL_AbsMoveLayer(g_strobo, &p.pos, nullptr, &s);
    } else {
        KRNL_AbsMoveLayer(g_strobo, &p.pos, nullptr, nullptr);
    }
}

// The night set-up: the scene's engine with `chips` chips, the night lights and the night
// airport with the airport set-up. 0 when the scene cannot start.
int NightSetUp(int chips) {
    if (!DemoSceneStart(chips, "demo\\song.umz")) return 0;
    G().ltDIR = V(30, -100, 0);
    DemoLights(DemoColour(10, 10, 10), DemoColour(40, 40, 80));
    if (!KRNL_LoadLayer(G().hKRNL, "port\\rjttn\\rjtt.plm", 0))
        std::fprintf(stderr, "wyndemob: port\\rjttn\\rjtt.plm cannot be loaded\n");
    Move("ground", V(0, 9, 0));
    for (int n = 0; n <= 6; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "bdg%dmv2", n);
        DemoShow(name, 0);
    }
    DemoShow("spotplate", 0);
    DemoShow("rwplate", 0);
    return 1;
}

void Approach(int second) {
    if (!NightSetUp(6000)) return;
    DemoGlobals& g = G();
    Move("ground", V(0, 9, -30));
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

void Demo3() { Approach(0); }
void Demo4() { Approach(1); }

void RunNightScene(char first) {
    switch (first) {
        case '2':
            Demo3();
            break;
        case '3':
            Demo4();
            break;
        case '5':
            Demo6();
            break;
        default:
            break;
    }
}
