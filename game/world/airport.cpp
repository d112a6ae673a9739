// The stage's airport: its record, scenery and named layers, route, SID, point and exchange
// tables and night lights (LoadAirport), the SID lookup and the quiet move-script reader.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "simulation/simulation.h"
#include "world/airportfiles.h"
#include "base/base.h"
#include "world/world.h"

namespace {

int g_letter = 0;

// Reads program folder + `path` (at most `max` bytes); empty when it cannot be read.
std::vector<uint8_t> ReadFile(const char* path, size_t max) {
    std::vector<uint8_t> bytes(max);
    int got = 0;
    if (!ReadWholeFile(GetMainWindow(), path, bytes.data(), static_cast<int>(max), &got) || got < 0)
        got = 0;
    bytes.resize(static_cast<size_t>(got));
    return bytes;
}

void Switch(tagKRNL* layer, int on) {
    if (layer) KRNL_RecallFunction(KRNLOP_SWITCH, layer, 0, on, 0);
}

tagKRNL* Find(tagKRNL* airport, const char* name) {
    return airport ? KRNL_SearchLayer(airport, name) : nullptr;
}

void ReadAirportRecord(const char* code) {
    AirportRecord* rec = GetAirportRecord();
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "port\\%s\\%s.ad3", code, code);
    if (FileExists(path)) {
        const std::vector<uint8_t> b = ReadFile(path, kAd3Size);
        if (rec) ReadAirportImage(b.data(), b.size(), AIRPORT_AD3, rec);
    } else {
        std::snprintf(path, sizeof path, "port\\%s\\%s.ad2", code, code);
        const std::vector<uint8_t> b = ReadFile(path, kAd2Size);
        if (rec) ConvertAirportRecord(rec, b.data(), b.size());
    }
}

// The runway lights get fixed chip slots from capacity - 1000 on, so that the layers loaded
// after them keep their own; their chips become the reserved total.
void FixLights(AirportLayers& l) {
    tagKRN* engine = GetEngine();
    l.reserved = 0;
    if (!engine || !l.rwlight) return;
    const int first = engine->chipmax - 1000;
    KRNL_RecallFunction(KRNLOP_RENUMBER, l.rwlight, first, 0, 0);
    KRNL_CountLayer(l.rwlight, nullptr, &l.reserved, nullptr);
    if (l.nlight) {
        KRNL_RecallFunction(KRNLOP_RENUMBER, l.nlight, first + l.reserved, 0, 0);
        int chips = 0;
        KRNL_CountLayer(l.nlight, nullptr, &chips, nullptr);
        l.reserved += chips;
    }
}

void SetStageValues() {
    const ScenarioHeader& h = GetScenarioHeader();
    GameConfig& c = GetConfig();
    HudNumbers& hud = GetHud();
    hud.stresslimit = h.stresslimit ? static_cast<uint32_t>(h.stresslimit) : 10;
    hud.target = static_cast<uint32_t>(h.target);
    if (c.level != 0) {
        if (h.extarget == -1)
            c.level = 0;  // for the rest of the run
        else
            hud.target = static_cast<uint32_t>(h.extarget);
    }
    hud.score = 0;
    hud.stress = 0;
    hud.bonus = 0;
    // The runway texts and the retry queue start afresh with the timetable.
    ResetTimetable();
    std::srand(GetTickCount());
    g_letter = std::rand() % 6;
}

}  // namespace

int GetInformationLetter() { return g_letter; }

int LoadAirport() {
    ScenarioHeader& h = GetScenarioHeader();
    const GameConfig& c = GetConfig();
    const char* code = GetAirportCode();
    AirportLayers& l = GetAirportLayers();
    l = AirportLayers{};
    GetBridgeTable() = BridgeTable{};

    SetTitleStep("空港読み込み開始");
    char folder[64];
    std::snprintf(folder, sizeof folder, "%s%s", code, h.night ? "N" : "");
    if (h.night) h.world.weather[0] = 0;
    ReadAirportRecord(code);
    const AirportRecord* rec = GetAirportRecord();

    SetResourceFlag(RESOURCE_AIRPORT, 1);

    SetTitleStep("空港読み込み");
    const int resnum = c.exresolution != 0 ? c.exresolution + 3 : c.resolution;
    char file[MAX_PATH];
    std::snprintf(file, sizeof file, "port\\%s\\%s_%d.plm", folder, code, resnum);
    LoadLayerObject(kObjectAirport, file, "AIRPORT");
    ObjectTable* objects = GetObjectTable();
    ObjectRecord* slot = objects ? &(*objects)[kObjectAirport] : nullptr;
    tagKRNL* airport = slot ? slot->layer : nullptr;

    SetTitleStep("空港設置");
    const tagKRN3D origin = {0, 0, 0, 0};
    const tagKRN3D turn = {0, rec ? rec->yaw : 0, 0, 0};
    if (airport) KRNL_AbsMoveLayer(airport, &origin, &turn, nullptr);
    if (slot) {
        slot->pos = origin;
        slot->angle = turn;
    }

    SetTitleStep("レーダー設定");
    l.radar[0] = Find(airport, "radwrot");
    l.radar[1] = Find(airport, "radrrot");
    l.radarangle[0] = 0;
    l.radarangle[1] = 180;

    SetTitleStep("風景設定");
    l.airporton = Find(airport, "airporton");
    l.airportoff = Find(airport, "airportoff");
    if (l.airporton) {
        Switch(l.airportoff, 0);
        Switch(l.airporton, 1);
    }
    l.nearshown = 1;

    SetTitleStep("空港灯設定");
    static const char* const kRunwayLights[kRunwayLightLayers] = {"endlight", "alslgt", "alsl24",
                                                                  "r_light",  "rwli16", "rwli34"};
    for (int i = 0; i < kRunwayLightLayers; ++i)
        l.runwaylights[i] = Find(airport, kRunwayLights[i]);
    l.stlight[0] = Find(airport, "stlight");
    l.stlight[1] = Find(airport, "stlight2");
    l.stlight[2] = Find(airport, "stlight3");
    l.woods[0] = Find(airport, "woods");
    l.woods[1] = Find(airport, "woods2");
    l.rwlight = Find(airport, "rwlight");
    l.nlight = Find(airport, "nlight");
    FixLights(l);
    // The light patterns keep the state their file gives them until the stage's set-up
    // switches them by its light-pattern choice.
    for (int i = 0; i < kLightPatternLayers; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "lightpat%d", i + 1);
        l.lightpat[i] = Find(airport, name);
    }
    if (!h.night)
        for (tagKRNL* light : l.runwaylights) Switch(light, 0);

    SetTitleStep("表示レベル設定");
    l.level[0] = Find(airport, "obj_0");
    l.level[1] = Find(airport, "obj_1");
    l.level[2] = Find(airport, "obj_2");
    if (l.level[0]) {
        const int shown = c.resolution == 1   ? 0
                          : c.resolution == 2 ? 1
                          : c.resolution == 3 ? 3
                                              : -1;
        if (shown >= 0)
            for (int k = 0; k < 3; ++k) Switch(l.level[k], k < shown ? 1 : 0);
    }

    SetTitleStep("ボーディング設定");
    BridgeTable& bridges = GetBridgeTable();
    for (int row = 0; row < kBridgeRows; ++row) {
        const int n = BridgeOfSpot(row);
        if (n < 0) continue;
        tagKRNL* pose[3];
        for (int p = 0; p < 3; ++p) {
            char name[32];
            std::snprintf(name, sizeof name, "bdg%dmv%d", n, p);
            pose[p] = Find(airport, name);
        }
        // A missing pose stands in for the one before it.
        if (!pose[1]) pose[1] = pose[0];
        if (!pose[2]) pose[2] = pose[1];
        for (int p = 0; p < 3; ++p) bridges[size_t(row)].pose[p] = pose[p];
        if (pose[0]) {
            Switch(pose[2], 0);
            Switch(pose[1], 0);
            Switch(pose[0], 1);
        }
    }

    SetTitleStep("看板設定");
    l.spotplate = Find(airport, "spotplate");
    l.rwplate = Find(airport, "rwplate");
    Switch(l.spotplate, 0);
    Switch(l.rwplate, 0);
    SetStageValues();

    SetTitleStep("SID設定");
    std::snprintf(file, sizeof file, "port\\%s\\etc\\%s.si2", code, code);
    const std::vector<uint8_t> si2 = ReadFile(file, kRouteFileMax);
    std::unique_ptr<SidTable> none;
    SidTable* sids = GetSidTable();
    if (!sids) sids = (none = std::make_unique<SidTable>()).get();
    ReadRouteFile(si2.data(), si2.size(), &GetRouteTable(), sids);

    SetTitleStep("交信データ読み込み");
    std::snprintf(file, sizeof file, "port\\%s\\root\\%s.ptd", code, code);
    const std::vector<uint8_t> ptd = ReadFile(file, kPointTableBytes);
    ReadPointFile(ptd.data(), ptd.size(), &GetPointTable());
    std::snprintf(file, sizeof file, "port\\%s\\etc\\%s.dfa", code, code);
    const std::vector<uint8_t> dfa = ReadFile(file, kExchangeFileMax);
    ReadExchangeFile(dfa.data(), dfa.size(), &GetExchangeTable());

    SetTitleStep("夜間設定");
    if (h.night && rec) {
        for (int i = 0; i < rec->lights; ++i) {
            const AirportLight& g = rec->light[i];
            tagKRN3D pos = {double(g.x), double(g.y), double(g.z), 0};
            const DWORD colour =
                (DWORD(g.blue) & 0xff) << 16 | (DWORD(g.green) & 0xff) << 8 | (DWORD(g.red) & 0xff);
            KRN_Light(GetEngine(), 2 + i, 4, &pos, nullptr, colour, double(g.range));
        }
    }
    return 1;
}

int FindSid(const char* name, int* a, int* b) {
    const SidTable* sids = GetSidTable();
    if (!sids || !name || !a || !b) return 0;
    return FindSidIn(*sids, GetScenarioHeader().runways, name, a, b);
}
