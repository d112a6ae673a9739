// wyndemoa's scenes: two daytime tours, a day in time-lapse with clouds, the evening tours and
// the fleet review with the staff roll. Each follows the frame's skeleton: start, set-up,
// segments that stop on a click or the close box, end.
#include "scenes.h"

#include <cstdio>
#include <cstring>

namespace {

DemoGlobals& G() { return DemoState(); }

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0}; }

void Move(const char* name, const tagKRN3D& at) {
    if (tagKRNL* l = DemoLayer(name)) KRNL_AbsMoveLayer(l, &at, nullptr, nullptr);
}

void Turn(tagKRNL* l, double y) {
    if (!l) return;
    const tagKRN3D r = V(0, y, 0);
    KRNL_AbsMoveLayer(l, nullptr, &r, nullptr);
}

void Load(tagKRNL* parent, const char* path, int slot) {
    if (!KRNL_LoadLayer(parent, path, slot))
        std::fprintf(stderr, "wyndemoa: %s cannot be loaded\n", path);
}

void Camera(const tagKRN3D& eye, const tagKRN3D& rot, double zoom) {
    G().cmVIEW = eye;
    G().cmROTATE = rot;
    G().cmSCALE = V(1, 1, 1);
    G().cmZOOM = zoom;
}

void AirportSetUp(const char* airport = "port\\rjtt\\rjtt.plm") {
    Load(G().hKRNL, airport, 0);
    Move("ground", V(0, 9, 0));
    for (int n = 0; n <= 6; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "bdg%dmv2", n);
        DemoShow(name, 0);
    }
    DemoShow("spotplate", 0);
    DemoShow("rwplate", 0);
}

// The sky panels' textures replaced by "<folder><prefix><n>.bmp".
void SwapSky(const char* prefix) {
    for (int n = 0; n < 8; ++n) {
        char path[64], name[16];
        std::snprintf(path, sizeof path, "port\\rjtt\\%s%d.bmp", prefix, n);
        std::snprintf(name, sizeof name, "sky%d", n);
        tagKRNL* l = DemoLayer(name);
        const DWORD_PTR fresh = KRN_ReadTexture(G().hKRN, path, 0);
        if (!fresh) continue;
        if (l && l->texture.htex) KRN_ChangeTexture(G().hKRN, l->texture.htex, fresh);
        // The swapped-out texture now sits in the fresh handle's slot.
        KRN_DeleteTexture(G().hKRN, fresh);
    }
}

void Evening() {
    G().ltDIR = V(-50, -20, 20);
    DemoLights(DemoColour(0, 20, 80), DemoColour(200, 100, 20));
    DemoShow("nlight", 1);
    SwapSky("esky");
}

// Applies a tour frame: camera, caption, lights, moving layers; then renders.
void Apply(const TourPose& p, tagKRNL* plane, tagKRNL* radr, tagKRNL* radw, void (*render)()) {
    DemoGlobals& g = G();
    g.cmVIEW = p.eye;
    g.cmROTATE = p.rot;
    DemoCamera(p.viewlimit);
    if (p.setdir) g.ltDIR = p.ltdir;
    if (p.lights) DemoLights(p.light0, p.light1);
    if (p.plane && plane) KRNL_AbsMoveLayer(plane, &p.planepos, &p.planeturn, nullptr);
    if (p.radr) Turn(radr, p.radrturn);
    if (p.radw) Turn(radw, p.radwturn);
    g.iTIMEBASE = p.caption ? 1 : 0;
    if (render)
        render();
    else
        Render();
}

void RunTour(int scene, tagKRNL* plane, const TourLook* look = nullptr,
             void (*render)() = nullptr) {
    tagKRNL* radr = DemoLayer("radrrot");
    tagKRNL* radw = scene == TOUR_DEMO2 || scene == TOUR_DEMO5 ? DemoLayer("radwrot") : nullptr;
    for (int segment = 1; segment <= TourSegmentCount(scene); ++segment) {
        // Each segment starts where the previous one got to.
        const tagKRN3D eye = G().cmVIEW, rot = G().cmROTATE;
        const int length = TourSegmentLength(scene, segment);
        if (!DemoSegment(length, [&](int t) {
                Apply(TourAt(scene, segment, t, eye, rot, look), plane, radr, radw, render);
            }))
            break;
    }
}

void Demo4() {
    // The evening: its own lights and skies, "ground" 30 further south, the blackboard shown
    // where it stands.
    TourSetUp evening = kDayTour;
    evening.evening = 1;
    evening.groundz = -30;
    if (!TourStart(evening)) return;
    Camera(V(-700, 10, -600), V(0, 90, 0), 35);
    DemoShow("blackboard", 1);
    DemoSceneGo("demo\\ending_short.wav");
    RunTour(TOUR_DEMO4, nullptr);
    DemoSceneEnd();
}

// ---- Demo3 ----

tagKRNL* g_cloud = nullptr;

void MoveWave(int t) {
    const WavePose w = MoveWaveAt(G().iTIMEBASE + t);
    G().cmVIEW = w.eye;
    G().cmROTATE = w.rot;
    DemoCamera(0);
    Turn(DemoLayer("radwrot"), w.radwturn);
    if (g_cloud) KRNL_AbsMoveLayer(g_cloud, &w.cloudpos, &w.cloudturn, nullptr);
}

// Render with the caption during segment 2 only, also in software mode.
void Render3() { DemoRender(G().iTIMEBASE == 4000, 20, 380, nullptr); }

void Demo3() {
    if (!DemoSceneStart(6000, "demo\\song.umz")) return;
    Camera(V(0, 0, 2000), V(0, 180, 0), 50);
    G().ltDIR = V(50, -20, 0);
    DemoLights(DemoColour(100, 100, 100), DemoColour(120, 120, 120));
    AirportSetUp();
    DemoShow("blackboard", 0);
    tagKRNL* sky = DemoLayer("sky");
    if (sky) {
        KRNL_TextureLayer(sky, nullptr, 0);
        const tagKRN3D scale = V(4, 4, 4), at = V(0, -100, 0);
        KRNL_AbsMoveLayer(sky, &at, nullptr, &scale);
    }
    g_cloud = MakeAutoCloud(G().hKRNL, 3000, 200, 2000, 500, 2000, "etc\\", 1, 0, &kDemoCloudStyle);
    DemoTrace("clouds %d", g_cloud ? 1 : 0);
    if (g_cloud) {
        const tagKRN3D scale = V(3, 1, 1);
        KRNL_AbsMoveLayer(g_cloud, nullptr, nullptr, &scale);
    }
    DemoSceneGo("demo\\ending_short.wav");
    for (int segment = 1; segment <= 6; ++segment) {
        G().iTIMEBASE = DayBase(segment);
        if (!DemoSegment(DayLength(segment), [&](int t) {
                const DayLight l = DayLightAt(segment, t);
                if (l.setdir) G().ltDIR = l.ltdir;
                if (l.lights) {
                    DemoLights(l.light0, l.light1);
                    if (sky) KRNL_RecallFunction(KRNLOP_COLOR, sky, 0, l.sky, 0);
                }
                MoveWave(t);
                Render3();
            }))
            break;
    }
    g_cloud = nullptr;
    DemoSceneEnd();
}

// ---- Demo6 ----

ShipSlot g_slots[3];

void PlaceShip(int slot, const ShipPose& s) {
    ShipSlot& k = g_slots[slot];
    if (!k.plane) return;
    KRNL_AbsMoveLayer(k.plane, &s.pos, &s.rot, nullptr);
    const tagKRN3D scale = V(s.lightscale, s.lightscale, s.lightscale);
    if (k.ldlightl) {
        const tagKRN3D at = V(k.leftat.x + s.leftdx, k.leftat.y, k.leftat.z);
        KRNL_AbsMoveLayer(k.ldlightl, &at, nullptr, &scale);
    }
    if (k.ldlightr) {
        const tagKRN3D at = V(k.rightat.x + s.rightdx, k.rightat.y, k.rightat.z);
        KRNL_AbsMoveLayer(k.ldlightr, &at, nullptr, &scale);
    }
    if (k.ldlightm) KRNL_AbsMoveLayer(k.ldlightm, nullptr, nullptr, &scale);
}

// Staff-roll tile n at (384, 284) of the view: KRN_PutScreen moves the destination by the source
// rectangle's offset into the cell, so the tile's row is taken off again.
void Render6(int n, int t) {
    RECT src{0, 168 * n, 196, 168 * n + 168};
    DemoRender(!G().bEMUMODE && t > 500, 384, 284 - 168 * n, &src);
}

void Demo6() {
    if (!DemoSceneStart(6200, "demo\\endstaff.umz")) return;
    DemoGlobals& g = G();
    Camera(V(-380, 10, -200), V(0, -32, 0), 35);
    g.ltDIR = V(-50, -20, 0);
    DemoLights(DemoColour(40, 40, 60), DemoColour(80, 80, 80));
    Load(g.hKRNL, "demo\\rjtt\\rjtt.plm", 0);
    tagKRNL* sky = DemoLayer("sky");
    SwapSky("rsky");
    for (int s = 0; s < 3; ++s) {
        char name[8];
        std::snprintf(name, sizeof name, "ship%d", s);
        g_slots[s] = ShipSlot{};
        g_slots[s].layer = KRNL_CreateLayer(g.hKRNL, name);
    }
    tagTOVWAVE landing{};
    TOV_WaveRead("demo\\landing.wav", &landing);
    DemoSceneGo("demo\\ending.wav");
    DemoCamera(-100);
    for (int s = 0; s < 3; ++s) ReadShip(s, -1);
    for (int n = 0; n < FLEET_ROUNDS && DemoRunning(); ++n) {
        const FleetRound r = FleetRoundAt(n);
        ReadShip(r.load, r.entry);
        if (r.landing && landing.data && g.bSOUND) TOV_WavePlay(1, &landing, 1, 0);
        if (r.landing) DemoTrace("landing %d", n);
        DispShipName(r.named);
        if (!DemoSegment(FLEET_ROUND_MS, [&](int t) {
                const double u = t / static_cast<double>(FLEET_ROUND_MS);
                Turn(sky, 5 * n + 5 * u);
                PlaceShip(r.front, ShipAt(FLEET_FRONT, n, u));
                PlaceShip(r.middle, ShipAt(FLEET_MIDDLE, n, u));
                PlaceShip(r.back, ShipAt(FLEET_BACK, n, u));
                DemoCamera(-100);
                Render6(n, t);
            }))
            break;
    }
    TOV_WaveStop(1);
    if (landing.data) TOV_WaveFree(&landing);
    for (ShipSlot& s : g_slots) s = ShipSlot{};
    DemoSceneEnd();
}

}  // namespace

ShipSlot& FleetSlot(int slot) { return g_slots[slot < 0 ? 0 : slot % 3]; }

void ReadShip(int slot, int entry) {
    if (slot < 0 || slot > 2) return;
    ShipSlot& k = g_slots[slot];
    tagKRNL* layer = k.layer;
    // The whole slot is emptied: whatever else the last model's file put there would keep its
    // chips, and the next model would no longer fit the slot's 400.
    if (layer)
        while (layer->layer > 0) KRNL_DeleteLayer(layer->child[0], 1);
    k = ShipSlot{};
    k.layer = layer;
    const FleetEntry& ship = FleetShip(entry);
    if (!layer || entry < 0 || !ship.model[0]) return;
    char path[128];
    std::snprintf(path, sizeof path, "airplane\\%s.plm", ship.model);
    if (!KRNL_LoadLayer(layer, path, 5000 + 400 * slot)) {
        MessageBoxA(G().hWND, path, "シップの読み込み不可", MB_OK | MB_ICONSTOP);
        return;
    }
    k.plane = KRNL_SearchLayer(layer, "plane");
    if (!k.plane) {
        MessageBoxA(G().hWND, path, "レイヤの取得不可", MB_OK | MB_ICONSTOP);
        return;
    }
    DemoTrace("ship %d %d", slot, entry);
    k.ldlightl = KRNL_SearchLayer(layer, "ldlightl");
    k.ldlightr = KRNL_SearchLayer(layer, "ldlightr");
    k.ldlightm = KRNL_SearchLayer(layer, "ldlightm");
    if (k.ldlightl) k.leftat = k.ldlightl->shift;
    if (k.ldlightr) k.rightat = k.ldlightr->shift;
    for (const char* part : {"shadow", "flapup", "revon", "brdoff"})
        if (tagKRNL* l = KRNL_SearchLayer(layer, part))
            KRNL_RecallFunction(KRNLOP_SWITCH, l, 0, 0, 0);
}

void DispShipName(int entry) {
    if (entry < 0) return;
    HWND w = G().hWND;
    if (!w) return;
    HDC dc = GetDC(w);
    RECT r{80, 30, 580, 50};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, FleetShip(entry).name, -1, &r, DT_SINGLELINE);
    ReleaseDC(w, dc);
}

int TourStart(const TourSetUp& s) {
    if (!DemoSceneStart(s.chips, "demo\\song.umz")) return 0;
    G().ltDIR = s.ltdir;
    DemoLights(DemoColour(s.light0[0], s.light0[1], s.light0[2]),
               DemoColour(s.light1[0], s.light1[1], s.light1[2]));
    AirportSetUp(s.airport);
    if (s.evening) Evening();
    if (s.groundz != 0) Move("ground", V(0, 9, s.groundz));
    if (s.nlight) DemoShow("nlight", 1);
    return 1;
}

const TourSetUp kDayTour = {.chips = 5000,
                            .airport = "port\\rjtt\\rjtt.plm",
                            .ltdir = {-50, -20, 0, 0},
                            .light0 = {100, 100, 100},
                            .light1 = {120, 120, 120},
                            .evening = 0,
                            .groundz = 0,
                            .nlight = 0,
                            .blackboard = -1,
                            .look = nullptr,
                            .prepare = nullptr,
                            .render = nullptr};
const TourSetUp kEveningSpiral = [] {
    TourSetUp s = kDayTour;
    s.evening = 1;
    s.blackboard = 0;
    return s;
}();

void TourDemo1(const TourSetUp& s) {
    if (!TourStart(s)) return;
    Camera(V(-700, 10, -600), V(0, 90, 0), 35);
    DemoShow("blackboard", 1);
    Move("blackboard", V(-40, 0, -120));
    Load(G().hKRNL, "airplane\\ys11\\ys11jcg.plm", 0);
    tagKRNL* plane = DemoLayer("plane");
    if (plane) {
        const tagKRN3D at = V(-400, 0, -200);
        KRNL_AbsMoveLayer(plane, &at, nullptr, nullptr);
    }
    if (s.prepare) s.prepare();
    DemoSceneGo("demo\\ending_short.wav");
    RunTour(TOUR_DEMO1, plane, s.look, s.render);
    DemoSceneEnd();
}

void TourSpiral(const TourSetUp& s, int scene) {
    if (!TourStart(s)) return;
    Camera(V(0, 0, 0), V(0, 0, 0), 35);
    if (s.blackboard >= 0) DemoShow("blackboard", s.blackboard);
    if (s.prepare) s.prepare();
    DemoSceneGo("demo\\ending_short.wav");
    RunTour(scene, nullptr, s.look, s.render);
    DemoSceneEnd();
}

void RunScene(char first) {
    switch (DemoSceneIndex(first)) {
        case TOUR_DEMO1:
            TourDemo1(kDayTour);
            break;
        case TOUR_DEMO2:
            TourSpiral(kDayTour, TOUR_DEMO2);
            break;
        case TOUR_DEMO3:
            Demo3();
            break;
        case TOUR_DEMO4:
            Demo4();
            break;
        case TOUR_DEMO5:
            TourSpiral(kEveningSpiral, TOUR_DEMO5);
            break;
        case TOUR_DEMO6:
            Demo6();
            break;
        default:
            break;
    }
}
