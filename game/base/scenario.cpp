// The scenario of the run: the whole file in the scenario image and its header, read field by
// field from the file's little-endian bytes.
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "wynbytes.h"

namespace {

ScenarioImage* g_image = nullptr;
ScenarioHeader g_header = {};

constexpr int kNewTimetable = 0xec;
constexpr int kOldTimetable = 0xd4;

void ReadTriple(wyn::ByteReader& r, int32_t* v) {
    for (int i = 0; i < 3; ++i) v[i] = r.i32();
}

void ReadWorld(wyn::ByteReader& r, ScenarioWorld* w) {
    ReadTriple(r, w->eye);
    ReadTriple(r, w->aim);
    w->distance = r.i32();
    w->unused78 = r.i32();
    ReadTriple(r, w->lightrgb);
    ReadTriple(r, w->backrgb);
    w->daytime = r.i32();
    w->cloudpct = r.i32();
    r.text(w->weather, sizeof w->weather, 4);
    w->unusedA0 = r.i32();
    ReadTriple(r, w->light2rgb);
    ReadTriple(r, w->light2dir);
    ReadTriple(r, w->distances);
    w->unusedC8 = r.i32();
    for (int32_t& v : w->routesets) v = r.i32();
}

}  // namespace

ScenarioImage* GetScenarioImage() { return g_image; }
void SetScenarioImage(ScenarioImage* image) { g_image = image; }
ScenarioHeader& GetScenarioHeader() { return g_header; }

int ParseScenarioHeader(const uint8_t* bytes, size_t size, int format, ScenarioHeader* h) {
    if (format != SCENARIO_NEW && format != SCENARIO_OLD) return 0;
    *h = ScenarioHeader{};
    // A short file reads as zeros past its end: the reader yields 0 there.
    wyn::ByteReader r(bytes, size);
    r.text(h->title, sizeof h->title, 32);
    h->starttime = r.i32();
    h->hours = r.i32();
    h->target = r.i32();
    h->extarget = r.i32();
    h->stresslimit = r.i32();
    r.text(h->music, sizeof h->music, 16);
    if (format == SCENARIO_NEW) {
        h->runways = r.i32();
        h->flags = r.i32();
        r.text(h->exitprog, sizeof h->exitprog, 16);
    }
    ReadWorld(r, &h->world);
    h->format = format;
    h->timetable = format == SCENARIO_NEW ? kNewTimetable : kOldTimetable;
    h->size = static_cast<int32_t>(size);
    h->night = h->world.weather[0] == 'N' || h->world.weather[0] == 'n';
    return 1;
}

void LoadScenarioImage() {
    g_image = static_cast<ScenarioImage*>(MemAlloc(sizeof(ScenarioImage), "空港シナリオ"));
    g_header = ScenarioHeader{};
    if (!g_image) return;
    SetResourceFlag(RESOURCE_SCENARIO, 1);
    std::memset(g_image->bytes, 0, sizeof g_image->bytes);
}

void ReadScenarioFile() {
    if (!g_image) return;
    struct Kind {
        const char* ext;
        int format;
    };
    const Kind kinds[] = {{"sd3", SCENARIO_NEW}, {"sd2", SCENARIO_NEW}, {"sd", SCENARIO_OLD}};
    for (const Kind& k : kinds) {
        char path[MAX_PATH];
        std::snprintf(path, sizeof path, "port\\%s\\scenario\\%s.%s", GetAirportCode(),
                      GetScenarioName(), k.ext);
        if (!FileExists(path)) continue;
        int read = 0;
        if (ReadWholeFile(GetMainWindow(), path, g_image->bytes, kScenarioReadMax, &read)) {
            ParseScenarioHeader(g_image->bytes, static_cast<size_t>(read), k.format, &g_header);
            return;
        }
        std::memset(g_image->bytes, 0, sizeof g_image->bytes);
        break;
    }
    // No scenario: an empty stage whose timetable is only the end record.
    const uint8_t end[4] = {0xff, 0xff, 0xff, 0xff};
    std::memcpy(g_image->bytes + kNewTimetable, end, sizeof end);
    g_header.timetable = kNewTimetable;
    g_header.size = kNewTimetable + 4;
}

void FreeScenario() {
    if (!HasResourceFlag(RESOURCE_SCENARIO)) return;
    MemFree(g_image, "空港シナリオ");
    g_image = nullptr;
    SetResourceFlag(RESOURCE_SCENARIO, 0);
}
