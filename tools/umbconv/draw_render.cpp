// Draws a described picture into 16-bit pixels. Shapes are drawn here; text goes through the
// platform's GDI text drawing (the Japanese font, glyphs without anti-aliasing) into a mask,
// which is then painted in the text's colour, so that texts take any pixel value the
// picture needs (the key, half-transparent colours) and pictures repeat exactly.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "draw.h"
#include "wynplat.h"

namespace umbdraw {

namespace {

struct Clip {
    int x0, y0, x1, y1;  // right and bottom exclusive
};

struct Font {
    int size = 16, width = 0;
    bool bold = false, mincho = false;
};

class Canvas {
  public:
    Canvas(const Picture& p, std::vector<ZEMPIXEL>* px) : p_(p), px_(*px) {
        px_.assign(size_t(p.width) * size_t(p.height), 0);
    }
    ~Canvas() {
        if (dc_) {
            SelectObject(dc_, oldBitmap_);
            if (font_) DeleteObject(SelectObject(dc_, oldFont_));
            DeleteObject(bitmap_);
            DeleteDC(dc_);
        }
    }

    bool Draw(std::string* error) {
        clip_ = {0, 0, p_.width, p_.height};
        ox_ = oy_ = 0;
        tile_ = -1;
        for (const Op& op : p_.ops)
            if (!Step(op, error)) return false;
        if (!p_.hasGrid) return true;
        const Font pictureFont = font_state_;
        const Grid& g = p_.grid;
        std::vector<State> states = g.states;
        if (states.empty()) states.push_back(State{});
        for (const State& s : states) {
            state_ = &s;
            for (int n = 0; n < g.count; ++n) {
                const int col = g.stack ? s.index : n, row = g.stack ? n : s.index;
                ox_ = col * g.w;
                oy_ = row * g.h;
                clip_ = {int(ox_), int(oy_), int(ox_) + g.w, int(oy_) + g.h};
                tile_ = n;
                font_state_ = pictureFont;
                for (const Op& op : p_.allTiles)
                    if (!Step(op, error)) return false;
                for (const Op& op : p_.tileOps[size_t(n)])
                    if (!Step(op, error)) return false;
            }
        }
        state_ = nullptr;
        return true;
    }

  private:
    ZEMPIXEL Resolve(const Colour& c) const {
        if (state_ && c.name >= 0)
            for (auto& [name, value] : state_->colours)
                if (name == c.name) return value;
        return c.pixel;
    }

    void Put(int x, int y, ZEMPIXEL v) {
        if (x < clip_.x0 || x >= clip_.x1 || y < clip_.y0 || y >= clip_.y1) return;
        px_[size_t(y) * size_t(p_.width) + size_t(x)] = v;
    }

    // Fills the rectangle (relative to the origin), clipped.
    void Box(long x, long y, long w, long h, ZEMPIXEL v) {
        const long x0 = std::max<long>(ox_ + x, clip_.x0), y0 = std::max<long>(oy_ + y, clip_.y0);
        const long x1 = std::min<long>(ox_ + x + w, clip_.x1);
        const long y1 = std::min<long>(oy_ + y + h, clip_.y1);
        for (long yy = y0; yy < y1; ++yy)
            for (long xx = x0; xx < x1; ++xx) px_[size_t(yy) * size_t(p_.width) + size_t(xx)] = v;
    }

    void Line(long x1, long y1, long x2, long y2, int t, ZEMPIXEL v) {
        const long dx = std::labs(x2 - x1), dy = -std::labs(y2 - y1);
        const long sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
        long err = dx + dy;
        for (;;) {
            Box(x1 - (t - 1) / 2, y1 - (t - 1) / 2, t, t, v);
            if (x1 == x2 && y1 == y2) break;
            const long e2 = 2 * err;
            if (e2 >= dy) err += dy, x1 += sx;
            if (e2 <= dx) err += dx, y1 += sy;
        }
    }

    // Pixels whose distance from the centre lies in (inner, r]; inner < 0 fills the disc.
    // Comparing with r (r + 1) takes the pixels within r + 1/2, which looks round at any size.
    void Ring(long cx, long cy, long r, long inner, ZEMPIXEL v) {
        const long outer2 = r * (r + 1), inner2 = inner < 0 ? -1 : inner * (inner + 1);
        long x0, y0, x1, y1;
        if (!Around(cx, cy, r, &x0, &y0, &x1, &y1)) return;
        for (long y = y0; y <= y1; ++y)
            for (long x = x0; x <= x1; ++x) {
                const long d2 = x * x + y * y;
                if (d2 <= outer2 && d2 > inner2) Put(int(ox_ + cx + x), int(oy_ + cy + y), v);
            }
    }

    // The offsets from a centre within r that fall inside the clip rectangle; false for none.
    bool Around(long cx, long cy, long r, long* x0, long* y0, long* x1, long* y1) const {
        *x0 = std::max(-r, clip_.x0 - ox_ - cx);
        *x1 = std::min(r, clip_.x1 - 1 - ox_ - cx);
        *y0 = std::max(-r, clip_.y0 - oy_ - cy);
        *y1 = std::min(r, clip_.y1 - 1 - oy_ - cy);
        return *x0 <= *x1 && *y0 <= *y1;
    }

    void Glow(long cx, long cy, long r, ZEMPIXEL v) {
        if (r <= 0) return;
        const double r2 = double(r) * double(r);
        long x0, y0, x1, y1;
        if (!Around(cx, cy, r, &x0, &y0, &x1, &y1)) return;
        for (long y = y0; y <= y1; ++y)
            for (long x = x0; x <= x1; ++x) {
                const double d2 = double(x * x + y * y);
                if (d2 >= r2) continue;
                const long px = ox_ + cx + x, py = oy_ + cy + y;
                if (px < clip_.x0 || px >= clip_.x1 || py < clip_.y0 || py >= clip_.y1) continue;
                double f = 1.0 - d2 / r2;
                f *= f;
                ZEMPIXEL& at = px_[size_t(py) * size_t(p_.width) + size_t(px)];
                const int r5 = std::max(UMB_PixelRed(at), int(std::lround(UMB_PixelRed(v) * f)));
                const int g5 =
                    std::max(UMB_PixelGreen(at), int(std::lround(UMB_PixelGreen(v) * f)));
                const int b5 = std::max(UMB_PixelBlue(at), int(std::lround(UMB_PixelBlue(v) * f)));
                at = ZEMPIXEL(UMB_MakePixel(r5, g5, b5) | (v & ZEMPIXEL_HALF));
            }
    }

    void Gradient(const Op& op) {
        const ZEMPIXEL a = Resolve(op.colour), b = Resolve(op.colour2);
        const long n = op.across ? op.v[2] : op.v[3];
        for (long i = 0; i < n; ++i) {
            const double t = n > 1 ? double(i) / double(n - 1) : 0.0;
            auto mix = [t](int ca, int cb) { return int(std::lround(ca + (cb - ca) * t)); };
            const ZEMPIXEL v = ZEMPIXEL(UMB_MakePixel(mix(UMB_PixelRed(a), UMB_PixelRed(b)),
                                                      mix(UMB_PixelGreen(a), UMB_PixelGreen(b)),
                                                      mix(UMB_PixelBlue(a), UMB_PixelBlue(b))) |
                                        (a & ZEMPIXEL_HALF));
            if (op.across)
                Box(op.v[0] + i, op.v[1], 1, op.v[3], v);
            else
                Box(op.v[0], op.v[1] + i, op.v[2], 1, v);
        }
    }

    // Even-odd fill of the pixels whose centres lie inside the polygon.
    void Poly(const Op& op) {
        const int n = op.count / 2;
        const ZEMPIXEL v = Resolve(op.colour);
        long top = op.v[1], bottom = op.v[1];
        for (int i = 0; i < n; ++i) {
            top = std::min<long>(top, op.v[size_t(2 * i + 1)]);
            bottom = std::max<long>(bottom, op.v[size_t(2 * i + 1)]);
        }
        top = std::max<long>(top, clip_.y0 - oy_);
        bottom = std::min<long>(bottom, clip_.y1 - oy_);
        const long left = clip_.x0 - ox_, right = clip_.x1 - ox_;
        std::vector<double> xs;
        for (long y = top; y < bottom; ++y) {
            const double cy = double(y) + 0.5;
            xs.clear();
            for (int i = 0; i < n; ++i) {
                const double ax = op.v[size_t(2 * i)], ay = op.v[size_t(2 * i + 1)];
                const double bx = op.v[size_t(2 * ((i + 1) % n))];
                const double by = op.v[size_t(2 * ((i + 1) % n) + 1)];
                if ((ay <= cy) != (by <= cy)) xs.push_back(ax + (cy - ay) * (bx - ax) / (by - ay));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t k = 0; k + 1 < xs.size(); k += 2)
                for (long x = std::max(long(std::ceil(xs[k] - 0.5)), left);
                     double(x) + 0.5 < xs[k + 1] && x < right; ++x)
                    Put(int(ox_ + x), int(oy_ + y), v);
        }
    }

    bool EnsureDc(std::string* error) {
        if (dc_) return true;
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = p_.width;
        bi.bmiHeader.biHeight = -p_.height;  // top-down rows
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = dc_ ? CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
        if (!bitmap_ || !bits) {
            *error = "no drawing surface for text";
            return false;
        }
        mask_ = static_cast<uint32_t*>(bits);
        oldBitmap_ = SelectObject(dc_, bitmap_);
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, RGB(255, 255, 255));
        return true;
    }

    bool SelectFont(std::string* error) {
        if (!EnsureDc(error)) return false;
        const Font& f = font_state_;
        if (font_ && f.size == selected_.size && f.width == selected_.width &&
            f.bold == selected_.bold && f.mincho == selected_.mincho)
            return true;
        HFONT h = CreateFontA(f.size, f.width, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0,
                              SHIFTJIS_CHARSET, 0, 0, 0, 0, f.mincho ? "MS Mincho" : "MS Gothic");
        if (!h) {
            *error = "no font";
            return false;
        }
        HGDIOBJ old = SelectObject(dc_, h);
        if (font_)
            DeleteObject(old);
        else
            oldFont_ = old;
        font_ = h;
        selected_ = f;
        return true;
    }

    // Draws Shift-JIS text with its cell's top-left corner at (x, y) of the picture, with the
    // shadow or outline of `op` below it.
    bool DrawText(const Op& op, const std::string& sjis, long x, long y, std::string* error) {
        if (sjis.empty()) return true;
        SIZE ext{};
        GetTextExtentPoint32A(dc_, sjis.c_str(), int(sjis.size()), &ext);
        // The mask area: the text's cell, one pixel more all round, inside the picture.
        const long mx0 = std::max<long>(x - 1, 0), my0 = std::max<long>(y - 1, 0);
        const long mx1 = std::min<long>(x + ext.cx + 1, p_.width);
        const long my1 =
            std::min<long>(y + std::max<long>(ext.cy, font_state_.size) + 1, p_.height);
        if (mx0 >= mx1 || my0 >= my1) return true;
        for (long yy = my0; yy < my1; ++yy)
            std::fill(mask_ + yy * p_.width + mx0, mask_ + yy * p_.width + mx1, 0u);
        if (!TextOutA(dc_, int(x), int(y), sjis.c_str(), int(sjis.size()))) {
            *error = "text drawing failed";
            return false;
        }
        GdiFlush();
        auto paint = [&](long dx, long dy, ZEMPIXEL v) {
            for (long yy = my0; yy < my1; ++yy)
                for (long xx = mx0; xx < mx1; ++xx)
                    if (mask_[yy * p_.width + xx] & 0xFFFFFFu) Put(int(xx + dx), int(yy + dy), v);
        };
        if (op.shadow) paint(1, 1, Resolve(op.edge));
        if (op.outline)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (dx || dy) paint(dx, dy, Resolve(op.edge));
        paint(0, 0, Resolve(op.colour));
        return true;
    }

    std::string Sjis(std::string utf8) const {
        if (tile_ >= 0)
            for (size_t at; (at = utf8.find("{n}")) != std::string::npos;)
                utf8.replace(at, 3, std::to_string(tile_));
        std::vector<char> out(utf8.size() * 2 + 4);
        WynPlat_FromUtf8(utf8.c_str(), 932, out.data(), out.size());
        return out.data();
    }

    bool Text(const Op& op, std::string* error) {
        if (!SelectFont(error)) return false;
        const std::string s = Sjis(op.text);
        SIZE ext{};
        GetTextExtentPoint32A(dc_, s.c_str(), int(s.size()), &ext);
        long x = ox_ + op.v[0];
        if (op.align == Align::Centre) x -= ext.cx / 2;
        if (op.align == Align::Right) x -= ext.cx;
        return DrawText(op, s, x, oy_ + op.v[1], error);
    }

    bool Glyphs(const Op& op, std::string* error) {
        if (!SelectFont(error)) return false;
        const int w = op.v[2], h = op.v[3];
        const Clip outer = clip_;
        for (int c = op.v[0]; c <= op.v[1]; ++c) {
            const long cx = ox_ + long(c - op.v[0]) * w, cy = oy_ + long(op.v[4]) * h;
            if (c == 0) continue;
            const char one[2] = {char(c), 0};
            SIZE ext{};
            GetTextExtentPoint32A(dc_, one, 1, &ext);
            // Each glyph keeps to its own cell, so that a strip's glyphs never overlap.
            clip_ = {int(std::max<long>(cx, outer.x0)), int(std::max<long>(cy, outer.y0)),
                     int(std::min<long>(cx + w, outer.x1)), int(std::min<long>(cy + h, outer.y1))};
            const bool ok =
                DrawText(op, one, cx + (w - ext.cx) / 2, cy + (h - font_state_.size) / 2, error);
            clip_ = outer;
            if (!ok) return false;
        }
        return true;
    }

    bool Step(const Op& op, std::string* error) {
        const auto& v = op.v;
        switch (op.kind) {
            case OpKind::Font:
                font_state_ = Font{v[0], v[1], op.bold, op.mincho};
                return true;
            case OpKind::Fill:
                Box(clip_.x0 - ox_, clip_.y0 - oy_, clip_.x1 - clip_.x0, clip_.y1 - clip_.y0,
                    Resolve(op.colour));
                return true;
            case OpKind::Box:
                Box(v[0], v[1], v[2], v[3], Resolve(op.colour));
                return true;
            case OpKind::Rect: {
                const ZEMPIXEL c = Resolve(op.colour);
                const int t = v[4];
                Box(v[0], v[1], v[2], t, c);
                Box(v[0], long(v[1]) + v[3] - t, v[2], t, c);
                Box(v[0], v[1], t, v[3], c);
                Box(long(v[0]) + v[2] - t, v[1], t, v[3], c);
                return true;
            }
            case OpKind::Line:
                Line(v[0], v[1], v[2], v[3], v[4], Resolve(op.colour));
                return true;
            case OpKind::Disc:
                Ring(v[0], v[1], v[2], -1, Resolve(op.colour));
                return true;
            case OpKind::Circle:
                Ring(v[0], v[1], v[2], long(v[2]) - v[3], Resolve(op.colour));
                return true;
            case OpKind::Glow:
                Glow(v[0], v[1], v[2], Resolve(op.colour));
                return true;
            case OpKind::Gradient:
                Gradient(op);
                return true;
            case OpKind::Poly:
                Poly(op);
                return true;
            case OpKind::Text:
                return Text(op, error);
            case OpKind::Glyphs:
                return Glyphs(op, error);
        }
        return true;
    }

    const Picture& p_;
    std::vector<ZEMPIXEL>& px_;
    Clip clip_{};
    long ox_ = 0, oy_ = 0;
    int tile_ = -1;
    const State* state_ = nullptr;
    Font font_state_, selected_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr, oldFont_ = nullptr;
    HFONT font_ = nullptr;
    uint32_t* mask_ = nullptr;
};

}  // namespace

bool Render(const Picture& p, std::vector<ZEMPIXEL>* pixels, std::string* error) {
    Canvas c(p, pixels);
    if (!c.Draw(error)) {
        *error = p.path + ": " + *error;
        return false;
    }
    return true;
}

}  // namespace umbdraw
