// wyndemob's night approaches as data: the blinking approach light's place for the camera and
// the time, and the cockpit's camera on the way down, for a frame at time t of a segment. Pure
// functions, so that the paths can be checked without an engine.
#pragma once

#include "demo.h"

// The approach light's fixed point, from which its distance to the camera is measured.
#define FLUSH_X (-827.0)
#define FLUSH_Y 4.0
#define FLUSH_Z 492.0

// Where the approach light stands at time t: during the even half-seconds along its line,
// scaled by 0.001 of the camera's distance from the fixed point (1.5 when that is below 1.0);
// during the odd ones below the ground, its scale kept (`scaled` 0).
struct FlushPose {
    tagKRN3D pos{};
    int scaled = 0;
    double scale = 0;
};
// `line` 3: the line (-827 + 218u, 4, 492 - 376u) of FlushSet3; 4: (965 - 422u, 4, -262) of
// FlushSet4.
FlushPose FlushAt(int line, double x, double y, double z, int t);

// The cockpit approaches: Demo3 (scene 2) and Demo4 (scene 3), three segments each.
#define APPROACH_SEGMENTS 3
int ApproachLength(int segment);  // segment from 1; 0 outside
struct CockpitPose {
    tagKRN3D eye{}, rot{};
    int caption = 0;  // the caption shows in this frame
    int flush = 0;    // the approach light moves in this frame
};
// The frame at time t of `segment`; `eye` and `rot` are the camera at the segment's start.
// `second` selects Demo4's longer approach (eye x from -4000).
CockpitPose CockpitAt(int second, int segment, int t, const tagKRN3D& eye, const tagKRN3D& rot);
