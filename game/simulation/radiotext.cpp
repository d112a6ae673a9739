// The radio text window: a framed text over the view for a number of seconds, built in the
// stage's text-window cell from the pieces of etc\wind01.umz and shown as sprite 60, while the
// other voices are lowered; the aircraft update takes it down when its countdown runs out.
#include <cstring>

#include "base/base.h"
#include "controller/controller.h"
#include "simulation/simulation.h"

namespace {

constexpr int kLineBytes = 64;  // bytes of text on one line of the window
constexpr int kFramesPerSecond = 30;
constexpr int kWindowZ = 1000;
constexpr const char kFace[] = "ＭＳ ゴシック";
constexpr ZEMPIXEL kTextColour = 16;

int g_countdown = 0;  // ticks; 0 none, and a value below 0 stays until it is set again

// The frame picture's piece of column `c` and row `r` of its 3 x 3 grid: corners and edges
// around the one piece (w x h) that a character or a line takes.
RECT Piece(const tagCELL& frame, int c, int r) {
    const int w = frame.xpos, h = frame.ypos, bw = frame.xoffset, bh = frame.yoffset;
    const int x0[3] = {0, bw, bw + w}, x1[3] = {bw, bw + w, bw + w + bw};
    const int y0[3] = {0, bh, bh + h}, y1[3] = {bh, bh + h, bh + h + bh};
    return RECT{x0[c], y0[r], x1[c], y1[r]};
}

// One row of the frame at y: its left piece, `pieces` middle pieces and its right piece, all of
// grid row `r`.
void FrameRow(tagCELL* cell, const tagCELL& frame, int y, int r, int pieces) {
    const int w = frame.xpos, bw = frame.xoffset;
    RECT piece = Piece(frame, 0, r);
    CopyCellRect(cell, 0, y, &frame, &piece);
    piece = Piece(frame, 1, r);
    for (int i = 0; i < pieces; ++i) CopyCellRect(cell, bw + i * w, y, &frame, &piece);
    piece = Piece(frame, 2, r);
    CopyCellRect(cell, bw + pieces * w, y, &frame, &piece);
}

}  // namespace

void DrawRadioText(int x, int y, const char* text, int seconds) {
    if (!text) text = "";
    const int n = int(std::strlen(text));
    int cols = n <= kLineBytes ? n : kLineBytes;
    int lines = n <= kLineBytes ? 1 : n / kLineBytes + 1;

    g_countdown = seconds > 0 ? seconds * kFramesPerSecond : seconds;

    StageCells& cells = GetStageCells();
    tagCELL* cell = &cells.textwindow;
    const tagCELL& frame = cells.wind01;
    const int w = frame.xpos, h = frame.ypos, bw = frame.xoffset, bh = frame.yoffset;
    HZEMSCREEN screen = GetMainScreen();
    if (cell->xsize > 0 && cell->ysize > 0 && w > 0 && h > 0 && bw >= 0 && bh >= 0) {
        // The cell does not clip what is copied or written into it: lines (and pieces) that
        // would not fit are left out, so the window stays inside its cell.
        const int fitlines = (cell->ysize - 2 * bh) / h;
        if (lines > fitlines) lines = fitlines > 0 ? fitlines : 0;
        const int fitcols = 2 * ((cell->xsize - 2 * bw) / w);
        if (cols > fitcols) cols = fitcols > 0 ? fitcols : 0;
        const int width = (cols / 2) * w + 2 * bw;
        const int height = lines * h + 2 * bh;
        if (x == -1) x = (800 - ((cols * w) / 2 + 2 * bw)) / 2;

        FrameRow(cell, frame, 0, 0, cols / 2);
        for (int line = 0; line < lines; ++line) FrameRow(cell, frame, bh + line * h, 1, cols / 2);
        FrameRow(cell, frame, bh + lines * h, 2, cols / 2);

        // The text, one double-byte character (two bytes) to a piece.
        HZEMSCREEN own = reinterpret_cast<HZEMSCREEN>(cell->user);
        for (int line = 0; line < lines && own; ++line) {
            for (int j = 0; j < cols; j += 2) {
                const int at = line * kLineBytes + j;
                if (at >= n) break;
                char two[3] = {text[at], at + 1 < n ? text[at + 1] : '\0', '\0'};
                const RECT rc{j / 2 * w + bw - 1, bh + line * h + 1, j / 2 * w + w + bw + 2,
                              bh + line * h + h};
                ZEM_SetFontScreen(own, &rc, kFace, h, (w + 1) / 2, two, kTextColour, 0);
            }
        }

        if (screen) {
            SetSpriteSize(screen, kSpriteTextWindow, width, height);
            const int sy = y >= 200 ? y + GetStageOffset() - 200 : y;
            ZEM_SetSprite(screen, kSpriteTextWindow, x, sy, kWindowZ, 0, 0);
        }
    }
    DuckVolumes(1);
}

int GetRadioTextCountdown() { return g_countdown; }
void SetRadioTextCountdown(int ticks) { g_countdown = ticks; }

void CountDownRadioText(int ticks) {
    if (g_countdown <= 0 || ticks <= 0) return;
    g_countdown = ticks < g_countdown ? g_countdown - ticks : 0;
    if (g_countdown > 0) return;
    if (HZEMSCREEN screen = GetMainScreen()) {
        // Placed at 0, 0 with no depth: not drawn; its pattern stays.
        ZEM_SetSprite(screen, kSpriteTextWindow, 0, 0, 0, -1, 0);
    }
    DuckVolumes(0);
}
