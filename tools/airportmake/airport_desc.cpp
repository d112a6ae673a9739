// Reads the airport description: one entry a line, words separated by blanks, quoted texts
// kept whole, '#' to the end of the line a comment.
#include "airport_desc.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace airport {
namespace {

struct Line {
    std::string where;
    std::vector<std::string> words;
    std::string comment;
};

// Splits a line into words; a quoted text is one word (quotes dropped), even when empty.
bool Split(const std::string& text, Line* line) {
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            line->comment = text.substr(i + 1);
            while (!line->comment.empty() && line->comment[0] == ' ') line->comment.erase(0, 1);
            break;
        } else if (c == '"') {
            const size_t end = text.find('"', i + 1);
            if (end == std::string::npos) return false;
            line->words.push_back(text.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            size_t end = i;
            while (end < text.size() && text[end] != ' ' && text[end] != '\t' &&
                   text[end] != '\r' && text[end] != '#')
                ++end;
            line->words.push_back(text.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

struct Reader {
    Description* d;
    int errors = 0;
    const Line* line = nullptr;

    void Error(const std::string& text) {
        std::fprintf(stderr, "%s: %s\n", line->where.c_str(), text.c_str());
        ++errors;
    }
    const std::string& W(size_t i) const { return line->words[i]; }
    size_t N() const { return line->words.size(); }

    bool Int(size_t i, int32_t* out) {
        char* end = nullptr;
        const long long v = std::strtoll(W(i).c_str(), &end, 0);
        if (!end || *end || W(i).empty() || v < INT32_MIN || v > UINT32_MAX) {
            Error("not a whole number: " + W(i));
            return false;
        }
        *out = static_cast<int32_t>(v);
        return true;
    }
    bool Num(size_t i, double* out) {
        char* end = nullptr;
        *out = std::strtod(W(i).c_str(), &end);
        if (!end || *end || W(i).empty()) {
            Error("not a number: " + W(i));
            return false;
        }
        return true;
    }
    bool PointOf(size_t i, int* out) {
        auto it = d->pointIndex.find(W(i));
        if (it == d->pointIndex.end()) {
            Error("no point named " + W(i));
            return false;
        }
        *out = it->second;
        return true;
    }
    bool Count(size_t n, const char* what) {
        if (N() == n) return true;
        Error(std::string(what));
        return false;
    }
    bool Colour(size_t i, int* rgb) {
        for (int k = 0; k < 3; ++k) {
            int32_t v;
            if (!Int(i + size_t(k), &v)) return false;
            if (v < 0 || v > 255) {
                Error("a colour runs 0-255");
                return false;
            }
            rgb[k] = v;
        }
        return true;
    }

    void Place(std::vector<airport::Place>& list, const char* kind) {
        if (N() < 5 || N() > 6) {
            Error(std::string(kind) + " needs an index, a name, a point and a heading");
            return;
        }
        airport::Place p;
        int32_t index, heading;
        if (!Int(1, &index) || !PointOf(3, &p.point) || !Int(4, &heading)) return;
        p.index = index;
        p.name = W(2);
        p.heading = heading;
        if (N() == 6) {
            if (W(5) != "gate") return Error("only the word gate may follow a spot");
            p.gate = true;
        }
        if (p.index != static_cast<int>(list.size()))
            return Error(std::string(kind) + " indexes run 0, 1, 2, ... in order");
        if (p.name.size() > 16) return Error("a name holds at most 16 characters");
        list.push_back(p);
    }

    void Entry(const Line& l) {
        line = &l;
        const std::string& cmd = W(0);
        if (cmd == "airport") {
            if (!Count(2, "airport needs a name")) return;
            if (W(1).size() > 32) return Error("the airport name holds at most 32 characters");
            d->name = W(1);
        } else if (cmd == "yaw" || cmd == "yaw2") {
            if (Count(2, "yaw needs degrees")) Num(1, cmd == "yaw" ? &d->yaw : &d->yaw2);
        } else if (cmd == "form") {
            if (!Count(2, "form needs ad2") || W(1) != "ad2") return Error("the only form is ad2");
            d->ad2 = true;
        } else if (cmd == "config") {
            for (size_t i = 1; i < N(); ++i) {
                int32_t c;
                if (!Int(i, &c)) return;
                if (c < 0 || c > 3) return Error("runway configurations run 0-3");
                d->configs.push_back(c);
            }
        } else if (cmd == "point") {
            if (!Count(4, "point needs a name, x and z")) return;
            Point p{W(1), 0, 0};
            if (!Num(2, &p.x) || !Num(3, &p.z)) return;
            if (d->pointIndex.count(p.name)) return Error("a second point named " + p.name);
            d->pointIndex[p.name] = static_cast<int>(d->points.size());
            d->points.push_back(p);
        } else if (cmd == "runway") {
            if (!Count(5, "runway needs NAME/NAME, two thresholds and a width")) return;
            Runway r;
            const size_t slash = W(1).find('/');
            if (slash == std::string::npos) return Error("runway names are written NAME/NAME");
            r.name[0] = W(1).substr(0, slash);
            r.name[1] = W(1).substr(slash + 1);
            if (!PointOf(2, &r.threshold[0]) || !PointOf(3, &r.threshold[1]) || !Num(4, &r.width))
                return;
            d->runways.push_back(r);
        } else if (cmd == "camera") {
            if (!Count(4, "camera needs a runway name, x and z")) return;
            std::array<double, 2> xz;
            if (Num(2, &xz[0]) && Num(3, &xz[1])) d->cameras[W(1)] = xz;
        } else if (cmd == "tower") {
            if (!Count(4, "tower needs x, y and z")) return;
            d->hasTower = Num(1, &d->tower[0]) && Num(2, &d->tower[1]) && Num(3, &d->tower[2]);
        } else if (cmd == "arrival") {
            Place(d->arrivals, "arrival");
        } else if (cmd == "departure") {
            Place(d->departures, "departure");
        } else if (cmd == "spot") {
            Place(d->spots, "spot");
        } else if (cmd == "hold") {
            int p;
            if (Count(2, "hold needs a point") && PointOf(1, &p)) d->holds.push_back(p);
        } else if (cmd == "light") {
            if (!Count(9, "light needs an index, x, z, y, red, green, blue and range")) return;
            int32_t v[8];
            for (int k = 0; k < 8; ++k)
                if (!Int(size_t(k) + 1, &v[k])) return;
            if (v[0] != static_cast<int>(d->lights.size()))
                return Error("light indexes run 0, 1, 2, ... in order");
            d->lights.push_back({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]});
        } else if (cmd == "taxiway") {
            if (N() < 5) return Error("taxiway needs a name, a width and two points or more");
            Taxiway t{W(1), 0, {}};
            if (!Num(2, &t.width)) return;
            for (size_t i = 3; i < N(); ++i) {
                int p;
                if (!PointOf(i, &p)) return;
                t.points.push_back(p);
            }
            d->taxiways.push_back(t);
        } else if (cmd == "apron") {
            if (!Count(5, "apron needs two corners")) return;
            Rect r;
            if (Num(1, &r.x0) && Num(2, &r.z0) && Num(3, &r.x1) && Num(4, &r.z1))
                d->aprons.push_back(r);
        } else if (cmd == "run") {
            if (!Count(6, "run needs a name and two points")) return;
            Run r{W(1), 0, 0, 0, 0};
            if (Num(2, &r.x0) && Num(3, &r.z0) && Num(4, &r.x1) && Num(5, &r.z1))
                d->runs.push_back(r);
        } else if (cmd == "preview") {
            if (N() < 4) return Error("preview needs a name and two points or more");
            Preview p{W(1), {{}}};
            for (size_t i = 2; i < N(); ++i) {
                if (W(i) == "|") {
                    if (p.groups.back().empty()) return Error("an empty point group");
                    p.groups.push_back({});
                    continue;
                }
                int pt;
                if (!PointOf(i, &pt)) return;
                p.groups.back().push_back(pt);
            }
            if (p.groups.back().empty()) return Error("an empty point group");
            if (d->FindPreview(p.name)) return Error("a second preview named " + p.name);
            d->previews.push_back(p);
        } else if (cmd == "together") {
            if (N() < 3) return Error("together needs two previews or more");
            d->together.push_back(std::vector<std::string>(l.words.begin() + 1, l.words.end()));
        } else if (cmd == "group") {
            int32_t g;
            if (Count(3, "group needs a number and a name") && Int(1, &g)) d->groups[g] = W(2);
        } else if (cmd == "route") {
            if (!Count(9, "route needs a group, an entry, a name, four messages and a spare"))
                return;
            Route r;
            if (!Int(1, &r.group) || !Int(2, &r.entry)) return;
            r.name = W(3);
            for (int k = 0; k < 5; ++k)
                if (!Int(size_t(k) + 4, &r.value[k])) return;
            if (r.name.size() > 16) return Error("a route name holds at most 16 characters");
            d->routes.push_back(r);
        } else if (cmd == "sid") {
            if (!Count(6, "sid needs a name and group/entry for configurations 0-3")) return;
            Sid s;
            s.name = W(1);
            for (int c = 0; c < 4; ++c) {
                const std::string& ge = W(size_t(c) + 2);
                char* end = nullptr;
                s.group[c] = static_cast<int>(std::strtol(ge.c_str(), &end, 10));
                if (!end || *end != '/') return Error("group/entry expected: " + ge);
                s.entry[c] = static_cast<int>(std::strtol(end + 1, &end, 10));
                if (*end) return Error("group/entry expected: " + ge);
            }
            d->sids.push_back(s);
        } else if (cmd == "exchange") {
            if (!Count(7, "exchange needs a code, a next word and four messages")) return;
            Exchange e;
            if (!Int(1, &e.code) || !Int(2, &e.next)) return;
            for (int k = 0; k < 4; ++k)
                if (!Int(size_t(k) + 3, &e.msg[k])) return;
            e.comment = l.comment;
            d->exchanges.push_back(e);
        } else if (cmd == "scenery" || cmd == "demo") {
            const bool placed = cmd == "demo" && N() == 8 && W(4) == "at";
            if (!placed && !Count(4, cmd == "demo" ? "demo needs a file, day or night, a "
                                                     "resolution and maybe at <x> <z> <turn>"
                                                   : "scenery needs a file, day or night and a "
                                                     "resolution"))
                return;
            Scenery s{W(1), W(2) == "night", 0, cmd == "demo"};
            if (W(2) != "day" && W(2) != "night") return Error("day or night expected");
            if (!Int(3, &s.resolution)) return;
            if (s.resolution < 1 || s.resolution > 4) return Error("resolutions run 1-4");
            if (placed && (!Num(5, &s.x) || !Num(6, &s.z) || !Num(7, &s.turn))) return;
            d->sceneries.push_back(s);
        } else if (cmd == "part") {
            static const std::set<std::string> kPlaces = {"near",  "far",   "top",   "runs",
                                                          "obj_0", "obj_1", "obj_2", "demo"};
            if (!Count(4, "part needs a place, a resolution and a description")) return;
            Part p{W(1), 0, W(3)};
            if (!kPlaces.count(p.place)) return Error("no place named " + p.place);
            int32_t r;
            if (!Int(2, &r)) return;
            p.resolution = r;
            d->parts.push_back(p);
        } else if (cmd == "sky") {
            if (!Count(11, "sky needs a weather word and three colours")) return;
            Sky s;
            s.word = W(1);
            if (Colour(2, s.horizon) && Colour(5, s.middle) && Colour(8, s.zenith))
                d->skies.push_back(s);
        } else {
            Error("unknown entry " + cmd);
        }
    }
};

}  // namespace

bool ReadDescription(const std::string& path, Description* out) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read\n", path.c_str());
        return false;
    }
    *out = Description{};
    out->path = path;
    Reader r{out};
    std::string text;
    for (int no = 1; std::getline(in, text); ++no) {
        Line l;
        l.where = path + ":" + std::to_string(no);
        if (!Split(text, &l)) {
            std::fprintf(stderr, "%s: a quote without its end\n", l.where.c_str());
            ++r.errors;
            continue;
        }
        if (!l.words.empty()) r.Entry(l);
    }
    return r.errors == 0;
}

}  // namespace airport
