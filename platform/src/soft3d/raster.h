// The software rasterizer behind the Direct3D device. Its rules, fixed here and nowhere else:
//
// Coverage
//   - Vertex positions are snapped to 1/16 pixel. Pixel centres lie at integer coordinates.
//   - Top-left fill rule: pixel (x, y) belongs to a triangle when its centre is inside, or on a
//     left edge or a horizontal top edge; centres on right or bottom edges belong to the
//     neighbour. Two triangles sharing an edge therefore draw each pixel along it exactly once.
//   - Triangles are drawn whatever their winding (no culling); degenerate ones draw nothing.
//   - Everything is clipped to the viewport rectangle (and the target's bounds).
//   - Line strips: each segment steps along its major axis from the pixel nearest its first
//     end, one pixel per column (or row), and leaves out its last pixel, so the segments of a
//     closed outline meet without drawing a corner twice. Lines are not textured.
// Interpolation
//   - Colour (r, g, b, a), specular alpha (the fog factor) and z are linear in screen space
//     (Gouraud shading). Texture u, v are perspective-correct: u·rhw, v·rhw and rhw are
//     interpolated linearly and divided per pixel; with perspective off, u and v are linear.
// Texturing
//   - Wrap addressing, nearest filtering: texel (floor(u·width) mod width,
//     floor(v·height) mod height).
//   - Colour key: when enabled and the texture has a source colour key, a texel whose raw
//     value in the texture's own pixel format lies in [low, high] is not drawn (no colour, no
//     depth written).
//   - The texel's colour is widened to 8 bits per channel by repeating its top bits and
//     multiplied by the vertex colour: c = round(t·v / 255). Alpha is the vertex alpha.
// Fog (vertex fog)
//   - c = f·c + (1 − f)·fog with f = specular alpha / 255, that is, with fa the specular
//     alpha: c = round((fa·c + (255 − fa)·fog) / 255) per channel, before blending.
//   - The specular colour itself is never added (the device keeps its SPECULARENABLE state,
//     which the callers switch off).
// Depth
//   - z in [0, 1] is scaled to the depth buffer's range (2^bits − 1) and rounded. With z
//     enabled the test is LESSEQUAL against the stored value; the write can be turned off.
//     Without z (or without a depth buffer) nothing is tested or written.
// Blending
//   - With alpha blending on, out = min(255, round((s·Fs + d·Fd) / 255)) per channel, where
//     s is the source colour, d the destination widened to 8 bits, and Fs, Fd the factors of
//     the source and destination blend (ZERO 0, ONE 255, SRCCOLOR s, INVSRCCOLOR 255 − s,
//     SRCALPHA a, INVSRCALPHA 255 − a, DESTCOLOR d, INVDESTCOLOR 255 − d). Off, out = s.
// Output
//   - 8-bit channels are narrowed to the target's format by dropping low bits (no dithering).
#pragma once

#include <cstdint>

namespace soft3d {

enum class Format : uint8_t { RGB565, RGB555, XRGB8888 };

inline int BytesPerPixel(Format f) { return f == Format::XRGB8888 ? 4 : 2; }

// A colour target: rows of `pitch` bytes.
struct Image {
    uint8_t* bits = nullptr;
    int pitch = 0;
    int width = 0, height = 0;
    Format format = Format::RGB565;
};

// A depth target: 16-bit values, or 32-bit words for depths of 24 and 32 bits.
struct Depth {
    uint8_t* bits = nullptr;
    int pitch = 0;
    int width = 0, height = 0;
    int depthBits = 0;  // 0: none
};

struct Texture {
    const uint8_t* bits = nullptr;
    int pitch = 0;
    int width = 0, height = 0;
    Format format = Format::RGB565;
    bool keyed = false;  // has a source colour key
    uint32_t keyLow = 0, keyHigh = 0;
};

struct Vertex {
    float sx, sy, sz, rhw;
    uint32_t color, specular;
    float tu, tv;
};

// Blend factors take the device's D3DBLEND values.
struct State {
    bool zEnable = false;
    bool zWrite = true;
    bool blend = false;
    int srcBlend = 2;  // ONE
    int dstBlend = 1;  // ZERO
    bool colorKey = false;
    bool perspective = false;
    bool fog = false;
    uint32_t fogColor = 0;  // xRGB
    const Texture* texture = nullptr;
    // Clip rectangle, right and bottom exclusive.
    int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
};

void DrawTriangle(const Image& target, const Depth& depth, const State& state, const Vertex& a,
                  const Vertex& b, const Vertex& c);
void DrawLine(const Image& target, const Depth& depth, const State& state, const Vertex& a,
              const Vertex& b);

// The pixel value of an xRGB colour in `format` (low bits dropped).
uint32_t PackColor(Format format, uint32_t xrgb);
// The xRGB colour of a pixel value (channels widened by repeating their top bits).
uint32_t UnpackColor(Format format, uint32_t pixel);
// Fills a rectangle (clipped to the image) with a raw pixel value.
void FillImage(const Image& image, int left, int top, int right, int bottom, uint32_t pixel);
// Fills a rectangle of a depth buffer with a raw depth value.
void FillDepth(const Depth& depth, int left, int top, int right, int bottom, uint32_t value);
// The depth value for z = 1 (the far end).
inline uint32_t DepthMax(int depthBits) {
    return depthBits >= 32 ? 0xFFFFFFFFu : ((1u << depthBits) - 1u);
}

}  // namespace soft3d
