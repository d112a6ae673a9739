// The cloud maker: a field of upright, camera-facing cloud triangles (with an optional rainbow)
// written into an engine's chip slots and gathered into the layer "AutoCloud". One routine for
// the game and the demo programs; a style record carries where the demos' build differs.
#pragma once

#include "krnlayer.h"

// Where the builds differ. The game's style is the default; a caller may pass its own.
struct CloudStyle {
    int (*random)();      // the random source, 0..32767 (the game: the C runtime's rand)
    int roundnearest;     // heights: 0 cut toward zero (the game), 1 rounded to the nearest
    const char* subname;  // the shade clouds' child layer ("SubCloud")
    const char* addname;  // the plain clouds' child layer ("AddCloud")
    int range;            // spread of x and z: random mod range - range / 2 (24000)
    double topscale;      // the top vertex stands at height + size x topscale (1.0)
};
extern const CloudStyle kGameCloudStyle;

// The chip every weather triangle starts from: all zero but mode 1 (shown), flags 6 (vertex
// colours, smooth), the vertex normals (0, 0, 1) and the texture's triangle (0.01, 0.99),
// (0.5, 0.01), (0.99, 0.99) from bottom left over top middle to bottom right.
tagKRNCHIP WeatherChip();

// Builds the clouds under `root`, in the engine that `root` belongs to, and returns the new
// layer "AutoCloud" (0 when that layer or one of its children cannot be made: a name the tree
// already holds; nothing is written then).
//
// The four textures "<folder>cloud00.bmp".."cloud03.bmp" are read with the colour-key switch 0;
// with `separate` also the shade textures "cloud00s.bmp".."cloud03s.bmp"; with `rainbow` also
// "<folder>rainbow.bmp". `count` clouds are placed (count - 1 with the rainbow), cloud i drawn
// as x, z = random mod range - range / 2 and a height between `lowest` and `highest` that
// crowds toward the highest; its triangle stands upright from (x - size / 2, h, z) over
// (x, h + size, z) to (x + size / 2, h, z) with texture i mod 4.
//
// Without `separate`, cloud i goes to chip slot first + i and "AutoCloud" captures the count
// slots from `first` (alpha on). With it, the shade chip goes to first + i and the plain one to
// first + count + i; child `subname` captures the shade chips (shadow on) and child `addname`
// the count slots from first + count (alpha on). The rainbow takes the last slot of the plain
// range. "AutoCloud" and its children are billboards that write no depth.
tagKRNL* MakeAutoCloud(tagKRNL* root, int first, int count, int size, int lowest, int highest,
                       const char* folder, int separate, int rainbow,
                       const CloudStyle* style = &kGameCloudStyle);
