// The description of pictures that `umbconv -draw <description> <out folder>` draws.
//
// One statement a line; '#' starts a comment outside quotes. Numbers are decimal integers
// (a character code may also be written 'c' or 0x41). A colour is six hex digits RRGGBB, each
// channel cut to the picture's five bits, or a name.
//
//   colour <name> <RRGGBB> [half]
//       names a colour for the rest of the file; "half" marks its pixels half-transparent
//       (drawn averaged with what lies below)
//   picture <path> <width> <height> [raw] [bmp24|bmp8]
//       a picture, written to <out folder>/<path> ('\' or '/', relative, no "..") as the
//       system's picture file (rows coded unless raw), or as a 24-bit or 8-bit BMP texture;
//       the lines up to "end" describe it
//   end
//
// Inside a picture:
//   key <colour>         the colour key; the name "key" then stands for it
//   frame <w> <h>        xpos and ypos, the frame or glyph size; by default the tile size,
//                        else the cell of the last glyph strip, else the picture's size
//   offset <x> <y>       xoffset and yoffset (default 0)
//   form <ABCD>          the picture file's four-letter form type (default "UMB ")
//   font <size> [width <w>] [bold] [mincho]
//                        the font of the texts that follow: size in pixels, single-byte
//                        characters w wide (default half the size), gothic unless mincho;
//                        a picture starts with font 16
//
// Drawing, in the order written; x, y count from the top-left corner of the picture, or of
// the tile, to which the drawing is then clipped:
//   fill <colour>
//   box <x> <y> <w> <h> <colour>                 a filled rectangle
//   rect <x> <y> <w> <h> <colour> [<thickness>]  its outline, inside it
//   line <x1> <y1> <x2> <y2> <colour> [<thickness>]
//   disc <cx> <cy> <r> <colour>                  a filled circle
//   circle <cx> <cy> <r> <colour> [<thickness>]  its outline, inside it
//   glow <cx> <cy> <r> <colour>                  a soft spot fading out at r; each channel
//                                                keeps the brighter of spot and picture
//   gradient <x> <y> <w> <h> <colour> <colour> [across]   top to bottom, or left to right
//   poly <colour> <x> <y> <x> <y> <x> <y> ...    a filled polygon of 3 to 16 corners
//   text <x> <y> <colour> "<text>" [centre|right] [shadow <colour>] [outline <colour>]
//       a line of UTF-8 text, its top at y, beginning at x (centre: centred on x; right:
//       ending at x); a shadow one pixel right and down, or an outline all round
//   glyphs <first> <last> <w> <h> <colour> [row <r>] [shadow <colour>] [outline <colour>]
//       a glyph strip: the single-byte characters first..last, each centred in a w x h cell,
//       left to right along cell row r (default 0)
//
// Tiles:
//   grid <w> <h> <count> [stack]
//       count tiles of w x h: tile n in column n with its states in rows 0, 1, ...; or, stacked,
//       tile n in row n with its states in columns. The drawing lines after it belong to tiles.
//   state <k> <name> <colour> [<name> <colour> ...]
//       the tiles are drawn once more, in row (stacked: column) k, with these names standing for
//       these colours (a name not yet known is made, with this colour); without state lines
//       the tiles are drawn once, in row (column) 0
//   tile all | <n>
//       the lines that follow draw on every tile (before its own lines), or on tile n;
//       "{n}" in their texts stands for the tile number
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "draw.h"

namespace umbdraw {

namespace {

struct Token {
    std::string s;
    bool quoted = false;
};

struct Reader {
    Description* d = nullptr;
    std::string* error = nullptr;
    int line = 0;
    Picture* pic = nullptr;             // the picture being read
    std::vector<Op>* target = nullptr;  // where drawing lines go
    std::vector<Token> t;
    size_t at = 0;  // next token

    bool Fail(const std::string& what) {
        *error = "line " + std::to_string(line) + ": " + what;
        return false;
    }
    bool More() const { return at < t.size(); }
    bool Peek(const char* word) const { return More() && !t[at].quoted && t[at].s == word; }
    bool Take(const char* word) {
        if (!Peek(word)) return false;
        ++at;
        return true;
    }

    bool Number(int* out, const char* what, int lo = -kMaxNumber, int hi = kMaxNumber) {
        if (!More() || t[at].quoted) return Fail(std::string("missing ") + what);
        const std::string& s = t[at].s;
        long v = 0;
        if (s.size() == 3 && s[0] == '\'' && s[2] == '\'') {
            v = static_cast<unsigned char>(s[1]);
        } else {
            char* end = nullptr;
            const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
            v = std::strtol(s.c_str(), &end, hex ? 16 : 10);
            if (s.empty() || *end || (!hex && s.size() > 7) || (hex && s.size() > 8))
                return Fail(std::string("not a number for ") + what + ": " + s);
        }
        if (v < lo || v > hi)
            return Fail(std::string(what) + " out of " + std::to_string(lo) + ".." +
                        std::to_string(hi));
        *out = int(v);
        ++at;
        return true;
    }

    int FindName(const std::string& name) const {
        for (size_t i = 0; i < d->names.size(); ++i)
            if (d->names[i] == name) return int(i);
        return -1;
    }

    static bool Hex(const std::string& s, ZEMPIXEL* out) {
        if (s.size() != 6) return false;
        unsigned v = 0;
        for (char c : s) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
            v = v * 16 + unsigned(std::isdigit(static_cast<unsigned char>(c))
                                      ? c - '0'
                                      : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
        }
        *out = UMB_MakePixel(UMB_Channel8To5(int(v >> 16 & 255)),
                             UMB_Channel8To5(int(v >> 8 & 255)), UMB_Channel8To5(int(v & 255)));
        return true;
    }

    // Named colours hold their values here; a name's pixel is the value it had when read.
    std::vector<ZEMPIXEL> values;

    bool ColourArg(Colour* out, const char* what) {
        if (!More() || t[at].quoted) return Fail(std::string("missing ") + what);
        const std::string& s = t[at].s;
        if (s == "key") {
            if (!pic || !pic->hasKey) return Fail("\"key\" used before the picture's key");
            *out = Colour{pic->key, -1};
        } else if (int n = FindName(s); n >= 0) {
            *out = Colour{values[size_t(n)], n};
        } else if (!Hex(s, &out->pixel)) {
            return Fail(std::string("not a colour for ") + what + ": " + s);
        } else {
            out->name = -1;
        }
        ++at;
        return true;
    }

    bool Text(std::string* out) {
        if (!More() || !t[at].quoted) return Fail("missing quoted text");
        if (t[at].s.size() > kMaxText)
            return Fail("text longer than " + std::to_string(kMaxText) + " bytes");
        *out = t[at++].s;
        return true;
    }

    bool End() { return More() ? Fail("unexpected \"" + t[at].s + "\"") : true; }

    bool Tokenize(const char* p, const char* e) {
        t.clear();
        at = 0;
        while (p < e) {
            if (*p == ' ' || *p == '\t' || *p == '\r') {
                ++p;
            } else if (*p == '#') {
                break;
            } else if (*p == '"') {
                const char* q =
                    static_cast<const char*>(std::memchr(p + 1, '"', size_t(e - p - 1)));
                if (!q) return Fail("unterminated text");
                t.push_back({std::string(p + 1, q), true});
                p = q + 1;
            } else {
                const char* q = p;
                while (q < e && *q != ' ' && *q != '\t' && *q != '\r' && *q != '"' && *q != '#')
                    ++q;
                // A character code in quotes may be a blank, a '#' or a quote.
                if (*p == '\'' && e - p >= 3 && p[2] == '\'') q = p + 3;
                t.push_back({std::string(p, q), false});
                p = q;
            }
        }
        return true;
    }

    bool Path(std::string* out) {
        if (!More() || t[at].quoted) return Fail("missing path");
        std::string s = t[at++].s;
        for (char& c : s)
            if (c == '\\') c = '/';
        if (s.empty() || s[0] == '/' || s.find(':') != std::string::npos)
            return Fail("the path must be relative: " + s);
        size_t from = 0;
        while (from <= s.size()) {
            size_t to = s.find('/', from);
            if (to == std::string::npos) to = s.size();
            const std::string part = s.substr(from, to - from);
            if (part.empty() || part == "." || part == "..")
                return Fail("the path must name a file below the output folder: " + s);
            from = to + 1;
        }
        *out = s;
        return true;
    }

    static bool IsName(const std::string& name) {
        ZEMPIXEL v;
        return !name.empty() && name != "key" && !Hex(name, &v) &&
               std::isalpha(static_cast<unsigned char>(name[0]));
    }

    bool ColourLine() {
        if (!More() || t[at].quoted) return Fail("missing colour name");
        const std::string name = t[at++].s;
        ZEMPIXEL v;
        if (!IsName(name)) return Fail("not a colour name: " + name);
        if (!More() || !Hex(t[at].s, &v)) return Fail("missing RRGGBB value of " + name);
        ++at;
        if (Take("half")) v |= ZEMPIXEL_HALF;
        if (!End()) return false;
        int n = FindName(name);
        if (n < 0) {
            d->names.push_back(name);
            values.push_back(v);
        } else {
            values[size_t(n)] = v;
        }
        return true;
    }

    bool PictureLine() {
        if (pic) return Fail("picture inside a picture (missing end)");
        d->pictures.emplace_back();
        pic = &d->pictures.back();
        pic->line = line;
        if (!Path(&pic->path) || !Number(&pic->width, "width", 1, kMaxSide) ||
            !Number(&pic->height, "height", 1, kMaxSide))
            return false;
        if (static_cast<long long>(pic->width) * pic->height > kMaxPixels)
            return Fail("picture larger than " + std::to_string(kMaxPixels) + " pixels");
        while (More()) {
            if (Take("raw"))
                pic->raw = true;
            else if (Take("bmp24"))
                pic->output = Output::Bmp24;
            else if (Take("bmp8"))
                pic->output = Output::Bmp8;
            else if (Take("ico"))
                pic->output = Output::Icon;
            else if (Take("cur")) {
                pic->output = Output::Cursor;
                if (!Number(&pic->hotX, "hot spot x", 0, pic->width - 1) ||
                    !Number(&pic->hotY, "hot spot y", 0, pic->height - 1))
                    return false;
            } else
                return End();
        }
        if (pic->raw && pic->output != Output::Picture) return Fail("raw is for picture files");
        if ((pic->output == Output::Icon || pic->output == Output::Cursor) &&
            (pic->width > 256 || pic->height > 256))
            return Fail("icons and cursors are at most 256 x 256");
        target = &pic->ops;
        return true;
    }

    // Checks that a rectangle of cells lies inside the picture.
    bool Fits(int w, int h, const char* what) {
        if (w > pic->width || h > pic->height)
            return Fail(std::string(what) + " of " + std::to_string(w) + " x " + std::to_string(h) +
                        " does not fit the picture");
        return true;
    }

    bool GridLine() {
        if (pic->hasGrid) return Fail("a second grid");
        Grid& g = pic->grid;
        if (!Number(&g.w, "tile width", 1, kMaxSide) || !Number(&g.h, "tile height", 1, kMaxSide) ||
            !Number(&g.count, "tile count", 1, kMaxTiles))
            return false;
        g.stack = Take("stack");
        if (!End()) return false;
        pic->hasGrid = true;
        pic->tileOps.assign(size_t(g.count), {});
        target = &pic->allTiles;
        return GridFits();
    }

    bool GridFits() {
        const Grid& g = pic->grid;
        int states = 1;
        for (const State& s : g.states) states = std::max(states, s.index + 1);
        const long across = long(g.w) * (g.stack ? states : g.count);
        const long down = long(g.h) * (g.stack ? g.count : states);
        if (across > pic->width || down > pic->height)
            return Fail("the tiles do not fit the picture");
        return true;
    }

    bool StateLine() {
        if (!pic->hasGrid) return Fail("state before grid");
        State s;
        if (!Number(&s.index, "state", 0, kMaxStates - 1)) return false;
        for (const State& o : pic->grid.states)
            if (o.index == s.index) return Fail("state " + std::to_string(s.index) + " twice");
        while (More()) {
            const std::string name = t[at].s;
            if (t[at].quoted || !IsName(name)) return Fail("not a colour name: " + name);
            ++at;
            Colour c;
            if (!ColourArg(&c, "state colour")) return false;
            // A name first given here stands for its first state's colour outside the tiles.
            int n = FindName(name);
            if (n < 0) {
                n = int(d->names.size());
                d->names.push_back(name);
                values.push_back(c.pixel);
            }
            s.colours.emplace_back(n, c.pixel);
        }
        pic->grid.states.push_back(s);
        return GridFits();
    }

    bool TileLine() {
        if (!pic->hasGrid) return Fail("tile before grid");
        if (Take("all")) {
            target = &pic->allTiles;
        } else {
            int n;
            if (!Number(&n, "tile number", 0, pic->grid.count - 1)) return false;
            target = &pic->tileOps[size_t(n)];
        }
        return End();
    }

    bool FontLine(Op& op) {
        if (!Number(&op.v[0], "font size", 4, 256)) return false;
        op.count = 2;
        while (More()) {
            if (Take("width")) {
                if (!Number(&op.v[1], "font width", 1, 256)) return false;
            } else if (Take("bold")) {
                op.bold = true;
            } else if (Take("mincho")) {
                op.mincho = true;
            } else {
                return End();
            }
        }
        return true;
    }

    // The options of texts and glyph strips.
    bool TextOptions(Op& op, bool glyphs) {
        while (More()) {
            if (!glyphs && Take("centre")) {
                op.align = Align::Centre;
            } else if (!glyphs && Take("right")) {
                op.align = Align::Right;
            } else if (glyphs && Take("row")) {
                if (!Number(&op.v[4], "row", 0, kMaxSide)) return false;
            } else if (Take("shadow")) {
                op.shadow = true;
                if (!ColourArg(&op.edge, "shadow colour")) return false;
            } else if (Take("outline")) {
                op.outline = true;
                if (!ColourArg(&op.edge, "outline colour")) return false;
            } else {
                return End();
            }
        }
        if (op.shadow && op.outline) return Fail("a shadow or an outline, not both");
        return true;
    }

    bool Numbers(Op& op, std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (!Number(&op.v[size_t(op.count++)], n)) return false;
        return true;
    }

    bool Thickness(Op& op, size_t index) {
        op.v[index] = 1;
        if (More() && !Number(&op.v[index], "thickness", 1, 64)) return false;
        op.count = int(index) + 1;
        return End();
    }

    bool DrawLine(const std::string& word) {
        Op op;
        op.line = line;
        if (word == "font") {
            op.kind = OpKind::Font;
            if (!FontLine(op)) return false;
        } else if (word == "fill") {
            op.kind = OpKind::Fill;
            if (!ColourArg(&op.colour, "colour") || !End()) return false;
        } else if (word == "box") {
            op.kind = OpKind::Box;
            if (!Numbers(op, {"x", "y", "width", "height"}) || !ColourArg(&op.colour, "colour") ||
                !End())
                return false;
        } else if (word == "rect") {
            op.kind = OpKind::Rect;
            if (!Numbers(op, {"x", "y", "width", "height"}) || !ColourArg(&op.colour, "colour") ||
                !Thickness(op, 4))
                return false;
        } else if (word == "line") {
            op.kind = OpKind::Line;
            if (!Numbers(op, {"x1", "y1", "x2", "y2"}) || !ColourArg(&op.colour, "colour") ||
                !Thickness(op, 4))
                return false;
        } else if (word == "disc" || word == "circle" || word == "glow") {
            op.kind = word == "disc"   ? OpKind::Disc
                      : word == "glow" ? OpKind::Glow
                                       : OpKind::Circle;
            if (!Numbers(op, {"cx", "cy"}) || !Number(&op.v[2], "radius", 0, kMaxSide) ||
                !ColourArg(&op.colour, "colour"))
                return false;
            op.count = 3;
            if (op.kind == OpKind::Circle) {
                if (!Thickness(op, 3)) return false;
            } else if (!End()) {
                return false;
            }
        } else if (word == "gradient") {
            op.kind = OpKind::Gradient;
            if (!Numbers(op, {"x", "y", "width", "height"}) || !ColourArg(&op.colour, "colour") ||
                !ColourArg(&op.colour2, "second colour"))
                return false;
            op.across = Take("across");
            if (!End()) return false;
        } else if (word == "poly") {
            op.kind = OpKind::Poly;
            if (!ColourArg(&op.colour, "colour")) return false;
            while (More()) {
                if (op.count == 2 * kMaxPoints) return Fail("more than 16 corners");
                if (!Number(&op.v[size_t(op.count++)], "corner")) return false;
            }
            if (op.count % 2 || op.count < 6) return Fail("a polygon needs 3 to 16 x y corners");
        } else if (word == "text") {
            op.kind = OpKind::Text;
            if (!Numbers(op, {"x", "y"}) || !ColourArg(&op.colour, "colour") || !Text(&op.text) ||
                !TextOptions(op, false))
                return false;
        } else if (word == "glyphs") {
            op.kind = OpKind::Glyphs;
            if (!Number(&op.v[0], "first character", 0, 255) ||
                !Number(&op.v[1], "last character", op.v[0], 255) ||
                !Number(&op.v[2], "glyph width", 1, kMaxSide) ||
                !Number(&op.v[3], "glyph height", 1, kMaxSide) || !ColourArg(&op.colour, "colour"))
                return false;
            op.count = 5;
            if (!TextOptions(op, true)) return false;
            const long w = long(op.v[1] - op.v[0] + 1) * op.v[2], h = long(op.v[4] + 1) * op.v[3];
            if (w > pic->width || h > pic->height) return Fail("the glyph strip does not fit");
        } else {
            return Fail("unknown statement \"" + word + "\"");
        }
        Push(op);
        return true;
    }

    void Push(const Op& op) { target->push_back(op); }

    bool PictureStatement(const std::string& word) {
        if (word == "end") {
            pic = nullptr;
            target = nullptr;
            return End();
        }
        if (word == "key") {
            if (pic->hasKey) return Fail("a second key");
            Colour c;
            if (!ColourArg(&c, "key colour") || !End()) return false;
            pic->hasKey = true;
            pic->key = c.pixel;
            return true;
        }
        if (word == "frame") {
            pic->hasFrame = true;
            return Number(&pic->xpos, "frame width", 0, kMaxNumber) &&
                   Number(&pic->ypos, "frame height", 0, kMaxNumber) && End();
        }
        if (word == "offset")
            return Number(&pic->xoffset, "x offset", 0, kMaxNumber) &&
                   Number(&pic->yoffset, "y offset", 0, kMaxNumber) && End();
        if (word == "form") {
            if (!More() || t[at].s.size() > 4) return Fail("form needs up to four letters");
            std::string f = t[at++].s;
            f.resize(4, ' ');
            std::memcpy(pic->form, f.data(), 4);
            return End();
        }
        if (word == "grid") return GridLine();
        if (word == "state") return StateLine();
        if (word == "tile") return TileLine();
        if (pic->hasGrid && target == &pic->ops) return Fail("drawing after grid outside a tile");
        return DrawLine(word);
    }

    bool Statement() {
        if (t.empty()) return true;
        if (t[0].quoted) return Fail("a line begins with a text");
        const std::string word = t[at++].s;
        if (word == "colour") return ColourLine();
        if (word == "picture") return PictureLine();
        if (!pic) return Fail("\"" + word + "\" outside a picture");
        return PictureStatement(word);
    }
};

}  // namespace

bool ReadDescription(const char* text, size_t size, Description* out, std::string* error) {
    *out = Description{};
    Reader r;
    r.d = out;
    r.error = error;
    const char* p = text;
    const char* e = text + size;
    while (p < e) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(e - p)));
        const char* end = nl ? nl : e;
        ++r.line;
        const bool nul = std::memchr(p, 0, size_t(end - p)) != nullptr;
        if ((nul && !r.Fail("a NUL byte")) || !r.Tokenize(p, end) || !r.Statement()) {
            *out = Description{};
            return false;
        }
        p = nl ? nl + 1 : e;
    }
    if (r.pic) {
        r.line = r.pic->line;
        r.Fail("picture without end");
        *out = Description{};
        return false;
    }
    return true;
}

void FrameSize(const Picture& p, int* w, int* h) {
    *w = p.width;
    *h = p.height;
    if (p.hasFrame) {
        *w = p.xpos;
        *h = p.ypos;
    } else if (p.hasGrid) {
        *w = p.grid.w;
        *h = p.grid.h;
    } else {
        for (const Op& op : p.ops)
            if (op.kind == OpKind::Glyphs) *w = op.v[2], *h = op.v[3];
    }
}

}  // namespace umbdraw
