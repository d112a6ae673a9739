// The stage's weather: clouds (the shared cloud maker), the rain box that rides with the
// camera, the ring of smoke particles fed by one emitter, and the height sway of aircraft.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/base.h"
#include "mmsystem.h"
#include "simulation/simulation.h"
#include "world/autocloud.h"
#include "world/world.h"

namespace {

WeatherLayers g_weather = {};
SmokeSource g_source = {};

constexpr int kSmokeTextures = 5;
constexpr int kMaxParticles = 200;  // room per emitter
constexpr int kRiseHeights = 10;

struct Particle {
    tagKRN3D origin;
    double size;
    uint32_t start;  // timeGetTime at the emission; 0 = free
};
// Emitter 0: the only one the game builds, feeds and animates.
struct SmokeEmitter {
    double step;
    int32_t life;  // ms
    int32_t pattern;
    double size;
    int32_t fade;  // ms
    int32_t ring;  // the next particle written
    tagKRN3D last;
    Particle particle[kMaxParticles];
};
struct Smoke {
    SmokeEmitter emitter;
    int32_t count = 0;  // particles per emitter
    DWORD_PTR texture[kSmokeTextures] = {};
    double rise[kRiseHeights] = {};
};
Smoke g_smoke;

// The layer's own chip of a particle, or null when the layer holds no such chip.
tagKRNCHIP* ParticleChip(tagKRNL* smoke, int index) {
    if (!smoke || !smoke->lpchip || index < 0 || index >= smoke->count) return nullptr;
    return &smoke->lpchip[index];
}

void SetChipColour(tagKRNCHIP* c, int value) {
    c->red = c->green = c->blue = value;
    for (int k = 0; k < 3; ++k) c->r[k] = c->g[k] = c->b[k] = value;
}

// The rain's shaking of one axis: the low three bits of a draw, less 4.
int Shiver() { return (std::rand() & 7) - 4; }

double Sway(int aircraft, int ticks, int height, double factor) {
    if (height < 10) return 0.0;
    static constexpr double kFrequency[8] = {20.0, 17.0, 13.0, 24.0, 11.0, 13.0, 17.0, 13.0};
    const int a = ((aircraft % 8) + 8) % 8;
    const double p = (ticks % 1800) / 1800.0;
    return (height - 10) * factor *
           (std::sin(p * 4.71225 * kFrequency[(a + 4) % 8]) + std::sin(6.283 * p * kFrequency[a]));
}

}  // namespace

WeatherLayers& GetWeatherLayers() { return g_weather; }
tagKRNL* GetSmokeLayer() { return g_weather.smoke; }
SmokeSource& GetSmokeSource() { return g_source; }

int IsRainStage() {
    const char letter = GetScenarioHeader().world.weather[0];
    return letter == 'R' || letter == 'T';
}

void SetupWeather() {
    WeatherLayers& w = g_weather;
    w = WeatherLayers{};
    g_source = SmokeSource{};
    tagKRNL* root = GetRootLayer();
    tagKRN* engine = GetEngine();
    if (!root || !engine) return;
    SetTitleStep("雲設定");
    if (GetConfig().cloud) {
        const int thick = ZEM_Random(0, 99) < GetScenarioHeader().world.cloudpct;
        char folder[MAX_PATH + 8];
        std::snprintf(folder, sizeof folder, "%setc\\", GetProgramFolder());
        w.cloud =
            MakeAutoCloud(root, engine->chipmax - 355, 100, 2000, 400, 1000, folder, 1, thick);
    }
    if (IsRainStage())
        w.rain = MakeAutoRain(root, engine->chipmax - 555, 200);
    else
        w.smoke = MakeAutoSmoke(root, engine->chipmax - 555, "ETC\\SMOKE\\", 100);
}

void DeleteWeather() {
    if (g_weather.cloud) KRNL_DeleteLayer(g_weather.cloud, 1);
    g_weather.cloud = nullptr;
}

tagKRNL* MakeAutoRain(tagKRNL* root, int first, int count) {
    if (!root || count < 1) return nullptr;
    tagKRNL* rain = KRNL_CreateLayer(root, "AutoRain");
    if (!rain) return nullptr;
    const tagKRNCHIP blank = WeatherChip();
    for (int i = 0; i < count; ++i) {
        const int a = std::rand() % 40 - 20;
        const int b = std::rand() % 40;
        const int c = std::rand() % 40 - 20;
        tagKRNCHIP chip = blank;
        chip.v[0] = tagKRN3D{double(a), double(b - 19), double(c), 0};
        chip.v[1] = tagKRN3D{a + 0.05, double(b - 21), c + 0.05, 0};
        chip.v[2] = tagKRN3D{a - 0.05, double(b - 21), c - 0.05, 0};
        chip.r[1] = chip.g[1] = chip.b[1] = 160;
        KRN_SetChip(root->hkrn, first + i, &chip);
    }
    KRNL_CaptureLayer(rain, first, count);
    KRNL_RecallFunction(KRNLOP_BACK, rain, 0, 1, 0);
    KRNL_RecallFunction(KRNLOP_ALPHA, rain, 0, 1, 0);
    KRNL_RecallFunction(KRNLOP_ZNOWRITE, rain, 0, 1, 0);
    return rain;
}

void MoveAutoRain(tagKRNL* rain, const tagKRN3D* position, int direction, int strength) {
    if (!rain || !position) return;
    tagKRN3D at = *position;
    at.x += Shiver();
    at.y += Shiver();
    at.z += Shiver();
    const tagKRN3D angles = {double(-strength), double(direction), 0, 0};
    KRNL_AbsMoveLayer(rain, &at, &angles, nullptr);
}

tagKRNL* MakeAutoSmoke(tagKRNL* root, int first, const char* folder, int count) {
    if (!root || count < 1) return nullptr;
    tagKRNL* smoke = KRNL_CreateLayer(root, "AutoSmoke");
    if (!smoke) return nullptr;
    if (count > kMaxParticles) count = kMaxParticles;
    for (int i = 0; i < kSmokeTextures; ++i) {
        char path[MAX_PATH + 32];
        std::snprintf(path, sizeof path, "%ssmoke%d.bmp", folder ? folder : "", i);
        g_smoke.texture[i] = KRN_ReadTexture(root->hkrn, path, 0);
    }
    g_smoke.count = count;
    g_smoke.emitter.ring = 0;
    // Three turns of the texture, so that neighbouring puffs never look alike.
    const tagKRNCHIP blank = WeatherChip();
    tagKRNCHIP variant[3];
    for (int j = 0; j < 3; ++j) {
        variant[j] = blank;
        for (int k = 0; k < 3; ++k) {
            variant[j].x[k] = blank.x[(j + k) % 3];
            variant[j].y[k] = blank.y[(j + k) % 3];
        }
    }
    int previous = -1;
    for (int i = 0; i < count; ++i) {
        int v = (std::rand() / 100) % 3;
        if (v == previous) v = (v + 1) % 3;
        previous = v;
        KRN_SetChip(root->hkrn, first + i, &variant[v]);
    }
    KRNL_CaptureLayer(smoke, first, count);
    KRNL_RecallFunction(KRNLOP_BACK, smoke, 0, 1, 0);
    KRNL_RecallFunction(KRNLOP_ALPHA, smoke, 0, 1, 0);
    KRNL_RecallFunction(KRNLOP_BILLBOARD, smoke, 0, 1, 0);
    KRNL_RecallFunction(KRNLOP_ZNOWRITE, smoke, 0, 1, 0);
    SetEmitter(smoke, 0, 10.0, 6000, 0, 80, 3000);
    for (double& r : g_smoke.rise) r = 100.0;
    return smoke;
}

void SetEmitter(tagKRNL* smoke, int emitter, double step, int life, int pattern, double size,
                int fade) {
    if (!smoke || emitter != 0) return;
    SmokeEmitter& e = g_smoke.emitter;
    e.step = step;
    e.life = life;
    e.pattern = pattern;
    e.size = size;
    e.fade = fade;
    for (int i = 0; i < g_smoke.count; ++i) ResetParticle(smoke, i);
}

void ResetParticle(tagKRNL* smoke, int index) {
    if (!smoke || g_smoke.count < 1) return;
    if (index == -1) {
        for (int i = 0; i < g_smoke.count; ++i) ResetParticle(smoke, i);
        SetEmitter(smoke, 0, 10.0, 6000, 0, 80, 3000);
        return;
    }
    if (index < 0 || index >= g_smoke.count) return;
    g_smoke.emitter.particle[index].start = 0;
    if (tagKRNCHIP* c = ParticleChip(smoke, index))
        for (tagKRN3D& v : c->v) v = tagKRN3D{0, -1000.0, 0, 0};
}

void EmitParticle(tagKRNL* smoke, int emitter, const tagKRN3D* position) {
    if (!smoke || emitter != 0 || !position || g_smoke.count < 1) return;
    SmokeEmitter& e = g_smoke.emitter;
    const double d = KRN_Length3D(&e.last, position);
    if (d < e.step) return;
    const double s = e.size < d && d <= 2.0 * e.size ? d : e.size;
    const int r = e.ring;
    if (tagKRNCHIP* c = ParticleChip(smoke, r)) {
        for (tagKRN3D& v : c->v) v = *position;
        const int pattern = e.pattern >= 0 && e.pattern < kSmokeTextures ? e.pattern : 0;
        c->htex = g_smoke.texture[pattern];
        SetChipColour(c, 255);
    }
    e.last = *position;
    Particle& p = e.particle[r];
    p.origin = *position;
    p.size = s;
    p.start = timeGetTime();
    e.ring = (r + 1) % g_smoke.count;
}

void AnimateParticles(tagKRNL* smoke) {
    if (!smoke) return;
    const SmokeEmitter& e = g_smoke.emitter;
    const uint32_t now = timeGetTime();
    for (int i = 0; i < g_smoke.count; ++i) {
        const Particle& p = e.particle[i];
        if (!p.start) continue;
        const uint32_t age = now - p.start;
        if (e.life <= 0 || int64_t(age) > e.life) {
            ResetParticle(smoke, i);
            continue;
        }
        const double t = double(age) / e.life;
        const double g = std::sin(1.57075 * t) * p.size;
        const double rise = t * g_smoke.rise[i % kRiseHeights];
        tagKRNCHIP* c = ParticleChip(smoke, i);
        if (!c) continue;
        const tagKRN3D& o = p.origin;
        c->v[0] = tagKRN3D{o.x - g, o.y - g + rise, o.z, 0};
        c->v[1] = tagKRN3D{o.x, o.y + g + rise, o.z, 0};
        c->v[2] = tagKRN3D{o.x + g, o.y - g + rise, o.z, 0};
        if (int64_t(age) > int64_t(e.life) - e.fade && e.fade > 0)
            SetChipColour(c, int((int64_t(e.life) - age) * 255 / e.fade));
    }
    smoke->recalc = 1;
}

double WindSway(int aircraft, int ticks, int height) {
    return Sway(aircraft, ticks, height, 0.00025);
}
double WindSway2(int aircraft, int ticks, int height) {
    return Sway(aircraft, ticks, height, 0.001);
}
