// camera_run: the cameras and the apron of a stage on their own, for the tests.
//
//   camera_run <airport> <scenario> <out folder> modes
//   camera_run <airport> <scenario> <out folder> events <tick>:<aircraft>:<code> ...
//   camera_run <airport> <scenario> <out folder> weather
//
// Starts the game as the program does (windows, GameInit, the stage reset and set-up) and runs
// its frames, one world tick each on the virtual clock, until the start banner and the
// panoramic glide are over; the aircraft parked at spot 0 is selected. Then:
//  - modes: each camera mode 0-12 in turn on the aircraft on final (the first aircraft not at
//    spot 0, selected), and the panoramic view again, 40 frames each; after each transition the
//    3D view is saved as mode-NN.png (panoramic.png, panoramic2.png), and once more with the
//    followed aircraft hidden (mode-NN-hidden.png); last mode 0 changes to the parked aircraft
//    for 40 frames;
//  - events: the bird's-eye camera on the parked aircraft (choice: its spot) and the ground
//    events at their ticks (aircraft -1: the parked one), a frame a tick, each saved as
//    event-NNNN.png, for the largest tick + 80 frames; event codes 5000 + c cancel c;
//  - weather: the panoramic view saved as weather.png, and with the rain (or smoke) layer
//    hidden as weather-hidden.png.
// Every frame writes a line to <out folder>/log.txt: "frame <n> caption <c> eye <x> <y> <z>
// rotate <x> <y> <z> ground <shown ground layers>"; the game's trace (WYN_GAME_TRACE) gets
// its own lines. The program exits 0 after the stage's exit.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../game_program.h"
#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/ground_internal.h"
#include "wynplat.h"

namespace {

FILE* g_log = nullptr;
std::string g_out;
int g_frame = 0;

// The ground-support layers that are shown, with their shown parts.
std::string ShownGround() {
    std::string s;
    for (int slot = kSlotTug1; slot <= kSlotSmoke4; ++slot) {
        const ObjectRecord* o = GroundObject(slot);
        if (!o || !o->layer) continue;
        bool any = o->layer->sw == 1;
        std::string parts;
        // Every layer of the object's tree that is switched on, by name.
        std::vector<tagKRNL*> stack = {o->layer};
        while (!stack.empty()) {
            tagKRNL* l = stack.back();
            stack.pop_back();
            if (l != o->layer && l->sw == 1 && l->count > 0) {
                parts += parts.empty() ? "" : ",";
                parts += l->name;
                any = true;
            }
            for (int i = l->layer - 1; i >= 0; --i) stack.push_back(l->child[i]);
        }
        if (any) s += std::string(" ") + o->layer->name + "[" + parts + "]";
    }
    return s;
}

void Log() {
    const CameraRecord& c = GetCameraRecord();
    std::fprintf(g_log, "frame %d caption %s eye %.3f %.3f %.3f rotate %.3f %.3f %.3f ground%s\n",
                 g_frame, GetCameraCaption(), c.eye.x, c.eye.y, c.eye.z, c.rotate.x, c.rotate.y,
                 c.rotate.z, ShownGround().c_str());
    std::fflush(g_log);
}

void Frames(int n) {
    for (int i = 0; i < n; ++i) {
        PumpMessages();
        FrameMain();
        TOV_Task();
        ++g_frame;
        Log();
    }
}

void Shot(const std::string& name) {
    const std::string path = g_out + "/" + name + ".png";
    if (!WynPlat_SaveWindowPng(Handles().viewwnd, path.c_str()))
        std::fprintf(stderr, "camera_run: %s not written\n", path.c_str());
}

// The last frame drawn again without `layer`, saved, and the layer shown again.
void ShotWithout(tagKRNL* layer, const std::string& name) {
    if (!layer) return;
    KRNL_RecallFunction(KRNLOP_SWITCH, layer, 0, 0, 0);
    KRNL_CalcLayerEx(GetRootLayer(), 0);
    const ScenarioWorld& w = GetScenarioHeader().world;
    const DWORD back =
        (w.backrgb[0] & 0xff) | (w.backrgb[1] & 0xff) << 8 | (w.backrgb[2] & 0xff) << 16;
    KRN_Rendering(GetEngine(), 0, 0, 0x40000000 | back);
    KRN_Flip(GetEngine(), 0);
    PumpMessages();
    Shot(name);
    KRNL_RecallFunction(KRNLOP_SWITCH, layer, 0, 1, 0);
}

int FindParked() {
    const AircraftTable* t = GetAircraftTable();
    for (int s = 0; t && s < kAircraftSlots; ++s)
        if ((*t)[size_t(s)].used && (*t)[size_t(s)].spot == 0) return s;
    return -1;
}
int FindOther(int parked) {
    const AircraftTable* t = GetAircraftTable();
    for (int s = 0; t && s < kAircraftSlots; ++s)
        if ((*t)[size_t(s)].used && s != parked) return s;
    return -1;
}

void Modes(int parked) {
    const int final = FindOther(parked);
    if (final < 0) return;
    SetSelectedAircraft(final);
    char name[32];
    for (int m = 0; m < kCameraModes; ++m) {
        SetCameraModeNumber(m);
        SetCameraMode(1, final);
        Frames(40);
        std::snprintf(name, sizeof name, "mode-%02d", m);
        Shot(name);
        std::snprintf(name, sizeof name, "mode-%02d-hidden", m);
        ShotWithout((*GetObjectTable())[size_t(final)].layer, name);
    }
    SetDefaultCamera(30, 0);
    Frames(40);
    Shot("panoramic2");
    SetSelectedAircraft(parked);
    SetCameraModeNumber(0);
    SetCameraMode(1, parked);
    Frames(40);
}

struct Event {
    int tick, aircraft, code;
};

void Events(int parked, const std::vector<Event>& events) {
    if (AircraftTable* t = GetAircraftTable()) (*t)[size_t(parked)].choice = 1;
    SetCameraModeNumber(9);
    SetCameraMode(1, parked);
    Frames(2);
    int last = 0;
    for (const Event& e : events) last = e.tick > last ? e.tick : last;
    char name[32];
    for (int tick = 0; tick <= last + 80; ++tick) {
        for (const Event& e : events) {
            if (e.tick != tick) continue;
            const int a = e.aircraft < 0 ? parked : e.aircraft;
            if (e.code >= 5000)
                GroundEventCancel(a, e.code - 5000);
            else
                GroundEvent(a, e.code);
        }
        Frames(1);
        std::snprintf(name, sizeof name, "event-%04d", tick);
        Shot(name);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int) {
    const std::vector<std::string> words = CommandWords(cmdline);
    if (words.size() < 4) {
        std::fprintf(stderr, "usage: camera_run <airport> <scenario> <out> modes|events|weather\n");
        return 2;
    }
    std::vector<Event> events;
    for (size_t i = 4; i < words.size(); ++i) {
        Event e{};
        if (std::sscanf(words[i].c_str(), "%d:%d:%d", &e.tick, &e.aircraft, &e.code) != 3) {
            std::fprintf(stderr, "camera_run: not <tick>:<aircraft>:<code>: %s\n",
                         words[i].c_str());
            return 2;
        }
        events.push_back(e);
    }
    g_out = words[2];
    g_log = std::fopen((g_out + "/log.txt").c_str(), "w");
    if (!g_log) return 2;
    FrameHandles& f = Handles();
    if (!StartGame(instance, "CAMERA_RUN", words[0], words[1])) {
        std::fprintf(stderr, "camera_run: the game does not start\n");
        return 1;
    }
    SetFrameStepMs(33);
    StageReset();
    SetGamePhase(GAMEPHASE_SETUP);
    StageSetup();
    SetGamePhase(GAMEPHASE_RUNNING);
    const int parked = FindParked();
    SetSelectedAircraft(parked);
    // The start banner (30 ticks) and the panoramic glide that follows it.
    Frames(70);
    Shot("panoramic");
    if (parked < 0) {
        std::fprintf(stderr, "camera_run: no aircraft at spot 0\n");
    } else if (words[3] == "modes") {
        Modes(parked);
    } else if (words[3] == "events") {
        Events(parked, events);
    } else if (words[3] == "weather") {
        const WeatherLayers& w = GetWeatherLayers();
        Shot("weather");
        ShotWithout(w.rain ? w.rain : w.smoke, "weather-hidden");
    }
    CloseGame();
    std::fclose(g_log);
    return 0;
}
