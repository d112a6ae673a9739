// wynopen's 3D scenes: the engine's logo scene (chips flying home among turning boxes) and the
// airliner scene (thirteen timed shots of a take-off with the staff roll), drawn by Render.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tov42.h"
#include "umb33.h"
#include "wynopen.h"

namespace wynopen {

const int kShotLength[kShots] = {12000, 10000, 2000, 3000, 9000, 9500, 9000,
                                 9000,  7000,  4000, 5000, 7000, 2000};

namespace {

// The 3D scenes' view in the client area.
RECT ViewRect() { return RECT{80, 60, 720, 540}; }

tagKRNCELL ceSTAFF;
bool g_staffLoaded;

// The airliner's moving parts (SearchMoveLayer).
tagKRNL *hplNOSE, *hplSHADOW, *hplLIGHTL, *hplLIGHTR;
tagKRNL* hplENG[4];
tagKRNL* hplTIRE[16];

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0.0}; }

double Clamp01(double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }

double Mix(double a, double b, double f) { return a + (b - a) * f; }

DWORD Grey(int level) {
    level = level < 0 ? 0 : (level > 255 ? 255 : level);
    return RGB(level, level, level);
}

// Camera 0 at `eye` looking at `at`: a positive pitch looks down.
void LookAt(const tagKRN3D& eye, const tagKRN3D& at, double zoom) {
    const double dx = at.x - eye.x, dy = at.y - eye.y, dz = at.z - eye.z;
    const double deg = 180.0 / 3.14159265358979323846;
    tagKRN3D rotate =
        V(std::atan2(-dy, std::sqrt(dx * dx + dz * dz)) * deg, std::atan2(dx, dz) * deg, 0.0);
    tagKRN3D e = eye, scale = V(1.0, 1.0, 1.0);
    KRN_Camera(hKRN, 0, &e, &rotate, &scale, zoom, 1.0);
}

// Starts the engine and the layer library on the window; false (nothing left running) when
// either does not start.
bool StartEngine(int chips) {
    hKRN = KRN_Start(hWND, chips);
    if (!hKRN) return false;
    hKRNL = KRNL_Start(hKRN);
    if (!hKRNL) {
        KRN_End(hKRN);
        hKRN = nullptr;
        return false;
    }
    RECT view = ViewRect();
    KRN_ViewPort(hKRN, 0, hWND, &view);
    return true;
}

void EndEngine() {
    tagKRNL* master = hKRNL;
    hKRNL = nullptr;
    KRNL_End(master);
    tagKRN* krn = hKRN;
    hKRN = nullptr;
    KRN_End(krn);
}

// "hard" in the engine ini: the raster driver draws with the device (it writes "soft" there
// when it falls back to its emulation).
bool HardwareMode() {
    char ini[MAX_PATH];
    KRN_GetProFileName(ini);
    char mode[16];
    GetPrivateProfileStringA("MODE", "EMULATION", "hard", mode, sizeof mode, ini);
    return std::strcmp(mode, "hard") == 0;
}

bool Stopped() { return bCLICK || bCLOSE; }

// ---- the logo scene ----

struct FlyingChips {
    tagKRNL* layer;
    std::vector<tagKRNCHIP> home;  // the layer's own chips in place
};
struct ChipFlight {
    tagKRN3D from;  // offset of the start place from home
    int delay;      // ms
};
constexpr int kFlightMs = 4000;

// Runs phase frames for `length` ms of the frame clock, calling `frame` with the clock; a
// click or a close ends it at once.
template <class Frame>
void RunPhase(int length, Frame frame) {
    int t = 0;
    while (t < length && !Stopped()) {
        TimerStart();
        frame(t);
        Render();
        t += TimerEnd(1) + 1;
    }
}

// ---- the airliner scene ----

// The airliner's path over the scene's nominal time T (ms): it stands at the runway's end
// until the fifth shot, rolls, lifts off at 45.5 s, climbs out with its gear coming up, turns
// back over the airport and passes the tower.
struct Pose {
    tagKRN3D pos;   // the airliner's place
    tagKRN3D turn;  // its rotation (degrees: pitch, heading, bank)
    double roll;    // distance rolled on the ground, for the tyres
};

constexpr double kRunwayStart = -1400.0;

Pose PoseAt(double T) {
    Pose p{V(0.0, 0.0, kRunwayStart), V(0.0, 0.0, 0.0), 0.0};
    if (T < 27000.0) return p;
    // The take-off roll: constant acceleration to 80 units/s at 45.5 s.
    const double rollT = std::fmin(T, 45500.0) - 27000.0;  // ms
    const double a = 80.0 / 18500.0 / 1000.0;              // units/ms^2
    double z = kRunwayStart + 0.5 * a * rollT * rollT;
    p.roll = z - kRunwayStart;
    if (T < 45500.0) {
        p.pos.z = z;
        // The nose comes up in the last two seconds of the roll.
        p.turn.x = -8.0 * Smooth(Clamp01((T - 43500.0) / 2000.0));
        return p;
    }
    // Airborne: 80 units/s, climbing at 8 degrees, then a turn to the left over the airport.
    const double airT = (T - 45500.0) / 1000.0;  // s
    const double speed = 80.0;
    const double straight = 16.0;  // s before the turn
    p.turn.x = -8.0;
    if (airT <= straight) {
        p.pos = V(0.0, speed * airT * 0.14, z + speed * airT);
        return p;
    }
    // A level turn of 180 degrees over 20 s on a circle of radius r, then straight back.
    const double r = speed * 20.0 / 3.14159265358979323846;
    const double y0 = speed * straight * 0.14;
    const double z0 = z + speed * straight;
    const double turnT = std::fmin(airT - straight, 20.0);
    const double ang = 3.14159265358979323846 * turnT / 20.0;
    p.pos = V(-r + r * std::cos(ang), y0 + 6.0 * turnT, z0 + r * std::sin(ang));
    p.turn =
        V(-8.0 * (1.0 - Smooth(turnT / 20.0)) - 0.0, -180.0 * turnT / 20.0, 25.0 * std::sin(ang));
    if (airT > straight + 20.0) {
        const double backT = airT - straight - 20.0;
        p.pos = V(-2.0 * r, y0 + 120.0 - 2.0 * backT, z0 - speed * backT);
        p.turn = V(0.0, -180.0, 0.0);
    }
    return p;
}

// Camera of shot `shot` at the shot's eased progress f, for the airliner at `p`.
void ShotCamera(int shot, double f, const Pose& p) {
    const tagKRN3D a = p.pos;
    const tagKRN3D nose = V(a.x, a.y + 6.0, a.z + 30.0);
    const tagKRN3D body = V(a.x, a.y + 8.0, a.z);
    switch (shot) {
        case 0:  // the airport from high above, coming down to the runway's end
            LookAt(V(Mix(900.0, 300.0, f), Mix(700.0, 120.0, f), Mix(-300.0, -1200.0, f)), body,
                   Mix(30.0, 40.0, f));
            break;
        case 1:  // round the nose
            LookAt(V(120.0 * std::cos(f * 2.4), 18.0, a.z + 120.0 * std::sin(f * 2.4) + 20.0), nose,
                   45.0);
            break;
        case 2:  // the engines
            LookAt(V(-70.0, 12.0, a.z + Mix(40.0, 20.0, f)), V(-20.0, 6.0, a.z + 4.0), 55.0);
            break;
        case 3:  // the landing lights
            LookAt(V(20.0, 10.0, a.z + 90.0), nose, Mix(40.0, 60.0, f));
            break;
        case 4:  // the roll from behind
            LookAt(V(30.0, 25.0, kRunwayStart - 120.0 + 400.0 * f), body, 45.0);
            break;
        case 5:  // beside the runway
            LookAt(V(160.0, 12.0, -200.0), body, Mix(35.0, 55.0, f));
            break;
        case 6:  // the lift-off from the tower
            LookAt(V(250.0, 90.0, 100.0), body, 50.0);
            break;
        case 7:  // following, the gear comes up
            LookAt(V(a.x + 60.0, a.y + 10.0, a.z - 140.0), body, 45.0);
            break;
        case 8:  // from below
            LookAt(V(a.x + 100.0, Mix(0.5, 1.0, f) * a.y - 60.0, a.z + 200.0), body, 40.0);
            break;
        case 9:  // wide, the turn
            LookAt(V(600.0, 300.0, 1200.0), body, 30.0);
            break;
        case 10:  // the banked wing
            LookAt(V(a.x + 80.0 * std::cos(f * 3.0), a.y + 20.0, a.z + 80.0 * std::sin(f * 3.0)),
                   body, 45.0);
            break;
        case 11:  // back over the airport, past the tower
            LookAt(V(260.0, 140.0, 200.0), body, Mix(30.0, 50.0, f));
            break;
        default:  // away into the sky
            LookAt(V(0.0, 60.0, -1400.0), body, Mix(50.0, 30.0, f));
            break;
    }
}

}  // namespace

double Smooth(double x) { return (1.0 - std::cos(3.1415 * x)) * 0.5; }

void Render() {
    KRNL_CalcLayerEx(hKRNL, 0);
    KRN_Rendering(hKRN, 0, 0, 0);
    if (iTIMEBASE > 0 && g_staffLoaded) {
        const int k = StaffStripAt(iTIMEBASE + iTIMEOFS);
        if (k >= 0) {
            // KRN_PutScreen moves the destination by the source rectangle's offset into the
            // cell, so the strip's row is taken off again to land at the table's place.
            RECT src{0, k * kStaffRows, kStaffWidth, (k + 1) * kStaffRows};
            KRN_PutScreen(hKRN, 0, iSTAFF[k].x, iSTAFF[k].y - k * kStaffRows, &ceSTAFF, &src);
        }
    }
    KRN_Flip(hKRN, 0);
    Task();
}

void SearchMoveLayer(tagKRNL* airliner) {
    hplNOSE = KRNL_SearchLayer(airliner, "nosegear");
    hplSHADOW = KRNL_SearchLayer(airliner, "shadow");
    hplLIGHTL = KRNL_SearchLayer(airliner, "ldlightl2");
    hplLIGHTR = KRNL_SearchLayer(airliner, "ldlightr2");
    for (int e = 0; e < 4; ++e) {
        char name[16];
        std::snprintf(name, sizeof name, "e%drot", e + 1);
        hplENG[e] = KRNL_SearchLayer(airliner, name);
    }
    for (int g = 0; g < 4; ++g)
        for (int t = 0; t < 4; ++t) {
            char name[16];
            std::snprintf(name, sizeof name, "tr%d%d", g + 1, t + 1);
            hplTIRE[g * 4 + t] = KRNL_SearchLayer(airliner, name);
        }
}

void Logo() {
    if (!StartEngine(1400)) {
        bEMUMODE = 0;
        return;
    }
    if (!HardwareMode()) {
        bEMUMODE = 0;
        EndEngine();
        return;
    }
    bEMUMODE = 1;
    tagKRN3D dir = V(-0.3, -0.5, 1.0);
    KRN_Light(hKRN, 0, 1, nullptr, nullptr, Grey(64), 0.0);
    KRN_Light(hKRN, 1, 2, nullptr, &dir, Grey(200), 0.0);
    LookAt(V(0.0, 0.0, -900.0), V(0.0, 0.0, 0.0), 40.0);
    KRNL_LoadLayer(hKRNL, "demo\\krn\\krnlogo.plm", 0);
    tagKRNL* colorBox = KRNL_SearchLayer(hKRNL, "ColorBox");
    tagKRNL* logo = KRNL_SearchLayer(hKRNL, "krnlogo");
    tagKRNL* logo2 = KRNL_SearchLayer(hKRNL, "krn2logo");
    tagKRNL* boxes[64];
    for (int i = 0; i < 64; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "BOX-%02d", i);
        boxes[i] = KRNL_SearchLayer(hKRNL, name);
    }

    // Every chip the scene file brought, wherever it lies in the tree.
    int layers = 0, chips = 0;
    KRNL_CountLayer(hKRNL, &layers, &chips, nullptr);
    std::vector<tagKRNLINFO> rows(static_cast<size_t>(layers));
    const int n = KRNL_EnumLayer(hKRNL, rows.data());
    std::vector<FlyingChips> flying;
    std::vector<ChipFlight> flights;
    for (int i = 0; i < n; ++i) {
        tagKRNL* l = rows[static_cast<size_t>(i)].layer;
        if (l->count <= 0 || !l->lpchip) continue;
        flying.push_back({l, std::vector<tagKRNCHIP>(l->lpchip, l->lpchip + l->count)});
        for (int c = 0; c < l->count; ++c)
            flights.push_back(
                {V(rand2() % 2400 - 1200, rand2() % 1600 - 800, rand2() % 1200 - 1400),
                 rand2() % 4000});
    }

    tagTOVWAVE wave{};
    const bool music = TOV_WaveRead("demo\\krn\\krn.wav", &wave) != 0;
    if (music) TOV_WavePlay(0, &wave, 1, 0);
    bCLICK = 0;

    RunPhase(8000, [&](int t) {
        for (int i = 0; i < 64; ++i)
            if (boxes[i]) {
                tagKRN3D r = V(t * 0.09 + i * 11.25, t * 0.045, 0.0);
                KRNL_AbsMoveLayer(boxes[i], nullptr, &r, nullptr);
            }
        size_t at = 0;
        for (FlyingChips& fc : flying) {
            for (int c = 0; c < fc.layer->count; ++c, ++at) {
                const ChipFlight& fl = flights[at];
                const double left = 1.0 - Smooth(Clamp01(double(t - fl.delay) / kFlightMs));
                tagKRNCHIP& chip = fc.layer->lpchip[c];
                for (int k = 0; k < 3; ++k) {
                    chip.v[k].x = fc.home[size_t(c)].v[k].x + fl.from.x * left;
                    chip.v[k].y = fc.home[size_t(c)].v[k].y + fl.from.y * left;
                    chip.v[k].z = fc.home[size_t(c)].v[k].z + fl.from.z * left;
                }
            }
        }
        KRNL_RecallFunction(KRNLOP_RECALC, hKRNL, 0, 0, 0);
    });
    if (!Stopped()) {
        // The logo layers' own show: the colour boxes run through the colours, the two logos
        // turn once.
        RunPhase(4000, [&](int t) {
            const double f = t / 4000.0;
            const int r = int(127 + 127 * std::sin(f * 6.283)),
                      g = int(127 + 127 * std::sin(f * 6.283 + 2.094)),
                      b = int(127 + 127 * std::sin(f * 6.283 + 4.189));
            if (colorBox) KRNL_RecallFunction(KRNLOP_COLOR, colorBox, 0, RGB(r, g, b), 0);
            tagKRN3D turn = V(0.0, 360.0 * Smooth(f), 0.0);
            if (logo) KRNL_AbsMoveLayer(logo, nullptr, &turn, nullptr);
            if (logo2) KRNL_AbsMoveLayer(logo2, nullptr, &turn, nullptr);
        });
    }
    if (!Stopped()) {
        RunPhase(1000, [&](int t) {
            const double left = 1.0 - t / 1000.0;
            KRN_Light(hKRN, 0, 1, nullptr, nullptr, Grey(int(64 * left)), 0.0);
            KRN_Light(hKRN, 1, 2, nullptr, &dir, Grey(int(200 * left)), 0.0);
        });
    }
    TOV_WaveStop(0);
    if (music) TOV_WaveFree(&wave);
    EndEngine();
}

void Demo() {
    if (!StartEngine(4000)) {
        bEMUMODE = 0;
        return;
    }
    g_staffLoaded = KRN_ReadCell(&ceSTAFF, "demo\\staff.umz") != 0;
    tagKRN3D sun = V(-0.4, -1.0, 0.6);
    KRN_Light(hKRN, 0, 1, nullptr, nullptr, Grey(40), 0.0);
    KRN_Light(hKRN, 1, 2, nullptr, &sun, Grey(90), 0.0);
    // The far limit and the fog take in the whole land around the airport: a chip with a
    // corner past the limit is not drawn, and the land's wide chips lie far off on average.
    KRN_SetDistance(hKRN, 40000.0, 20000.0, 40000.0);

    KRNL_LoadLayer(hKRNL, "demo\\rjtt\\rjtt.plm", 0);
    // The airport turned and moved so that runway 34L runs north along x = 0 from the
    // airliner's stand (its threshold at z -1450).
    if (tagKRNL* port = KRNL_SearchLayer(hKRNL, "rjtt")) {
        const tagKRN3D at = V(261.36, 0.0, -923.23), turn = V(0.0, 22.977, 0.0);
        KRNL_AbsMoveLayer(port, &at, &turn, nullptr);
    }
    KRNL_LoadLayer(hKRNL, "demo\\ana\\b747.plm", 0);
    tagKRNL* sky = KRNL_SearchLayer(hKRNL, "sky");
    tagKRNL* sign = KRNL_SearchLayer(hKRNL, "wyn2logo");
    tagKRNL* radar = KRNL_SearchLayer(hKRNL, "radrrot");
    tagKRNL* airliner = KRNL_SearchLayer(hKRNL, "b747");
    SearchMoveLayer(airliner);
    Pose pose = PoseAt(0.0);
    if (airliner) KRNL_AbsMoveLayer(airliner, &pose.pos, &pose.turn, nullptr);

    POINT corner{767, 567};
    ClientToScreen(hWND, &corner);
    SetCursorPos(corner.x, corner.y);
    bCLICK = 0;
    iTIMEBASE = 0;
    iTIMEOFS = 0;
    tagTOVWAVE wave{};
    const bool music = TOV_WaveRead("demo\\open.wav", &wave) != 0;
    if (music) TOV_WavePlay(0, &wave, 1, 0);

    int nominal = 0;  // the shot's start on the scene's nominal clock
    for (int shot = 0; shot < kShots && !Stopped(); ++shot) {
        const int length = kShotLength[shot];
        if (shot == kStaffShot) iTIMEBASE = nominal;
        int t = 0;
        while (t < length && !Stopped()) {
            TimerStart();
            const double T = nominal + t;
            const double f = Smooth(double(t) / length);
            pose = PoseAt(T);
            if (airliner) KRNL_AbsMoveLayer(airliner, &pose.pos, &pose.turn, nullptr);
            // The shadow stays on the ground under the airliner.
            if (hplSHADOW) {
                tagKRN3D down = V(0.0, -pose.pos.y, 0.0);
                KRNL_AbsMoveLayer(hplSHADOW, &down, nullptr, nullptr);
                KRNL_RecallFunction(KRNLOP_SWITCH, hplSHADOW, 0, pose.pos.y < 200.0 ? 1 : 0, 0);
            }
            // The rotors spool up over the first shots; the radar turns throughout.
            const double spin = T < 27000.0 ? 0.1 + 0.9 * Smooth(T / 27000.0) : 1.0;
            for (tagKRNL* e : hplENG)
                if (e) {
                    tagKRN3D r = V(0.0, 0.0, std::fmod(T * 0.72 * spin, 360.0));
                    KRNL_AbsMoveLayer(e, nullptr, &r, nullptr);
                }
            if (radar) {
                tagKRN3D r = V(0.0, std::fmod(T * 0.036, 360.0), 0.0);
                KRNL_AbsMoveLayer(radar, nullptr, &r, nullptr);
            }
            // The tyres roll with the ground run and come up (hidden) 6 s after lift-off.
            const int gearDown = T < 51500.0 ? 1 : 0;
            for (tagKRNL* tire : hplTIRE)
                if (tire) {
                    tagKRN3D r = V(std::fmod(pose.roll * 57.3 / 1.5, 360.0), 0.0, 0.0);
                    KRNL_AbsMoveLayer(tire, nullptr, &r, nullptr);
                    KRNL_RecallFunction(KRNLOP_SWITCH, tire, 0, gearDown, 0);
                }
            if (hplNOSE) KRNL_RecallFunction(KRNLOP_SWITCH, hplNOSE, 0, gearDown, 0);
            // The landing lights come on in the fourth shot and go off with the gear.
            const int lights = (T >= 24000.0 && T < 51500.0) ? 1 : 0;
            if (hplLIGHTL) KRNL_RecallFunction(KRNLOP_SWITCH, hplLIGHTL, 0, lights, 0);
            if (hplLIGHTR) KRNL_RecallFunction(KRNLOP_SWITCH, hplLIGHTR, 0, lights, 0);
            // Dawn: the light grows over the first shot; the sign glows with the staff roll.
            const double day = Clamp01(T / 12000.0);
            KRN_Light(hKRN, 0, 1, nullptr, nullptr, Grey(int(40 + 50 * day)), 0.0);
            KRN_Light(hKRN, 1, 2, nullptr, &sun, Grey(int(90 + 130 * day)), 0.0);
            if (sky) KRNL_RecallFunction(KRNLOP_SHADE, sky, 0, 0, 0);
            if (sign) {
                tagKRN3D r = V(0.0, std::fmod(T * 0.018, 360.0), 0.0);
                KRNL_AbsMoveLayer(sign, nullptr, &r, nullptr);
            }
            ShotCamera(shot, f, pose);
            if (shot >= kStaffShot) iTIMEOFS = t;
            Render();
            t += TimerEnd(1) + 1;
        }
        if (shot >= kStaffShot) {
            iTIMEOFS = 0;
            iTIMEBASE += length;
        }
        nominal += length;
    }
    iTIMEBASE = 0;
    iTIMEOFS = 0;
    TOV_WaveStop(0);
    if (music) TOV_WaveFree(&wave);
    if (g_staffLoaded) KRN_DeleteCell(&ceSTAFF);
    g_staffLoaded = false;
    EndEngine();
}

}  // namespace wynopen
