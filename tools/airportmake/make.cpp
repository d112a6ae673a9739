// The maker: the airport's tables into the program folder, and the layer descriptions of the
// parts that the airport data places (runways, taxiways, spots, plates, bridges, lights, the
// bars under the light runs, the skies) with the top descriptions of every scenery file, for
// modelmake.
#include "airportmake.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "world/airportfiles.h"

namespace airport {
namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979;

struct V2 {
    double x, z;
};
V2 Sub(V2 a, V2 b) { return {a.x - b.x, a.z - b.z}; }
V2 Add(V2 a, V2 b) { return {a.x + b.x, a.z + b.z}; }
V2 Mul(V2 a, double k) { return {a.x * k, a.z * k}; }
double Len(V2 a) { return std::hypot(a.x, a.z); }
V2 Unit(V2 a) {
    const double l = Len(a);
    return l > 0 ? V2{a.x / l, a.z / l} : V2{0, 1};
}
V2 Left(V2 u) { return {-u.z, u.x}; }  // a quarter turn counter-clockwise seen from above
double HeadingOf(V2 u) {
    double h = std::atan2(u.x, u.z) * 180 / kPi;
    return h < 0 ? h + 360 : h;
}

std::string Num(double v) {
    if (std::fabs(v) < 5e-4) v = 0;
    char b[32];
    std::snprintf(b, sizeof b, "%.3f", v);
    std::string s = b;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

// A modelmake description written line by line.
class Desc {
  public:
    std::string Text() const { return out_.str(); }
    void Line(const std::string& l) { out_ << std::string(size_t(depth_) * 2, ' ') << l << "\n"; }
    void Open(const std::string& name) {
        Line("layer " + name);
        ++depth_;
    }
    void Close() {
        --depth_;
        Line("end");
    }
    void Colour(const int* rgb) {
        Line("colour " + std::to_string(rgb[0]) + " " + std::to_string(rgb[1]) + " " +
             std::to_string(rgb[2]));
    }
    void Include(const std::string& path) { Line("include " + path); }
    void Shift(double x, double y, double z) {
        Line("shift " + Num(x) + " " + Num(y) + " " + Num(z));
    }
    void Rotate(double y) { Line("rotate 0 " + Num(y) + " 0"); }
    // A flat quad at height y whose front faces up.
    void Flat(V2 a, V2 b, V2 c, V2 d, double y) {
        // The corners run clockwise seen from above when (b - a) x (c - a) points up.
        const V2 u = Sub(b, a), v = Sub(c, a);
        if (u.z * v.x - u.x * v.z < 0) std::swap(b, d);
        Line("quad " + P(a, y) + "  " + P(b, y) + "  " + P(c, y) + "  " + P(d, y));
    }
    // A strip of half-width w from a to b, lengthened by `ext` at both ends.
    void Strip(V2 a, V2 b, double w, double y, double ext = 0) {
        const V2 u = Unit(Sub(b, a)), n = Mul(Left(u), w);
        a = Sub(a, Mul(u, ext));
        b = Add(b, Mul(u, ext));
        Flat(Add(a, n), Add(b, n), Sub(b, n), Sub(a, n), y);
    }
    // A square of half-side h centred on c, turned to the direction u.
    void Square(V2 c, V2 u, double h, double y) {
        Strip(Sub(c, Mul(u, h)), Add(c, Mul(u, h)), h, y);
    }
    // An upright rectangle in the layer's x-y plane at depth z (a sign's face).
    void Upright(double x0, double y0, double x1, double y1, double z) {
        Line("quad " + Num(x0) + " " + Num(y0) + " " + Num(z) + "  " + Num(x0) + " " + Num(y1) +
             " " + Num(z) + "  " + Num(x1) + " " + Num(y1) + " " + Num(z) + "  " + Num(x1) + " " +
             Num(y0) + " " + Num(z));
    }
    void Box(double x0, double y0, double z0, double x1, double y1, double z1) {
        Line("box " + Num(x0) + " " + Num(y0) + " " + Num(z0) + "  " + Num(x1) + " " + Num(y1) +
             " " + Num(z1));
    }

  private:
    static std::string P(V2 p, double y) { return Num(p.x) + " " + Num(y) + " " + Num(p.z); }
    std::ostringstream out_;
    int depth_ = 0;
};

// ---- heights of the flat layers, so that none fights another for the same pixels ----
constexpr double kApronY = 0.15, kTaxiY = 0.3, kRunwayY = 0.45, kTaxiLineY = 0.5,
                 kRunwayTexY = 0.55, kBarY = 0.7;

const int kAsphalt[3] = {72, 72, 78};
const int kTaxiAsphalt[3] = {84, 84, 88};
const int kConcrete[3] = {150, 150, 144};
const int kWhite[3] = {236, 236, 236};
const int kYellow[3] = {216, 180, 40};

// ---- a segment font for signs: digits and the letters of runway names ----
// Segments: a top, b upper right, c lower right, d bottom, e lower left, f upper left,
// g middle; r the leg of an R.
const char* Segments(char c) {
    switch (c) {
        case '0':
            return "abcdef";
        case '1':
            return "bc";
        case '2':
            return "abged";
        case '3':
            return "abgcd";
        case '4':
            return "fgbc";
        case '5':
            return "afgcd";
        case '6':
            return "afgedc";
        case '7':
            return "abc";
        case '8':
            return "abcdefg";
        case '9':
            return "abcdfg";
        case 'L':
            return "fed";
        case 'C':
            return "afed";
        case 'R':
            return "abfger";
        default:
            return "";
    }
}
// The text centred on x 0, its foot at y0, glyphs h high, on the plane z (the front at -z).
void SignText(Desc& d, const std::string& text, double y0, double h, double z) {
    const double w = h * 0.55, t = h * 0.13, gap = h * 0.25;
    const double total = double(text.size()) * w + double(text.size() - 1) * gap;
    double x = -total / 2;
    for (char c : text) {
        const double x0 = x, x1 = x + w, ym = y0 + h / 2, y1 = y0 + h;
        for (const char* s = Segments(c); *s; ++s) {
            switch (*s) {
                case 'a':
                    d.Upright(x0, y1 - t, x1, y1, z);
                    break;
                case 'b':
                    d.Upright(x1 - t, ym, x1, y1, z);
                    break;
                case 'c':
                    d.Upright(x1 - t, y0, x1, ym, z);
                    break;
                case 'd':
                    d.Upright(x0, y0, x1, y0 + t, z);
                    break;
                case 'e':
                    d.Upright(x0, y0, x0 + t, ym, z);
                    break;
                case 'f':
                    d.Upright(x0, ym, x0 + t, y1, z);
                    break;
                case 'g':
                    d.Upright(x0, ym - t / 2, x1, ym + t / 2, z);
                    break;
                case 'r':
                    d.Upright(x1 - t * 2.2, y0, x1 - t * 0.4, ym - t / 2, z);
                    break;
            }
        }
        x += w + gap;
    }
}
// A sign, hidden: a board with the text on both faces, placed at `at`, its front turned to
// `facing` degrees (0 faces south, toward a viewer looking north).
void Sign(Desc& d, const std::string& name, const std::string& text, V2 at, double y, double facing,
          double h) {
    d.Open(name);
    // Hidden with its parent: a hidden layer's children are drawn unless hidden themselves.
    d.Line("switch 0");
    d.Line("attribute BackFace NoShade");
    d.Shift(at.x, y, at.z);
    d.Rotate(facing);
    const double w = double(text.size()) * h * 0.8 + h * 0.6;
    static const int kBoard[3] = {24, 40, 96};
    static const int kText[3] = {255, 226, 0};
    d.Colour(kBoard);
    d.Upright(-w / 2, -h * 0.35, w / 2, h * 1.35, 0);
    d.Colour(kText);
    SignText(d, text, 0, h, -0.25);
    d.Close();
}

V2 PointXZ(const Description& a, int i) { return {a.P(i).x, a.P(i).z}; }

std::string RadioNumber(const Place& spot) {
    const size_t blank = spot.name.rfind(' ');
    return blank == std::string::npos ? spot.name : spot.name.substr(blank + 1);
}

// ---- the parts the airport data places ----

// The runway's textured pieces, in its own frame (z along it from the threshold, x across):
// each end's markings (rwy<end>.bmp: threshold bars, designator, touchdown zone, aiming point
// and the first centreline dashes) over kRunwayEnd metres from 20 m before the threshold, and
// the middle's dashes (rwm<runway>.bmp) between them. They lie just above the plain asphalt,
// which shows through wherever the raster leaves out a textured chip that reaches behind the
// eye; at the higher resolutions the pieces are cut into lengths of at most 40 m so that little
// goes missing.
constexpr double kRunwayEnd = 300, kRunwayOver = 20;

void RunwayPiece(Desc& d, const std::string& name, const std::string& texture, double hw, double z0,
                 double z1, int res) {
    d.Open(name);
    const int cuts = res < 2 ? 1 : std::max(1, int(std::ceil((z1 - z0) / 40)));
    for (int k = 0; k < cuts; ++k) {
        const double a = z0 + (z1 - z0) * k / cuts, b = z0 + (z1 - z0) * (k + 1) / cuts;
        d.Flat({-hw, a}, {-hw, b}, {hw, b}, {hw, a}, kRunwayTexY);
    }
    d.Line("texture " + texture + " planar y area " + Num(-hw) + " " + Num(hw) + " " + Num(z0) +
           " " + Num(z1));
    d.Close();
}

void Runways(const Description& a, Desc& d, int res, bool far) {
    d.Open(far ? "farrunways" : "runways");
    if (far) d.Line("switch 0");
    for (const Runway& r : a.runways) {
        const V2 t0 = PointXZ(a, r.threshold[0]), t1 = PointXZ(a, r.threshold[1]);
        const V2 u = Unit(Sub(t1, t0));
        const double len = Len(Sub(t1, t0)), hw = r.width / 2;
        if (!far) d.Open("runway" + r.name[0]);
        d.Colour(kAsphalt);
        d.Strip(t0, t1, hw, kRunwayY, kRunwayOver);
        if (!far) {
            d.Open("rwt" + r.name[0]);
            d.Shift(t0.x, 0, t0.z);
            d.Rotate(HeadingOf(u));
            d.Line("attribute NoShade");
            d.Colour(kWhite);
            const double mid0 = kRunwayEnd - kRunwayOver, mid1 = len - mid0;
            RunwayPiece(d, "rwte" + r.name[0], "rwy" + r.name[0] + ".bmp", hw, -kRunwayOver, mid0,
                        res);
            if (mid1 > mid0)
                RunwayPiece(d, "rwtm" + r.name[0], "rwm" + r.name[0] + ".bmp", hw, mid0, mid1, res);
            // The far end turned about, so that its markings read from its own approach.
            d.Open("rwtf" + r.name[0]);
            d.Shift(0, 0, len);
            d.Rotate(180);
            RunwayPiece(d, "rwte" + r.name[1], "rwy" + r.name[1] + ".bmp", hw, -kRunwayOver, mid0,
                        res);
            d.Close();
            d.Close();
            d.Close();
        }
    }
    d.Close();
}

// Whether a taxiway point is where it meets a runway or another taxiway: its edge lines stop
// short of it there, so that they do not cross the other's surface.
double EdgeStop(const Description& a, const Taxiway& t, int point) {
    const V2 p = PointXZ(a, point);
    for (const Runway& r : a.runways) {
        const V2 r0 = PointXZ(a, r.threshold[0]), r1 = PointXZ(a, r.threshold[1]);
        const V2 u = Unit(Sub(r1, r0));
        const double along = (p.x - r0.x) * u.x + (p.z - r0.z) * u.z;
        const double across = std::fabs((p.x - r0.x) * u.z - (p.z - r0.z) * u.x);
        if (across < r.width / 2 && along > -1 && along < Len(Sub(r1, r0)) + 1)
            return r.width / 2 + 8;
    }
    for (const Taxiway& o : a.taxiways)
        if (&o != &t && std::find(o.points.begin(), o.points.end(), point) != o.points.end())
            return o.width / 2 + 4;
    return 0;
}

// The taxiways' edges: a yellow line 0.3 m wide along each side, 0.8 m inside it, where the
// taxiway runs across the grass (the taxilane on the apron has none, the apron its own).
void TaxiwayEdges(const Description& a, Desc& d, const Taxiway& t) {
    const Rect* apron = a.aprons.empty() ? nullptr : &a.aprons[0];
    auto onApron = [&](V2 p) {
        return apron && p.x >= apron->x0 && p.x <= apron->x1 && p.z >= apron->z0 &&
               p.z <= apron->z1;
    };
    const double off = t.width / 2 - 0.8;
    for (size_t i = 0; i + 1 < t.points.size(); ++i) {
        V2 p = PointXZ(a, t.points[i]), q = PointXZ(a, t.points[i + 1]);
        if (onApron(p) && onApron(q)) continue;
        const V2 u = Unit(Sub(q, p));
        const double len = Len(Sub(q, p));
        const double s0 = i == 0 ? EdgeStop(a, t, t.points[i]) : 0;
        const double s1 = i + 2 == t.points.size() ? EdgeStop(a, t, t.points[i + 1]) : 0;
        if (s0 + s1 >= len) continue;
        p = Add(p, Mul(u, s0));
        q = Sub(q, Mul(u, s1));
        for (double side : {-off, off})
            d.Strip(Add(p, Mul(Left(u), side)), Add(q, Mul(Left(u), side)), 0.15, kTaxiLineY);
    }
}

void Taxiways(const Description& a, Desc& d, int res) {
    d.Open("taxiways");
    for (const Taxiway& t : a.taxiways) {
        d.Open("taxiway" + t.name);
        d.Colour(kTaxiAsphalt);
        const double hw = t.width / 2;
        for (size_t i = 0; i + 1 < t.points.size(); ++i)
            d.Strip(PointXZ(a, t.points[i]), PointXZ(a, t.points[i + 1]), hw, kTaxiY);
        // The bends get a square under them, so that no notch shows.
        for (size_t i = 1; i + 1 < t.points.size(); ++i) {
            const V2 u = Unit(Sub(PointXZ(a, t.points[i + 1]), PointXZ(a, t.points[i])));
            d.Square(PointXZ(a, t.points[i]), u, hw, kTaxiY);
        }
        if (res >= 2) {
            d.Colour(kYellow);
            for (size_t i = 0; i + 1 < t.points.size(); ++i)
                d.Strip(PointXZ(a, t.points[i]), PointXZ(a, t.points[i + 1]), 0.35, kTaxiLineY);
            TaxiwayEdges(a, d, t);
        }
        d.Close();
    }
    d.Close();
}

void Aprons(const Description& a, Desc& d) {
    d.Open("aprons");
    d.Colour(kConcrete);
    for (const Rect& r : a.aprons)
        d.Flat({r.x0, r.z0}, {r.x0, r.z1}, {r.x1, r.z1}, {r.x1, r.z0}, kApronY);
    // The apron's edge: a yellow line round it 0.8 m inside, but along its west side and across
    // its ends where the taxilane runs (its own centre line guides there).
    d.Colour(kYellow);
    for (const Rect& r : a.aprons) {
        // East of the taxilanes that run inside it.
        double west = r.x0 + 0.8;
        for (const Taxiway& t : a.taxiways)
            for (int pt : t.points) {
                const V2 p = PointXZ(a, pt);
                if (p.x >= r.x0 && p.x <= r.x1 && p.z >= r.z0 && p.z <= r.z1)
                    west = std::max(west, p.x + t.width / 2 + 1.5);
            }
        const double east = r.x1 - 0.8;
        d.Strip({east, r.z0 + 0.8}, {east, r.z1 - 0.8}, 0.15, kTaxiLineY);
        d.Strip({west, r.z0 + 0.8}, {east, r.z0 + 0.8}, 0.15, kTaxiLineY);
        d.Strip({west, r.z1 - 0.8}, {east, r.z1 - 0.8}, 0.15, kTaxiLineY);
    }
    d.Close();
}

// The taxilane point abeam a spot: the nearest point of taxiway A's line.
V2 LeadIn(const Place& s, const Description& a) {
    const V2 p = PointXZ(a, s.point);
    const V2 u = {std::sin(s.heading * kPi / 180), std::cos(s.heading * kPi / 180)};
    return Sub(p, Mul(u, 65));
}

void Spots(const Description& a, Desc& d) {
    d.Open("spotmarks");
    d.Colour(kYellow);
    for (const Place& s : a.spots) {
        const V2 p = PointXZ(a, s.point);
        const V2 u = {std::sin(s.heading * kPi / 180), std::cos(s.heading * kPi / 180)};
        const V2 stop = Add(p, Mul(u, 26));
        d.Strip(LeadIn(s, a), stop, 0.4, kTaxiLineY);
        d.Strip(Sub(stop, Mul(Left(u), 5)), Add(stop, Mul(Left(u), 5)), 0.6, kTaxiLineY);
    }
    d.Close();
}

void SpotPlates(const Description& a, Desc& d) {
    d.Open("spotplate");
    d.Line("switch 0");
    for (size_t i = 0; i < a.spots.size(); ++i) {
        const Place& s = a.spots[i];
        const V2 p = PointXZ(a, s.point);
        const V2 u = {std::sin(s.heading * kPi / 180), std::cos(s.heading * kPi / 180)};
        char name[32];
        std::snprintf(name, sizeof name, "spotno%02zu", i);
        // Over the lead-in, facing the taxilane (and the tower beyond it).
        Sign(d, name, RadioNumber(s), Sub(p, Mul(u, 36)), 14, s.heading, 5);
    }
    d.Close();
}

void RunwayPlates(const Description& a, Desc& d) {
    d.Open("rwplate");
    d.Line("switch 0");
    int k = 0;
    for (const Runway& r : a.runways)
        for (int end = 0; end < 2; ++end) {
            const V2 t = PointXZ(a, r.threshold[end]);
            const V2 u = Unit(Sub(PointXZ(a, r.threshold[1 - end]), t));
            // Beside the threshold on the left, facing the arriving aircraft.
            char name[32];
            std::snprintf(name, sizeof name, "rwyno%02d", k++);
            Sign(d, name, r.name[end], Add(t, Mul(Left(u), r.width / 2 + 25)), 3, HeadingOf(u), 6);
        }
    d.Close();
}

void Bridges(const Description& a, Desc& d) {
    static const int kTunnel[3] = {196, 196, 188};
    for (size_t i = 0; i < a.spots.size(); ++i) {
        const Place& s = a.spots[i];
        if (!s.gate) continue;
        const V2 p = PointXZ(a, s.point);
        const V2 u = {std::sin(s.heading * kPi / 180), std::cos(s.heading * kPi / 180)};
        const V2 l = Left(u);  // the aircraft's left side, where its doors are
        // The bridge stands on the terminal face ahead of the spot; its three poses reach
        // back along the terminal (0), to a large aircraft's door (1) and a smaller one's (2).
        const V2 root = Add(Add(p, Mul(u, 50)), Mul(l, 16));
        const V2 ends[3] = {Add(Add(p, Mul(u, 40)), Mul(l, 26)), Add(Add(p, Mul(u, 12)), Mul(l, 4)),
                            Add(Add(p, Mul(u, 20)), Mul(l, 4))};
        for (int pose = 0; pose < 3; ++pose) {
            char name[48];
            std::snprintf(name, sizeof name, "bdg%zumv%d", i, pose);
            const V2 v = Sub(ends[pose], root);
            d.Open(name);
            if (pose) d.Line("switch 0");
            d.Shift(root.x, 0, root.z);
            d.Rotate(HeadingOf(Unit(v)));
            d.Colour(kTunnel);
            d.Box(-1.6, 4, 0, 1.6, 7.4, Len(v));
            d.Close();
        }
    }
}

// A row of light points (upright squares turned to the eye), every `step` from a to b.
void LightRow(Desc& d, V2 a, V2 b, double step, double size) {
    const double len = Len(Sub(b, a));
    const int n = std::max(1, int(std::floor(len / step)));
    const V2 u = Unit(Sub(b, a));
    for (int k = 0; k <= n; ++k) {
        const V2 c = Add(a, Mul(u, len * k / n));
        d.Line("quad " + Num(c.x - size / 2) + " " + Num(0.4) + " " + Num(c.z) + "  " +
               Num(c.x - size / 2) + " " + Num(0.4 + size) + " " + Num(c.z) + "  " +
               Num(c.x + size / 2) + " " + Num(0.4 + size) + " " + Num(c.z) + "  " +
               Num(c.x + size / 2) + " " + Num(0.4) + " " + Num(c.z));
    }
}
void LightLayer(Desc& d, const std::string& name, bool lit, int sw, const int* rgb) {
    static const int kFixture[3] = {110, 110, 104};
    d.Open(name);
    if (sw != 1) d.Line("switch " + std::to_string(sw));
    d.Line(lit ? "attribute NoShade BackFace" : "attribute BackFace");
    d.Line("billboard 1");
    d.Colour(lit ? rgb : kFixture);
}

void Lights(const Description& a, Desc& d, bool night) {
    static const int kGreen[3] = {60, 255, 90}, kRed[3] = {255, 40, 30},
                     kWhiteLight[3] = {255, 252, 220}, kBlue[3] = {70, 110, 255},
                     kAmber[3] = {255, 200, 90};
    // The runway-light group: hidden on a day stage by the loader, so lit in both files.
    const int groupSwitch = night ? 1 : 0;
    d.Open("endlight");
    if (!night) d.Line("switch 0");
    d.Line("attribute NoShade");
    for (const Runway& r : a.runways)
        for (int end = 0; end < 2; ++end) {
            const V2 t = PointXZ(a, r.threshold[end]);
            const V2 u = Unit(Sub(PointXZ(a, r.threshold[1 - end]), t)), n = Left(u);
            d.Colour(kGreen);
            d.Strip(Sub(t, Mul(n, r.width / 2)), Add(t, Mul(n, r.width / 2)), 0.8, kBarY);
            d.Colour(kRed);
            const V2 e = Sub(t, Mul(u, 19));
            d.Strip(Sub(e, Mul(n, r.width / 2)), Add(e, Mul(n, r.width / 2)), 0.8, kBarY);
        }
    d.Close();
    // Approach bars ahead of the thresholds: 34L and 34R ("alslgt"), 22 and 04 ("alsl24").
    for (int group = 0; group < 2; ++group) {
        d.Open(group ? "alsl24" : "alslgt");
        if (!night) d.Line("switch 0");
        d.Line("attribute NoShade");
        d.Colour(kWhiteLight);
        for (const Runway& r : a.runways)
            for (int end = 0; end < 2; ++end) {
                const std::string& name = r.name[end];
                const bool mine =
                    group ? (name == "22" || name == "04") : (name == "34L" || name == "34R");
                if (!mine) continue;
                const V2 t = PointXZ(a, r.threshold[end]);
                const V2 u = Unit(Sub(PointXZ(a, r.threshold[1 - end]), t)), n = Left(u);
                for (int k = 1; k <= (group ? 6 : 9); ++k) {
                    const V2 c = Sub(t, Mul(u, 30.0 * k));
                    d.Strip(Sub(c, Mul(n, 7)), Add(c, Mul(n, 7)), 0.7, kBarY);
                }
            }
        d.Close();
    }
    LightLayer(d, "r_light", true, groupSwitch, kWhiteLight);
    for (const Runway& r : a.runways)
        LightRow(d, PointXZ(a, r.threshold[0]), PointXZ(a, r.threshold[1]), 60, 2.0);
    d.Close();
    for (const char* side : {"16", "34"}) {
        LightLayer(d, std::string("rwli") + side, true, groupSwitch, kWhiteLight);
        for (const Runway& r : a.runways)
            for (int end = 0; end < 2; ++end) {
                if (r.name[end].compare(0, 2, side) != 0) continue;
                const V2 t = PointXZ(a, r.threshold[end]);
                const V2 u = Unit(Sub(PointXZ(a, r.threshold[1 - end]), t)), n = Left(u);
                for (int s : {-1, 1})
                    LightRow(d, Add(Add(t, Mul(u, 30)), Mul(n, 6.0 * s)),
                             Add(Add(t, Mul(u, 150)), Mul(n, 6.0 * s)), 30, 2.0);
            }
        d.Close();
    }
    // Runway edge lights (fixed chip slots): fixtures by day, lit at night.
    LightLayer(d, "rwlight", night, 1, kWhiteLight);
    for (const Runway& r : a.runways) {
        const V2 t0 = PointXZ(a, r.threshold[0]), t1 = PointXZ(a, r.threshold[1]);
        const V2 n = Left(Unit(Sub(t1, t0)));
        for (int s : {-1, 1})
            LightRow(d, Add(t0, Mul(n, s * (r.width / 2 + 2))),
                     Add(t1, Mul(n, s * (r.width / 2 + 2))), 80, 1.4);
    }
    d.Close();
    // Night lights: taxiway edges and the apron masts; lit in both files, shown by day only
    // when a scene asks for them.
    LightLayer(d, "nlight", true, night ? 1 : 0, kBlue);
    for (const Taxiway& t : a.taxiways)
        for (size_t i = 0; i + 1 < t.points.size(); ++i) {
            const V2 p0 = PointXZ(a, t.points[i]), p1 = PointXZ(a, t.points[i + 1]);
            const V2 n = Mul(Left(Unit(Sub(p1, p0))), t.width / 2 + 1.5);
            LightRow(d, Add(p0, n), Add(p1, n), 70, 2.0);
        }
    d.Colour(kAmber);
    for (const Light& l : a.lights)
        d.Line("quad " + Num(l.x - 2.0) + " " + Num(l.y - 2.0) + " " + Num(l.z) + "  " +
               Num(l.x - 2.0) + " " + Num(l.y + 2.0) + " " + Num(l.z) + "  " + Num(l.x + 2.0) +
               " " + Num(l.y + 2.0) + " " + Num(l.z) + "  " + Num(l.x + 2.0) + " " +
               Num(l.y - 2.0) + " " + Num(l.z));
    d.Close();
}

void RunBars(const Description& a, Desc& d, bool night) {
    static const int kDay[3] = {128, 128, 120}, kNight[3] = {190, 190, 150};
    d.Open("runbars");
    if (night) d.Line("attribute NoShade");
    d.Colour(night ? kNight : kDay);
    for (const Run& r : a.runs) {
        const V2 a0 = {r.x0, r.z0}, a1 = {r.x1, r.z1};
        const V2 u = Unit(Sub(a1, a0)), n = Left(u);
        const double len = Len(Sub(a1, a0));
        const int bars = std::max(1, int(len / 45));
        for (int k = 0; k <= bars; ++k) {
            const V2 c = Add(a0, Mul(u, len * k / bars));
            d.Strip(Sub(c, Mul(n, 4)), Add(c, Mul(n, 4)), 0.5, kBarY);
        }
    }
    d.Close();
}

// A dome of rings of quads around the origin, its colour from the horizon to the zenith; drawn
// on both faces, unshaded, unfogged and beyond the far limit.
void Dome(Desc& d, const Sky& s) {
    constexpr int kSides = 12;
    constexpr double kRadius = 28000;
    const double rings[] = {-12, 0, 12, 35, 65};
    const int* colours[] = {s.horizon, s.horizon, s.middle, s.zenith};
    d.Line("attribute BackFace NoShade NoFog NoDistance");
    // Its picture (DomePicture) wraps round it once, its top row at the zenith.
    d.Line("texture dome" + s.word + ".bmp cylinder y");
    auto at = [&](double elev, int k) {
        const double e = elev * kPi / 180, t = 2 * kPi * k / kSides;
        return std::make_tuple(kRadius * std::cos(e) * std::sin(t), kRadius * std::sin(e) * 0.5,
                               kRadius * std::cos(e) * std::cos(t));
    };
    auto pt = [&](double elev, int k) {
        auto [x, y, z] = at(elev, k);
        return Num(x) + " " + Num(y) + " " + Num(z);
    };
    for (int b = 0; b < 4; ++b) {
        d.Colour(colours[b]);
        for (int k = 0; k < kSides; ++k)
            d.Line("quad " + pt(rings[b], k) + "  " + pt(rings[b + 1], k) + "  " +
                   pt(rings[b + 1], k + 1) + "  " + pt(rings[b], k + 1));
    }
    d.Colour(s.zenith);
    d.Line("cone 0 " + Num(kRadius * std::sin(65 * kPi / 180) * 0.5) + " 0 " +
           Num(kRadius * std::cos(65 * kPi / 180)) + " " +
           Num(kRadius * 0.5 - kRadius * std::sin(65 * kPi / 180) * 0.5) + " " +
           std::to_string(kSides));
}

// The picture of a sky dome, dome<word>.bmp beside it: 64 x 64 (the largest texture every
// raster driver takes whole), its rows from the dome's top
// (y 14000) to its lowest ring (y -2911), the colours where Dome's rings lie (65 degrees at row
// 5, 35 at 23, 12 at 42, the horizon at 53), and the weather's look: fair-weather clouds,
// rain's low grey layers, a thunderstorm's dark heads, the night's stars.
void DomePicture(std::ostream& o, const std::string& dir, const Sky& s) {
    auto hex = [](const int* rgb, double k = 1) {
        char b[8];
        auto c = [&](int v) { return std::clamp(int(std::lround(v * k)), 0, 255); };
        std::snprintf(b, sizeof b, "%02X%02X%02X", c(rgb[0]), c(rgb[1]), c(rgb[2]));
        return std::string(b);
    };
    o << "picture " << dir << "/dome" << s.word << ".bmp 64 64 bmp24\n";
    o << "  box 0 0 64 5 " << hex(s.zenith) << "\n";
    o << "  gradient 0 5 64 18 " << hex(s.zenith) << " " << hex(s.middle) << "\n";
    o << "  gradient 0 23 64 19 " << hex(s.middle) << " " << hex(s.horizon) << "\n";
    o << "  box 0 42 64 22 " << hex(s.horizon) << "\n";
    // The same spots on every sky, so that the four look like one place in four weathers.
    for (int k = 0; k < 9; ++k) {
        const int x = (k * 23 + 5) % 56 + 4, y = 24 + (k * 11) % 17, r = 3 + k % 3;
        if (s.word == "")
            o << "  glow " << x << " " << y << " " << r + 2 << " F4F6F8\n";
        else if (s.word == "R")
            o << "  box " << (x + 56) % 64 - 8 << " " << y << " " << 10 + 2 * r << " 2 "
              << hex(s.middle, 0.86) << "\n";
        else if (s.word == "T")
            o << "  glow " << x << " " << y + 4 << " " << r + 5 << " " << hex(s.middle, 1.25)
              << "\n";
    }
    if (s.word == "N")
        for (int k = 0; k < 40; ++k)
            o << "  box " << (k * 53 + 7) % 64 << " " << (k * 29 + 3) % 34 << " 1 1 "
              << (k % 3 ? "B8BCD0" : "F0F0E0") << "\n";
    o << "end\n";
}

// The demos' sky: eight textured panels around the scene ("sky0"-"sky7" under "sky").
void DemoSky(Desc& d) {
    constexpr double kRadius = 5000, kLow = -400, kHigh = 2600;
    d.Open("sky");
    for (int k = 0; k < 8; ++k) {
        d.Open("sky" + std::to_string(k));
        d.Line("attribute BackFace NoShade NoFog NoDistance");
        const double t0 = 2 * kPi * k / 8, t1 = 2 * kPi * (k + 1) / 8;
        auto p = [&](double t, double y) {
            return Num(kRadius * std::sin(t)) + " " + Num(y) + " " + Num(kRadius * std::cos(t));
        };
        d.Line("quad " + p(t0, kLow) + "  " + p(t0, kHigh) + "  " + p(t1, kHigh) + "  " +
               p(t1, kLow));
        d.Line("texture sky" + std::to_string(k) + ".bmp cylinder y");
        d.Close();
    }
    d.Close();
}

bool Write(const fs::path& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) std::fprintf(stderr, "%s: cannot write\n", path.c_str());
    return bool(out);
}

// The generated part `name` for a scenery of this resolution and time of day, written into
// `folder` once; returns its file name.
std::string Generated(const Description& a, const std::string& name, int res, bool night,
                      const fs::path& folder, bool* ok) {
    Desc d;
    std::string file = name;
    if (name == "runways") {
        Runways(a, d, res, false);
        file += res >= 2 ? "_hi" : "_lo";
    } else if (name == "runways_far") {
        Runways(a, d, res, true);
    } else if (name == "taxiways") {
        Taxiways(a, d, res);
        file += res >= 2 ? "_hi" : "_lo";
    } else if (name == "aprons") {
        Aprons(a, d);
    } else if (name == "spots") {
        Spots(a, d);
    } else if (name == "spotplate") {
        SpotPlates(a, d);
    } else if (name == "rwplate") {
        RunwayPlates(a, d);
    } else if (name == "bridges") {
        Bridges(a, d);
    } else if (name == "lights") {
        Lights(a, d, night);
        file += night ? "_night" : "_day";
    } else if (name == "runbars") {
        RunBars(a, d, night);
        file += night ? "_night" : "_day";
    } else if (name == "demosky") {
        DemoSky(d);
    } else {
        std::fprintf(stderr, "%s: no part named @%s\n", a.path.c_str(), name.c_str());
        *ok = false;
        return "";
    }
    // Parts go below the top descriptions' folder, which modelmake is given whole.
    file = "parts/" + file + ".desc";
    if (!fs::exists(folder / file) && !Write(folder / file, d.Text())) *ok = false;
    return file;
}

// ---- the radar maps ----

// The radar's screen position of a world point (its rule: the scale divides, then the size
// multiplies, then the rounding, halves to even).
struct RadarView {
    double scale;
    int size, cx, cy;
    int X(double x) const { return int(std::nearbyint(x / scale * size)) + cx; }
    int Y(double z) const { return cy - int(std::nearbyint(z / scale * size)); }
};

struct RadarLook {
    const char* file;
    const char* ground;
    const char* runway;
    const char* taxiway;
    const char* apron;
    const char* spot;
    const char* text;
    const char* ring;
};

void RadarPanel(std::ostringstream& o, const Description& a, const RadarView& v, const RadarLook& k,
                bool wide) {
    o << "  fill " << k.ground << "\n";
    auto line = [&](V2 p, V2 q, double width) {
        o << "  line " << v.X(p.x) << " " << v.Y(p.z) << " " << v.X(q.x) << " " << v.Y(q.z) << " ";
        return width;
    };
    if (wide) {
        // Range rings every 5 km around the airport, and the departure routes out to their
        // waypoints.
        for (int km = 5; km <= 15; km += 5)
            o << "  circle " << v.cx << " " << v.cy << " "
              << int(std::nearbyint(km * 1000 / v.scale * v.size)) << " " << k.ring << "\n";
        for (const Route& r : a.routes) {
            const std::string wp = r.name.substr(0, r.name.find_first_of("0123456789"));
            auto it = a.pointIndex.find(wp);
            if (it == a.pointIndex.end()) continue;
            line({0, 0}, PointXZ(a, it->second), 1);
            o << k.taxiway << "\n";
            o << "  box " << v.X(a.P(it->second).x) - 1 << " " << v.Y(a.P(it->second).z) - 1
              << " 3 3 " << k.spot << "\n";
        }
    } else {
        for (const Rect& r : a.aprons) {
            const int x0 = v.X(std::min(r.x0, r.x1)), x1 = v.X(std::max(r.x0, r.x1));
            const int y0 = v.Y(std::max(r.z0, r.z1)), y1 = v.Y(std::min(r.z0, r.z1));
            o << "  box " << x0 << " " << y0 << " " << std::max(1, x1 - x0) << " "
              << std::max(1, y1 - y0) << " " << k.apron << "\n";
        }
        for (const Taxiway& t : a.taxiways)
            for (size_t i = 0; i + 1 < t.points.size(); ++i) {
                const double w = std::max(1.0, std::nearbyint(t.width / v.scale * v.size * 0.5));
                line(PointXZ(a, t.points[i]), PointXZ(a, t.points[i + 1]), w);
                o << k.taxiway << " " << int(w) << "\n";
            }
    }
    for (const Runway& r : a.runways) {
        const double w = std::max(1.0, std::nearbyint(r.width / v.scale * v.size));
        line(PointXZ(a, r.threshold[0]), PointXZ(a, r.threshold[1]), w);
        o << k.runway << " " << int(w) << "\n";
    }
    if (wide) return;
    for (const Place& s : a.spots)
        o << "  box " << v.X(a.P(s.point).x) - v.size << " " << v.Y(a.P(s.point).z) - v.size << " "
          << 2 * v.size << " " << 2 * v.size << " " << k.spot << "\n";
    o << "  font " << 8 * v.size << "\n";
    for (const Runway& r : a.runways)
        for (int end = 0; end < 2; ++end) {
            const V2 t = PointXZ(a, r.threshold[end]);
            const V2 u = Unit(Sub(t, PointXZ(a, r.threshold[1 - end])));
            const V2 at = Add(t, Mul(u, 60));
            o << "  text " << v.X(at.x) << " " << v.Y(at.z) - 4 * v.size << " " << k.text << " \""
              << r.name[end] << "\" centre\n";
        }
}

}  // namespace

bool MakeTables(const Description& a, const fs::path& program) {
    const std::string code = fs::path(a.path).stem().string();
    const fs::path port = program / "port" / code;
    bool ok = true;
    auto save = [&](const fs::path& path, const uint8_t* bytes, size_t n) {
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes), std::streamsize(n));
        if (!out || n == 0) {
            std::fprintf(stderr, "%s: cannot write\n", path.c_str());
            ok = false;
        }
    };

    AirportRecord rec = {};
    std::snprintf(rec.name, sizeof rec.name, "%s", a.name.c_str());
    rec.yaw = a.yaw;
    rec.yaw2 = a.yaw2;
    auto place = [&](AirportPlace& p, const Place& s) {
        std::snprintf(p.name, sizeof p.name, "%s", s.name.c_str());
        p.x = static_cast<int32_t>(std::lround(a.P(s.point).x * 100));
        p.z = static_cast<int32_t>(std::lround(a.P(s.point).z * 100));
        p.height = 0;
        // The description gives the nose's heading; the game moves against its heading word.
        p.heading = (s.heading + 180) % 360;
    };
    for (const Place& s : a.spots)
        if (s.index < kAirportSpots) place(rec.spots[s.index], s);
    for (const Place& s : a.arrivals)
        if (s.index < kAirportRunways) place(rec.arrivals[s.index], s);
    for (const Place& s : a.departures)
        if (s.index < kAirportRunways) place(rec.departures[s.index], s);
    rec.lights = static_cast<int32_t>(std::min<size_t>(a.lights.size(), kAirportLights));
    for (int i = 0; i < rec.lights; ++i) {
        const Light& l = a.lights[size_t(i)];
        rec.light[i] = {l.x, l.z, l.y, l.red, l.green, l.blue, l.range, 0};
    }
    std::vector<uint8_t> image(kAd3Size);
    save(port / (code + ".ad3"), image.data(), WriteAirportImage(rec, AIRPORT_AD3, image.data()));
    if (a.ad2)
        save(port / (code + ".ad2"), image.data(),
             WriteAirportImage(rec, AIRPORT_AD2, image.data()));

    std::vector<RouteRecord> routes;
    for (const Route& r : a.routes) {
        RouteRecord rr = {};
        rr.group = r.group;
        rr.index = r.entry;
        for (int k = 0; k < 5; ++k) rr.value[k] = r.value[k];
        std::memcpy(rr.name, r.name.data(), std::min(r.name.size(), sizeof rr.name));
        routes.push_back(rr);
    }
    std::vector<SidEntry> sids;
    for (const Sid& s : a.sids) {
        SidEntry e = {};
        std::memcpy(e.name, s.name.data(), std::min(s.name.size(), sizeof e.name));
        for (int c = 0; c < 4; ++c) {
            e.a[c] = static_cast<uint8_t>(s.group[c]);
            e.b[c] = static_cast<uint8_t>(s.entry[c]);
        }
        sids.push_back(e);
    }
    std::vector<uint8_t> si2(kRouteFileMax);
    save(port / "etc" / (code + ".si2"), si2.data(),
         WriteRouteFile(routes.data(), int(routes.size()), sids.data(), int(sids.size()),
                        si2.data(), si2.size()));

    std::vector<ExchangeTableEntry> entries;
    for (const Exchange& e : a.exchanges)
        entries.push_back({e.code, e.next, {e.msg[0], e.msg[1], e.msg[2], e.msg[3]}});
    std::vector<uint8_t> dfa(kExchangeFileMax);
    save(port / "etc" / (code + ".dfa"), dfa.data(),
         WriteExchangeFile(entries.data(), int(entries.size()), dfa.data(), dfa.size()));

    std::vector<TablePoint> points;
    for (const Point& p : a.points)
        points.push_back(
            {static_cast<int32_t>(std::lround(p.x)), static_cast<int32_t>(std::lround(p.z))});
    std::vector<uint8_t> ptd(kPointTableBytes);
    save(port / "root" / (code + ".ptd"), ptd.data(),
         WritePointFile(points.data(), int(points.size()), ptd.data(), ptd.size()));

    for (const Preview& p : a.previews) {
        std::vector<uint32_t> words;
        int last = -1;
        for (size_t g = 0; g < p.groups.size(); ++g) {
            // A group after the first starts where the one before ended, so that its first
            // segment is drawn in its own colour.
            if (g > 0) words.push_back(PreviewWord(int(g) + 1, last));
            for (int pt : p.groups[g]) {
                words.push_back(PreviewWord(int(g) + 1, pt));
                last = pt;
            }
        }
        uint8_t rtd[kPreviewSize];
        save(port / "root" / (p.name + ".rtd"), rtd,
             WriteRoutePreview(words.data(), int(words.size()), rtd));
    }
    return ok;
}

bool MakeScenery(const Description& a, const fs::path& folder) {
    bool ok = true;
    const fs::path parts = fs::absolute(fs::path(a.path).parent_path() / "scenery");
    auto include = [&](Desc& d, const Part& p, int res, bool night) {
        if (p.desc[0] == '@')
            d.Include(Generated(a, p.desc.substr(1), res, night, folder, &ok));
        else
            d.Include((parts / p.desc).string());
    };
    auto place = [&](Desc& d, const std::string& where, int res, bool night) {
        for (const Part& p : a.parts)
            if (p.place == where && p.resolution <= res) include(d, p, res, night);
    };
    int n = 0;
    for (const Scenery& s : a.sceneries) {
        Desc d;
        d.Line("file " + s.file);
        if (!s.demo) {
            d.Open("scenery");
            d.Open("airporton");
            place(d, "near", s.resolution, s.night);
            d.Close();
            d.Open("airportoff");
            d.Line("switch 0");
            place(d, "far", s.resolution, s.night);
            d.Close();
            place(d, "top", s.resolution, s.night);
            place(d, "runs", s.resolution, s.night);
            for (const char* level : {"obj_0", "obj_1", "obj_2"}) {
                d.Open(level);
                place(d, level, s.resolution, s.night);
                d.Close();
            }
            d.Close();
        } else {
            // The demos lift "ground" to (0, 9, 0): the airport in it lies 9 m low, placed
            // where the scenes' camera paths look.
            d.Open("rjtt");
            d.Open("ground");
            d.Open("lowered");
            d.Shift(s.x, -9, s.z);
            if (s.turn != 0) d.Rotate(s.turn);
            place(d, "near", s.resolution, s.night);
            place(d, "top", s.resolution, s.night);
            d.Close();
            d.Close();
            place(d, "runs", s.resolution, s.night);
            place(d, "demo", s.resolution, s.night);
            d.Close();
        }
        ok = Write(folder / ("scenery" + std::to_string(n++) + ".desc"), d.Text()) && ok;
    }
    for (const Sky& s : a.skies) {
        Desc d;
        d.Line("file port/" + fs::path(a.path).stem().string() + "/sky" + s.word + ".plm");
        d.Open("skydome");
        Dome(d, s);
        d.Close();
        ok = Write(folder / ("sky" + std::to_string(n++) + ".desc"), d.Text()) && ok;
    }
    return ok;
}

bool MakeRadar(const Description& a, const fs::path& folder) {
    const std::string code = fs::path(a.path).stem().string();
    // The radar's two looks ([GAME] radar 0 and 1), each in its small and large size: five
    // panels side by side, the wide range first and the near range in the four others.
    const RadarLook looks[] = {
        {"radar2", "0A1A2C", "B8C8DC", "587088", "263A50", "E8E098", "90A8C0", "1C3048"},
        {"radarg", "041404", "70F070", "309030", "164016", "C8FFC8", "60C060", "0C300C"},
    };
    std::ostringstream o;
    o << "# The radar maps, the runways' markings and the demos' sky panels of the sample "
         "airport,\n"
         "# written by airportmake from its description.\n";
    for (const RadarLook& k : looks)
        for (int size = 1; size <= 2; ++size) {
            const int side = 200 * size;
            o << "picture port/" << code << "/etc/" << k.file << (size == 2 ? "l" : "") << ".umz "
              << side * 5 << " " << side << "\n";
            o << "  grid " << side << " " << side << " 5\n";
            for (int panel = 0; panel < 5; ++panel) {
                o << "  tile " << panel << "\n";
                const RadarView wide = {144.0, size, 100 * size, 100 * size};
                const RadarView near = {10.2, size, int(std::nearbyint(100.5 * size)), 100 * size};
                RadarPanel(o, a, panel ? near : wide, k, panel == 0);
            }
            o << "end\n";
        }
    // The runways' markings, in every scenery folder (the layers find their textures beside
    // their file). A picture's bottom row lies toward its threshold: an end picture spans
    // kRunwayEnd metres from 20 m before the threshold, 64 pixels across the runway's width.
    std::vector<std::string> folders;
    for (const Scenery& s : a.sceneries) {
        const std::string dir = fs::path(s.file).parent_path().string();
        if (std::find(folders.begin(), folders.end(), dir) == folders.end()) folders.push_back(dir);
    }
    for (const std::string& dir : folders)
        for (const Runway& r : a.runways) {
            const double perPx = kRunwayEnd / 256, across = 64 / r.width;
            auto row = [&](double z) { return int(std::lround(256 - (z + kRunwayOver) / perPx)); };
            auto bars = [&](double z0, double z1, double x0, double w) {
                for (int side : {-1, 1}) {
                    const double x = 32 + side * x0 * across - (side < 0 ? w * across : 0);
                    o << "  box " << int(std::lround(x)) << " " << row(z1) << " "
                      << std::max(1, int(std::lround(w * across))) << " " << row(z0) - row(z1)
                      << " F0F0EC\n";
                }
            };
            for (int end = 0; end < 2; ++end) {
                const std::string& name = r.name[size_t(end)];
                o << "picture " << dir << "/rwy" << name << ".bmp 64 256 bmp8\n";
                o << "  fill 46464C\n  box 0 0 2 256 E8E8E4\n  box 62 0 2 256 E8E8E4\n";
                // Threshold bars: four a side of 1.8 m, from 6 m to 36 m in.
                for (int k = 0; k < 4; ++k) bars(6, 36, 2 + 3.6 * k, 1.8);
                // The designator: the letter nearer the threshold, the number beyond it.
                const std::string number = name.substr(0, 2), letter = name.substr(2);
                o << "  font 26 width 13 bold\n";
                if (!letter.empty())
                    o << "  text 32 " << row(72) << " F0F0EC \"" << letter << "\" centre\n";
                o << "  text 32 " << row(letter.empty() ? 72 : 110) << " F0F0EC \"" << number
                  << "\" centre\n";
                // The touchdown zone's bars, the aiming point's two wide blocks and the centre
                // line's first dashes (40 m every 80 m from 140 m on).
                bars(160, 180, 4, 1.5);
                bars(160, 180, 7, 1.5);
                bars(250, 295, 6, 5);
                for (double z = 140; z < kRunwayEnd - kRunwayOver; z += 80)
                    o << "  box 31 " << row(std::min(z + 40, kRunwayEnd - kRunwayOver)) << " 2 "
                      << row(z) - row(std::min(z + 40, kRunwayEnd - kRunwayOver)) << " F0F0EC\n";
                o << "end\n";
            }
            // The middle: dashes on, at the same rhythm, and the edge lines.
            const double len = Len(Sub(PointXZ(a, r.threshold[1]), PointXZ(a, r.threshold[0])));
            const double mid0 = kRunwayEnd - kRunwayOver, mid1 = len - mid0;
            if (mid1 <= mid0) continue;
            const double midPx = (mid1 - mid0) / 256;
            auto midRow = [&](double z) { return int(std::lround(256 - (z - mid0) / midPx)); };
            o << "picture " << dir << "/rwm" << r.name[0] << ".bmp 64 256 bmp8\n";
            o << "  fill 46464C\n  box 0 0 2 256 E8E8E4\n  box 62 0 2 256 E8E8E4\n";
            for (double z = 140; z < mid1; z += 80) {
                const double z0 = std::max(z, mid0), z1 = std::min(z + 40, mid1);
                if (z1 > z0)
                    o << "  box 31 " << midRow(z1) << " 2 " << midRow(z0) - midRow(z1)
                      << " F0F0EC\n";
            }
            o << "end\n";
        }
    // The game's sky domes, beside their layer files.
    for (const Sky& k : a.skies) DomePicture(o, "port/" + code, k);
    // The demos' sky panels "sky0"-"sky7" map sky<n>.bmp of their scene's folder: the sky's
    // colours from the zenith (top) to the horizon, with clouds by day and stars at night.
    for (const Scenery& d : a.sceneries) {
        if (!d.demo) continue;
        const Sky* sky = nullptr;
        for (const Sky& k : a.skies)
            if (k.word == (d.night ? "N" : "")) sky = &k;
        if (!sky) continue;
        auto hex = [](const int* rgb) {
            char b[8];
            std::snprintf(b, sizeof b, "%02X%02X%02X", rgb[0], rgb[1], rgb[2]);
            return std::string(b);
        };
        const std::string dir = fs::path(d.file).parent_path().string();
        for (int n = 0; n < 8; ++n) {
            o << "picture " << dir << "/sky" << n << ".bmp 64 64 bmp24\n";
            o << "  gradient 0 0 64 32 " << hex(sky->zenith) << " " << hex(sky->middle) << "\n";
            o << "  gradient 0 32 64 32 " << hex(sky->middle) << " " << hex(sky->horizon) << "\n";
            for (int k = 0; k < 3; ++k) {
                const int x = (n * 23 + k * 19) % 56 + 4, y = (n * 7 + k * 13) % 28 + 18;
                if (d.night)
                    o << "  box " << x << " " << y - 14 << " 1 1 F0F0E0\n";
                else
                    o << "  glow " << x << " " << y << " " << 5 + (n + k) % 4 << " F4F6F8\n";
            }
            o << "end\n";
        }
    }
    return Write(folder / "airport.pic", o.str());
}

}  // namespace airport
