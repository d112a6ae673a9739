// What a demo scene's numbered screenshots show: which shot holds a moment of the scene clock
// (by the trace's segment lines), and how much of a region of the view is of a surface's
// colour. The 3D view is client (80, 60)-(720, 540).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "../common/png_read.h"

// One "segment <length> t <t> frames <n> ran|stopped" line of the demo trace.
struct SceneSegment {
    int length = 0, t = 0, frames = 0;
};

inline std::vector<SceneSegment> SceneSegments(const std::vector<std::string>& trace) {
    std::vector<SceneSegment> out;
    for (const std::string& l : trace) {
        SceneSegment s;
        char how[16] = {};
        if (std::sscanf(l.c_str(), "segment %d t %d frames %d %15s", &s.length, &s.t, &s.frames,
                        how) == 4)
            out.push_back(s);
    }
    return out;
}

// The number of the shot (taken every `every` frames, the first after frame `every`) nearest
// to time `ms` of segment `segment` (0-based), the frames of a segment spread evenly over the
// time it ran; 0 when the run did not get there.
inline int ShotAt(const std::vector<SceneSegment>& segs, size_t segment, int ms, int every) {
    if (segment >= segs.size() || segs[segment].frames <= 0 || ms > segs[segment].t) return 0;
    int before = 0;
    for (size_t i = 0; i < segment; ++i) before += segs[i].frames;
    const double frame = before + double(ms) * segs[segment].frames / segs[segment].t;
    return int(frame / every + 0.5);
}

inline int Max3(int a, int b, int c) { return a > b ? (a > c ? a : c) : (b > c ? b : c); }
inline int Min3(int a, int b, int c) { return a < b ? (a < c ? a : c) : (b < c ? b : c); }

// Runway asphalt at night, under the night scenes' blue light, and its lit markings; the
// night grass is greener than blue, the night sky (above the rows looked at) not grey.
inline bool NightRunway(uint32_t p) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return (b >= g + 15 && r - g <= 10 && g - r <= 10 && r >= 14) || Min3(r, g, b) > 200;
}

// Runway and taxiway asphalt by day: dark grey.
inline bool DayAsphalt(uint32_t p) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return Max3(r, g, b) - Min3(r, g, b) <= 16 && Max3(r, g, b) >= 40 && Max3(r, g, b) <= 110;
}

// The terminal's and the hangars' light walls by day (the sky is bluer, the grass green).
inline bool DayBuilding(uint32_t p) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return Min3(r, g, b) >= 150 && Max3(r, g, b) - Min3(r, g, b) <= 30 && b <= r + 6;
}

// The share of the client rectangle [x0, x1) x [y0, y1) whose pixels pass `is`.
template <class Is>
double Share(const Png& shot, int x0, int x1, int y0, int y1, Is is) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += is(shot.At(x, y));
    return double(n) / ((x1 - x0) * (y1 - y0));
}
