// The picture maker's drawing mode: a text description of pictures (the format is told at
// the head of draw_reader.cpp) is read into plain records, each picture is drawn into 16-bit
// pixels, and written as the system's picture file or as a BMP texture.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "umb33.h"

namespace umbdraw {

// The limits the reader holds every description to; a picture within them can always be
// drawn and written.
inline constexpr int kMaxSide = 8192;  // a strip of stacked tiles may be tall
inline constexpr long long kMaxPixels = 4096LL * 4096;
inline constexpr int kMaxNumber = 65535;
inline constexpr int kMaxTiles = 1000;
inline constexpr int kMaxStates = 10;
inline constexpr int kMaxPoints = 16;
inline constexpr size_t kMaxText = 200;

// A colour as the description names it: a pixel value, and the colour name it came from (or
// -1), so that a tile's state can give the name another value.
struct Colour {
    ZEMPIXEL pixel = 0;
    int name = -1;
};

enum class OpKind { Font, Fill, Box, Rect, Line, Disc, Circle, Glow, Gradient, Poly, Text, Glyphs };
enum class Align { Left, Centre, Right };

// One drawing step. `v` holds its numbers in the order the line gives them (a polygon's
// points as x, y pairs); which of the other fields count depends on the kind.
struct Op {
    OpKind kind = OpKind::Fill;
    int line = 0;  // in the description, for messages
    std::array<int, 2 * kMaxPoints> v{};
    int count = 0;  // numbers used in `v`
    Colour colour, colour2;
    // Text and glyphs: the UTF-8 text (tiles may write {n} for the tile number), alignment,
    // a shadow one pixel right and down, an outline all round.
    std::string text;
    Align align = Align::Left;
    bool shadow = false, outline = false;
    Colour edge;
    // Fonts: size in pixels, single-byte width (0: half the size), weight, the mincho face.
    bool bold = false, mincho = false;
    bool across = false;  // gradients: left to right instead of top to bottom
};

// Tiles: `count` tiles of w x h. Tile n stands in column n, its states in rows; with `stack`
// tile n stands in row n and its states in columns. Each state gives colour names other
// values while its copy of the tiles is drawn.
struct State {
    int index = 0;
    std::vector<std::pair<int, ZEMPIXEL>> colours;  // name, value
};
struct Grid {
    int w = 0, h = 0, count = 0;
    bool stack = false;
    std::vector<State> states;
};

enum class Output { Picture, Bmp24, Bmp8, Icon, Cursor };

struct Picture {
    int line = 0;
    std::string path;  // relative, '/'-separated
    int width = 0, height = 0;
    Output output = Output::Picture;
    bool raw = false;        // the picture file's rows uncoded
    int hotX = 0, hotY = 0;  // a cursor's hot spot
    char form[4] = {'U', 'M', 'B', ' '};
    bool hasKey = false;
    ZEMPIXEL key = 0;
    bool hasFrame = false;
    int xpos = 0, ypos = 0, xoffset = 0, yoffset = 0;
    std::vector<Op> ops;  // drawn on the whole picture, before the tiles
    bool hasGrid = false;
    Grid grid;
    std::vector<Op> allTiles;              // drawn on every tile first
    std::vector<std::vector<Op>> tileOps;  // per tile number
};

struct Description {
    std::vector<std::string> names;  // colour names, by the index a Colour refers to
    std::vector<Picture> pictures;
};

// Reads a description from its bytes. Returns true, or false with `error` telling the line
// and what is wrong; nothing of a refused description is drawn.
bool ReadDescription(const char* text, size_t size, Description* out, std::string* error);

// The frame size a picture stores in `xpos` and `ypos`: the one it names, else its tile size,
// else the cell of its last glyph strip, else the picture's size.
void FrameSize(const Picture& p, int* w, int* h);

// Draws the picture into width x height pixels, top row first. Text goes through the
// platform's GDI text drawing with its Japanese font. Returns false with `error` when the
// platform cannot draw text.
bool Render(const Picture& p, std::vector<ZEMPIXEL>* pixels, std::string* error);

// Writes the drawn pixels to `path` (a Linux path) in the picture's output form. Returns
// false with `error` when the file cannot be written.
bool Write(const Picture& p, const std::vector<ZEMPIXEL>& pixels, const std::string& path,
           std::string* error);

// An icon file (or, for Output::Cursor, a cursor file with the picture's hot spot) of the
// pixels: one entry of 32 bits, alpha 0 where the colour key is and half where a pixel is
// half-transparent, with the AND mask set where alpha is 0.
std::vector<uint8_t> IconBytes(const Picture& p, const std::vector<ZEMPIXEL>& pixels);

// A 8-bit BMP file of the pixels: the palette holds the picture's colours (their low bits
// dropped until at most 256 remain), rows bottom-up.
std::vector<uint8_t> Bmp8Bytes(const std::vector<ZEMPIXEL>& pixels, int width, int height);

}  // namespace umbdraw
