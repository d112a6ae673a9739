// The night approaches' paths.
#include "approach.h"

#include <cmath>

namespace {

tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0}; }

const int kLengths[APPROACH_SEGMENTS] = {100000, 14000, 2000};

}  // namespace

FlushPose FlushAt(int line, double x, double y, double z, int t) {
    FlushPose p;
    if ((t / 500) % 2 != 0) {
        // Gone for the odd half-second: below the ground.
        p.pos = V(0, -100, 0);
        return p;
    }
    const double u = (t % 500) * 0.002;
    p.pos = line == 4 ? V(965 - 422 * u, 4, -262) : V(-827 + 218 * u, 4, 492 - 376 * u);
    const double dx = x - FLUSH_X, dy = y - FLUSH_Y, dz = z - FLUSH_Z;
    p.scaled = 1;
    p.scale = 0.001 * std::sqrt(dx * dx + dy * dy + dz * dz);
    if (p.scale < 1.0) p.scale = 1.5;
    return p;
}

int ApproachLength(int segment) {
    return segment >= 1 && segment <= APPROACH_SEGMENTS ? kLengths[segment - 1] : 0;
}

CockpitPose CockpitAt(int second, int segment, int t, const tagKRN3D& E, const tagKRN3D& R) {
    CockpitPose p;
    p.eye = E;
    p.rot = R;
    switch (segment) {
        case 1: {
            const double u = t / 100000.0;
            p.eye =
                V((second ? -4000 + 3440 * u : -3750 + 3190 * u), 800 - 790 * u, 6000 - 5980 * u);
            double rx = 15 - 10 * u + 0.5 * std::sin(100 * u) + 0.2 * std::sin(40 * u);
            // The nose comes up for the flare in the last five seconds.
            if (t >= 95000) rx -= (t - 95000) * 0.002;
            p.rot = V(rx, 160 - 10 * u, std::sin(60 * u) + 0.5 * std::sin(100 * u));
            p.caption = t >= 5001 && t <= 15999;
            p.flush = 1;
            break;
        }
        case 2: {
            const double v = t / 20000.0, a = std::sin(1.57 * v), b = std::sin(3.14 * v);
            double ey = 10;
            if (t < 2001) {
                // The touch-down bounce.
                const double k = t / 2000.0;
                ey = 10 - (1 - k) * 0.4 * std::sin(31.4 * k);
            }
            p.eye = V(-560 + 250 * a, ey, 20 - 420 * a);
            const double ry = t < 6001
                                  ? 150 + 0.1 * b * (std::sin(60 * v) + std::sin(100 * v))
                                  : 150 + 0.2 * b * std::sin(60 * v) + 0.1 * b * std::sin(100 * v);
            double rx = 5;
            if (t < 2001)
                rx = -5;
            else if (t < 6001)
                rx = 5 - 10 * std::sin((t - 2000) * 0.00025 * 1.57 + 1.57);
            p.rot = V(rx, ry, 0);
            break;
        }
        case 3: {
            const double k = t / 2000.0;
            p.rot = V(5 - (1 - k) * 0.3 * std::sin(9.42 * k), 150, 0);
            break;
        }
        default:
            break;
    }
    return p;
}
