// The paths of wyndemoa's scenes.
#include "tours.h"

#include <algorithm>
#include <cmath>

namespace {

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0}; }

DWORD Grey(double v) { return DemoColour(v, v, v); }

const int kDemo1[] = {20000, 14000, 40000, 30000, 16000};
const int kDemo2[] = {4000, 11000, 102000};
const int kDemo4[] = {20000, 14000, 40000, 30000, 10000, 4001, 2000};

struct Segments {
    const int* lengths;
    int count;
};
Segments SegmentsOf(int scene) {
    switch (scene) {
        case TOUR_DEMO1:
            return {kDemo1, 5};
        case TOUR_DEMO2:
        case TOUR_DEMO5:
            return {kDemo2, 3};
        case TOUR_DEMO4:
            return {kDemo4, 7};
        default:
            return {nullptr, 0};
    }
}

// The daytime tour's segments, shared by Demo1 and Demo4 where they agree.
void DayTour(TourPose& p, int segment, int t, double u, const tagKRN3D& E) {
    switch (segment) {
        case 1:
            p.eye = V(-700 + 160 * u, 5 + 15 * u, -550 - 180 * u);
            p.caption = t >= 5001 && t <= 15999;
            break;
        case 2:
            p.eye = V(E.x + 80 * u, 20, E.z - 90 * u);
            p.rot = V(0, 90 - 90 * u, 0);
            break;
        case 3:
            p.eye = V(E.x + 400 * u, 20, E.z + 120 * u);
            break;
        case 4:
            p.eye = V(E.x + 400 * u, 20 + 10 * u, E.z + 140 * u);
            p.rot = V(0, -30 * u, 0);
            p.radr = 1;
            p.radrturn = 2700 * u;
            break;
        default:
            break;
    }
}

const TourLook kDayLook = {{100, 100, 100}, {120, 120, 120}, 0};
const TourLook kEveningLook = {{0, 20, 80}, {200, 100, 0}, 1};

void Spiral(TourPose& p, const TourLook& look, int segment, double u) {
    switch (segment) {
        case 1:
            p.eye = V(-45, 120, 160);
            p.lights = 1;
            p.light0 = DemoColour(look.light0[0] * u, look.light0[1] * u, look.light0[2] * u);
            p.light1 = DemoColour(look.light1[0] * u, look.light1[1] * u, look.light1[2] * u);
            break;
        case 2:
            p.eye = V(-45 + 45 * u, 120, 160 - 160 * u);
            p.caption = 1;
            break;
        case 3: {
            const double r = 160 + 1200 * u;
            const double theta = look.reverse ? -1.57075 - 12.566 * u : -1.57075 + 12.566 * u;
            p.eye = V(r * std::cos(theta), 120 - 90 * u, 160 + r * std::sin(theta));
            p.rot = V(0, look.reverse ? 1440 * u : -720 * u, 0);
            p.viewlimit = 0;
            p.radr = p.radw = 1;
            p.radrturn = p.radwturn = 9000 * u;
            break;
        }
        default:
            break;
    }
}

}  // namespace

const TourLook& TourLookOf(int scene) { return scene == TOUR_DEMO5 ? kEveningLook : kDayLook; }

int TourSegmentCount(int scene) { return SegmentsOf(scene).count; }

int TourSegmentLength(int scene, int segment) {
    const Segments s = SegmentsOf(scene);
    return segment >= 1 && segment <= s.count ? s.lengths[segment - 1] : 0;
}

TourPose TourAt(int scene, int segment, int t, const tagKRN3D& E, const tagKRN3D& R,
                const TourLook* look) {
    TourPose p;
    p.eye = E;
    p.rot = R;
    const int length = TourSegmentLength(scene, segment);
    if (length <= 0) return p;
    const double u = static_cast<double>(t) / length;
    switch (scene) {
        case TOUR_DEMO1:
            DayTour(p, segment, t, u, E);
            if (segment == 3) {
                p.plane = 1;
                p.planepos = V(-400 - 20 * u, 0, -200);
                p.planeturn = V(0, 220 - 300 * u, 0);
            } else if (segment == 5) {
                p.eye = V(E.x + 200 * u, 30 - 25 * u, E.z + 250 * u);
                p.rot = V(0, -30, 0);
                p.radr = 1;
                p.radrturn = 3600 * u;
            }
            break;
        case TOUR_DEMO4:
            DayTour(p, segment, t, u, E);
            if (segment == 5) {
                p.eye = V(339.052 - 339.052 * u, 30 + 2400 * u, -559.901 + 559.901 * u);
                p.rot = V(std::min(140 * u, 90.0), -30 + 30 * u, 0);
                p.viewlimit = 0;
                p.radr = 1;
                p.radrturn = 3600 * u;
            } else if (segment == 6) {
                const double v = (4000.0 - t) / 4000;
                p.lights = 1;
                p.light0 = DemoColour(0, 20 * v, 80);
                p.light1 = DemoColour(200 * v, 100 * v, 20 * v);
            }
            break;
        case TOUR_DEMO2:
        case TOUR_DEMO5:
            Spiral(p, look ? *look : TourLookOf(scene), segment, u);
            break;
        default:
            break;
    }
    return p;
}

// ---- Demo3 ----

namespace {
const int kDayBase[] = {0, 4000, 14000, 46000, 78000, 110000};
const int kDayLength[] = {4000, 10000, 32000, 32000, 32000, 4001};
}  // namespace

int DayBase(int segment) { return segment >= 1 && segment <= 6 ? kDayBase[segment - 1] : 0; }
int DayLength(int segment) { return segment >= 1 && segment <= 6 ? kDayLength[segment - 1] : 0; }

WavePose MoveWaveAt(int T) {
    WavePose w;
    const double a = 6.283 * (T % 8000) / 8000;
    w.eye = V(T * 800.0 / 150000 - 400, 40 + 3 * std::sin(a), 2000);
    w.rot = V(0, 180, 0.5 * std::cos(a));
    w.radwturn = 360.0 * (T % 4000) / 4000;
    const double d = (T % 150000) / 150000.0;
    w.cloudpos = V(10000 * d, 0, 10000 * d);
    w.cloudturn = V(0, 160 * d, 0);
    return w;
}

DayLight DayLightAt(int segment, int t) {
    DayLight l;
    const int length = DayLength(segment);
    if (length <= 0) return l;
    const double u = static_cast<double>(t) / length;
    const double v = (4000.0 - t) / 4000;
    l.lights = 1;
    switch (segment) {
        case 1:
            l.light0 = l.sky = DemoColour(0, 0, 80 * u);
            l.setdir = 1;
            l.ltdir = V(50, -20, 0);
            l.light1 = Grey(40 * u);
            break;
        case 3:
            l.light0 = DemoColour(80 * u, 40 * u, 80);
            l.setdir = 1;
            l.ltdir = V(50 - 40 * u, -20, -20 * u);
            l.light1 = DemoColour(40 + 80 * u, 40 + 80 * u, 40 + 20 * u);
            l.sky = DemoColour(172 * u, 172 * u, 80 + 144 * u);
            break;
        case 4:
            l.light0 = DemoColour(80, 40 + 40 * u, 80);
            l.setdir = 1;
            l.ltdir = V(10 - 20 * u, -20, -20);
            l.light1 = DemoColour(120 + 40 * u, 120 + 40 * u, 60 + 40 * u);
            l.sky = DemoColour(172 - 12 * u, 172 + 28 * u, 224 + 31 * u);
            break;
        case 5:
            l.light0 = DemoColour(80 - 80 * u, 80 - 80 * u, 80 + 40 * u);
            l.setdir = 1;
            l.ltdir = V(-10 - 40 * u, -20 - 20 * u, -20 + 20 * u);
            l.light1 = DemoColour(160 + 80 * u, 160 - 40 * u, 160 - 160 * u);
            l.sky = DemoColour(160 + 95 * u, 200 - 32 * u, 255 - 155 * u);
            break;
        case 6:
            l.light0 = DemoColour(0, 0, 120 * v);
            l.light1 = DemoColour(240 * v, 120 * v, 0);
            l.sky = DemoColour(255 * v, 168 * v, 100 * v);
            break;
        default:  // segment 2: unchanged
            l.lights = 0;
            break;
    }
    return l;
}

// ---- Demo6 ----

namespace {

const FleetEntry kShips[FLEET_ENTRIES] = {
    {"", ""},
    {"YS11\\YS11ANK", "エアーニッポン YS-11"},
    {"A320\\A320ANK", "エアーニッポン A320"},
    {"B734\\B734JAL", "日本航空 B737-400"},
    {"MD81\\MD81JAS", "日本エアシステム MD-81"},
    {"B763\\B763SKY", "スカイマークエアラインズ B767-300"},
    {"B734\\B734JEX", "JALエクスプレス B737-400"},
    {"B763\\B763ANA", "全日空 B767-300"},
    {"MD90\\MD90JAS2", "日本エアシステム MD-90 ルミナデザイン2号機"},
    {"B734\\B734ANK", "エアーニッポン B737-400 スーパードルフィン"},
    {"B744\\B744CAL", "中華航空 B747-400"},
    {"B744\\B744JAL", "日本航空 B747-400"},
    {"B772\\B772JAS", "日本エアシステム B777-200 レインボーセブン"},
    {"B74A\\B74AJAL", "日本航空 B747SR"},
    {"MD11\\MD11EVA", "エバー航空 MD-11"},
    {"B734\\B734JTA", "日本トランスオーシャン航空 B737-400"},
    {"B74C\\B74CCAL", "中華航空 B747 カーゴ"},
    {"A300\\A300JAS", "日本エアシステム A300-600R"},
    {"B763\\B763ADO", "北海道国際航空 B767-300"},
    {"MD87\\MD87JAS", "日本エアシステム MD-87"},
    {"B763\\B763JAL", "日本航空 B767-300"},
    {"B744\\B744ANA", "全日空 B747-400"},
    {"B772\\B772ANA", "全日空 B777-200"},
    {"A320\\A320ANA", "全日空 A320"},
    {"B772\\B772JAL", "日本航空 B777-200"},
    {"B744\\B744EVA", "エバー航空 B747-400"},
    {"B773\\B773ANA", "全日空 B777-300"},
    {"DC10\\DC10JAL", "日本航空 DC-10"},
    {"MD90\\MD90JAS", "日本エアシステム MD-90 ルミナデザイン1号機"},
    {"", ""},
    {"", ""},
    {"", ""},
    {"YS11\\YS11JCG", "海上保安庁 YS-11 ブルーイレブン"},
    {"", ""},
    {"", ""},
    {"", ""},
    {"", ""},
};

}  // namespace

const FleetEntry& FleetShip(int entry) {
    static const FleetEntry kNone = {"", ""};
    return entry >= 0 && entry < FLEET_ENTRIES ? kShips[entry] : kNone;
}

FleetRound FleetRoundAt(int n) {
    FleetRound r;
    r.front = n % 3;
    r.middle = (n + 1) % 3;
    r.back = (n + 2) % 3;
    r.load = r.back;
    r.entry = n;
    r.landing = n == 34;
    r.named = n - 2;
    return r;
}

ShipPose ShipAt(FleetRole role, int n, double u) {
    ShipPose s;
    switch (role) {
        case FLEET_FRONT:
            s.pos = V(-1400 + 1000 * u, 200 - 200 * u, 2000 - 2300 * u);
            s.rot = V(0, -20, 4 * std::sin(u * 3 * (n % 4) * 3.1415) + 4 * std::sin(12.566 * u));
            s.lightscale = std::max(6 - 7 * u, 1.0);
            s.leftdx = 10 - 10 * u;
            s.rightdx = -10 + 10 * u;
            break;
        case FLEET_MIDDLE: {
            const double roll = 12 * std::sin(6.283 * u);
            s.pos = V(-2300 + 900 * u, 400 - 200 * u, 4000 - 2000 * u);
            s.rot = V(0, -20, n % 3 == 1 ? -roll : roll);
            s.lightscale = 6;
            s.leftdx = 10;
            s.rightdx = -10;
            break;
        }
        case FLEET_BACK:
            s.pos = V(-3300 + 1000 * u, 800 - 400 * u, 6000 - 2000 * u);
            s.rot = V(0, -20, 0);
            s.lightscale = 1 + 5 * u;
            s.leftdx = 10 * u;
            s.rightdx = -10 * u;
            break;
    }
    return s;
}
