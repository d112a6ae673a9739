// modelmake: layer text files from simple model descriptions.
//
//   modelmake [-strict] <output folder> <description>...
//
// A description is a text of one command per line ('#' starts a comment):
//   file <name>                  starts an output file (a layer text file); one top layer each;
//                                the name may lead through sub-folders ("B767/B767JAL.plm"),
//                                made on demand
//   layer <Name> ... end         a named layer; layers nest
//   include <description> [arg...]  the lines of another description (relative to this one);
//                                $1..$9 in its lines (and in the file name) stand for the args
//   colour <r> <g> <b>           colour of the shapes that follow in the layer (default white)
//   box <x0 y0 z0> <x1 y1 z1>    a box between two corners
//   wedge <x0 y0 z0> <x1 y1 z1>  a box whose top slopes from y1 at z0 down to y0 at z1
//   cylinder <x y z> <radius> <height> <sides>   upright (along y), base centre at x y z
//   cone <x y z> <radius> <height> <sides>       upright, tip at height
//   lathe <x> <sides> <z y r>... a round body along z (a fuselage, a nacelle): rings of
//                                <sides> corners round x, y at each z, radius r (0: a point);
//                                an end ring is closed, unless its radius is written negative
//   slab <four corners> <thick>  a flat part (a wing, a fin): the quad thickened by <thick>
//                                across its face; the face along the first edge is left open,
//                                as it sits inside the body
//   quad <four corners>          two chips; the front is the side the corners run clockwise from
//   shift|rotate|scale <x y z>   the layer's placement
//   attribute <name>...          BackFace WireFrame NoShade AlphaBlend ShadowBlend
//                                ZBufferNoWrite NoFog NoDistance
//   billboard <n>, switch <n>    the layer's billboard mode and switch
//   texture <file> planar|cylinder x|y|z [mask] [area <l> <r> <b> <t>]
//                                a texture fitted onto the layer and below; with an area a
//                                planar picture spans exactly it: its left and right edges at
//                                l and r, its bottom and top at b and t, across z and up y
//                                seen along x, across x and up y along z, across x and up z
//                                along y
//   twin <sides>                 a low-detail twin beside the layer: "Lod" + its name, switched
//                                off, its round shapes with <sides> sides
// Layer names are matched by prefix without regard to case, so a name that begins another
// name of the same file is warned about; with -strict (models whose parts the game looks up by
// name) it is an error.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <strings.h>
#include <vector>

#include "krnlayer.h"
#include "wynplat.h"

namespace fs = std::filesystem;

namespace {

struct Shape {
    std::string kind;
    std::vector<double> n;
    int rgb[3];
};

struct LayerDesc {
    std::string name;
    std::vector<Shape> shapes;
    tagKRN3D shift{0, 0, 0, 0}, rotate{0, 0, 0, 0}, scale{1, 1, 1, 0};
    std::vector<std::string> attributes;
    int billboard = 0;
    int sw = 1;
    std::string texture;
    int textureMode = 0;
    int textureMask = 0;
    bool hasArea = false;
    double area[4] = {0, 0, 0, 0};  // left, right, bottom, top
    int twin = 0;
    std::vector<LayerDesc> children;
};

struct FileDesc {
    std::string name;
    std::vector<LayerDesc> tops;
};

struct Parser {
    std::vector<FileDesc> files;
    std::vector<LayerDesc*> open;
    int errors = 0;

    void Error(const std::string& where, const std::string& what) {
        std::fprintf(stderr, "%s: %s\n", where.c_str(), what.c_str());
        ++errors;
    }

    void Parse(const fs::path& path, int depth = 0, const std::vector<std::string>& params = {}) {
        std::ifstream in(path);
        if (!in || depth > 16) {
            Error(path.string(), "cannot read");
            return;
        }
        std::string line;
        int no = 0;
        int rgb[3] = {255, 255, 255};
        while (std::getline(in, line)) {
            ++no;
            std::string where = path.string() + ":" + std::to_string(no);
            if (auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
            for (size_t at = line.find('$'); at != std::string::npos; at = line.find('$', at)) {
                const size_t k = at + 1 < line.size() ? size_t(line[at + 1] - '1') : 9;
                if (k >= 9 || k >= params.size()) {
                    Error(where, "no argument for " + line.substr(at, 2));
                    line.erase(at, 2);
                    continue;
                }
                line.replace(at, 2, params[k]);
                at += params[k].size();
            }
            std::istringstream words(line);
            std::string cmd;
            if (!(words >> cmd)) continue;
            std::vector<std::string> args;
            for (std::string w; words >> w;) args.push_back(w);
            auto nums = [&](size_t count, std::vector<double>& out) {
                out.clear();
                if (args.size() != count) return false;
                for (auto& a : args) {
                    char* end = nullptr;
                    double v = std::strtod(a.c_str(), &end);
                    if (!end || *end) return false;
                    out.push_back(v);
                }
                return true;
            };
            std::vector<double> n;
            LayerDesc* cur = open.empty() ? nullptr : open.back();
            if (cmd == "include") {
                if (args.empty())
                    Error(where, "include needs a file");
                else
                    Parse(path.parent_path() / args[0], depth + 1,
                          std::vector<std::string>(args.begin() + 1, args.end()));
            } else if (cmd == "file") {
                if (!open.empty() || args.size() != 1) {
                    Error(where, "file needs a name, outside any layer");
                    continue;
                }
                files.push_back({args[0], {}});
            } else if (cmd == "layer") {
                if (files.empty() || args.size() != 1) {
                    Error(where, "layer needs a name, after a file");
                    continue;
                }
                LayerDesc d;
                d.name = args[0];
                if (cur) {
                    cur->children.push_back(d);
                    open.push_back(&cur->children.back());
                } else {
                    files.back().tops.push_back(d);
                    open.push_back(&files.back().tops.back());
                }
                rgb[0] = rgb[1] = rgb[2] = 255;
            } else if (cmd == "end") {
                if (open.empty())
                    Error(where, "end without layer");
                else
                    open.pop_back();
            } else if (!cur) {
                Error(where, cmd + " outside a layer");
            } else if (cmd == "colour" || cmd == "color") {
                if (!nums(3, n))
                    Error(where, "colour needs r g b");
                else
                    for (int k = 0; k < 3; ++k) rgb[k] = int(n[size_t(k)]);
            } else if (cmd == "box" || cmd == "wedge") {
                if (!nums(6, n))
                    Error(where, cmd + " needs two corners");
                else
                    cur->shapes.push_back({cmd, n, {rgb[0], rgb[1], rgb[2]}});
            } else if (cmd == "cylinder" || cmd == "cone") {
                if (!nums(6, n) || n[5] < 3)
                    Error(where, cmd + " needs x y z radius height sides (3 or more)");
                else
                    cur->shapes.push_back({cmd, n, {rgb[0], rgb[1], rgb[2]}});
            } else if (cmd == "lathe") {
                n.clear();
                bool ok = args.size() >= 8 && (args.size() - 2) % 3 == 0;
                for (size_t k = 0; ok && k < args.size(); ++k) {
                    char* end = nullptr;
                    n.push_back(std::strtod(args[k].c_str(), &end));
                    ok = end && !*end;
                }
                if (!ok || n[1] < 3)
                    Error(where, "lathe needs x, sides (3 or more) and two or more z y r rings");
                else
                    cur->shapes.push_back({cmd, n, {rgb[0], rgb[1], rgb[2]}});
            } else if (cmd == "slab") {
                if (!nums(13, n))
                    Error(where, "slab needs four corners and a thickness");
                else
                    cur->shapes.push_back({cmd, n, {rgb[0], rgb[1], rgb[2]}});
            } else if (cmd == "quad") {
                if (!nums(12, n))
                    Error(where, "quad needs four corners");
                else
                    cur->shapes.push_back({cmd, n, {rgb[0], rgb[1], rgb[2]}});
            } else if (cmd == "shift" || cmd == "rotate" || cmd == "scale") {
                if (!nums(3, n)) {
                    Error(where, cmd + " needs x y z");
                    continue;
                }
                tagKRN3D& v = cmd == "shift"    ? cur->shift
                              : cmd == "rotate" ? cur->rotate
                                                : cur->scale;
                v = {n[0], n[1], n[2], 0};
            } else if (cmd == "attribute") {
                for (auto& a : args) cur->attributes.push_back(a);
            } else if (cmd == "billboard" || cmd == "switch" || cmd == "twin") {
                if (!nums(1, n)) {
                    Error(where, cmd + " needs a number");
                    continue;
                }
                (cmd == "billboard" ? cur->billboard
                 : cmd == "switch"  ? cur->sw
                                    : cur->twin) = int(n[0]);
            } else if (cmd == "texture") {
                if (args.size() < 3 || (args[1] != "planar" && args[1] != "cylinder") ||
                    args[2].size() != 1 || !std::strchr("xyz", args[2][0])) {
                    Error(where, "texture needs a file, planar or cylinder, and x, y or z");
                    continue;
                }
                cur->texture = args[0];
                cur->textureMode = (args[1] == "planar" ? 1 : 4) + (args[2][0] - 'x');
                size_t k = 3;
                cur->textureMask = args.size() > k && args[k] == "mask";
                if (cur->textureMask) ++k;
                cur->hasArea = false;
                if (args.size() > k) {
                    std::vector<std::string> rest(args.begin() + long(k), args.end());
                    bool ok = rest.size() == 5 && rest[0] == "area" && cur->textureMode <= 3;
                    for (size_t i = 1; ok && i < 5; ++i) {
                        char* end = nullptr;
                        cur->area[i - 1] = std::strtod(rest[i].c_str(), &end);
                        ok = end && !*end;
                    }
                    ok = ok && cur->area[0] != cur->area[1] && cur->area[2] != cur->area[3];
                    if (!ok)
                        Error(where,
                              "a texture's area is planar: area <l> <r> <b> <t>, l != r, b != t");
                    cur->hasArea = ok;
                }
            } else {
                Error(where, "unknown command " + cmd);
            }
        }
        if (depth == 0 && !open.empty()) Error(path.string(), "layer without end");
    }
};

// Textures are only named in the files: the maker's engine record loads no pictures.
int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

struct Builder {
    tagKRN krn{};
    std::vector<tagKRNCHIP> array;
    std::vector<std::string> names;
    std::string file;
    int warnings = 0;
    bool strict = false;
    int clashes = 0;

    Builder() : array(60000) {
        krn.chipmax = int(array.size());
        krn.lpchip = array.data();
        krn.ACC_LOADTEXTURE = LoadTexture;
        krn.ACC_DELETETEXTURE = DropTexture;
    }

    static tagKRN3D P(double x, double y, double z) { return {x, y, z, 0}; }

    // One chip, wound so that its face normal points away from `inside`.
    static void Add(std::vector<tagKRNCHIP>& out, const int* rgb, tagKRN3D a, tagKRN3D b,
                    tagKRN3D c, const tagKRN3D* inside) {
        tagKRNCHIP chip;
        std::memset(&chip, 0, sizeof chip);
        chip.mode = KRNCHIP_SHOW;
        chip.v[0] = a;
        chip.v[1] = b;
        chip.v[2] = c;
        KRN_FaceNormal3D(&chip.normal, &a, &b, &c);
        if (inside) {
            tagKRN3D m = P((a.x + b.x + c.x) / 3 - inside->x, (a.y + b.y + c.y) / 3 - inside->y,
                           (a.z + b.z + c.z) / 3 - inside->z);
            if (m.x * chip.normal.x + m.y * chip.normal.y + m.z * chip.normal.z < 0) {
                chip.v[1] = c;
                chip.v[2] = b;
                KRN_FaceNormal3D(&chip.normal, &chip.v[0], &chip.v[1], &chip.v[2]);
            }
        }
        chip.normal.t = 0;
        for (auto& n : chip.n) n = chip.normal;
        chip.red = rgb[0];
        chip.green = rgb[1];
        chip.blue = rgb[2];
        for (int k = 0; k < 3; ++k) {
            chip.r[k] = rgb[0];
            chip.g[k] = rgb[1];
            chip.b[k] = rgb[2];
        }
        out.push_back(chip);
    }

    static void Quad(std::vector<tagKRNCHIP>& out, const int* rgb, tagKRN3D a, tagKRN3D b,
                     tagKRN3D c, tagKRN3D d, const tagKRN3D* inside) {
        Add(out, rgb, a, b, c, inside);
        Add(out, rgb, a, c, d, inside);
    }

    // Rings round the axis (x, ., z): each ring's corners start at the top, so that a body
    // seen from the side shows a straight top and bottom line.
    static void Lathe(std::vector<tagKRNCHIP>& out, const Shape& s, int sidesOverride) {
        const auto& n = s.n;
        const double x = n[0];
        int sides = sidesOverride > 0 ? std::min(sidesOverride, int(n[1])) : int(n[1]);
        if (sides < 3) sides = 3;
        const size_t rings = (n.size() - 2) / 3;
        const double step = 2 * KRN_Pie() / sides;
        auto ring = [&](size_t i, int k) {
            const double z = n[2 + 3 * i], y = n[3 + 3 * i], r = std::fabs(n[4 + 3 * i]);
            return P(x + r * std::sin(step * k), y + r * std::cos(step * k), z);
        };
        auto axis = [&](size_t i) { return P(x, n[3 + 3 * i], n[2 + 3 * i]); };
        for (size_t i = 0; i + 1 < rings; ++i) {
            // Inside: a point on the axis between the rings, so every face turns outwards.
            tagKRN3D in =
                P(x, (n[3 + 3 * i] + n[6 + 3 * i]) / 2, (n[2 + 3 * i] + n[5 + 3 * i]) / 2);
            const bool point0 = n[4 + 3 * i] == 0, point1 = n[7 + 3 * i] == 0;
            for (int k = 0; k < sides; ++k) {
                tagKRN3D a = ring(i, k), b = ring(i, k + 1), c = ring(i + 1, k + 1),
                         d = ring(i + 1, k);
                if (point0 && point1) break;
                if (point0)
                    Add(out, s.rgb, a, c, d, &in);
                else if (point1)
                    Add(out, s.rgb, a, b, c, &in);
                else
                    Quad(out, s.rgb, a, b, c, d, &in);
            }
        }
        for (size_t end : {size_t(0), rings - 1}) {
            if (n[4 + 3 * end] <= 0) continue;
            const size_t other = end == 0 ? 1 : rings - 2;
            tagKRN3D in = axis(other);
            tagKRN3D centre = axis(end);
            for (int k = 0; k < sides; ++k)
                Add(out, s.rgb, centre, ring(end, k), ring(end, k + 1), &in);
        }
    }

    // A quad a b c d thickened across its face; the side along a-b stays open.
    static void Slab(std::vector<tagKRNCHIP>& out, const Shape& s) {
        const auto& n = s.n;
        tagKRN3D q[4];
        for (int k = 0; k < 4; ++k)
            q[k] = P(n[size_t(3 * k)], n[size_t(3 * k + 1)], n[size_t(3 * k + 2)]);
        tagKRN3D nm;
        KRN_FaceNormal3D(&nm, &q[0], &q[1], &q[2]);
        const double len = std::sqrt(nm.x * nm.x + nm.y * nm.y + nm.z * nm.z);
        const double h = len > 0 ? n[12] / 2 / len : 0;
        tagKRN3D up[4], dn[4];
        tagKRN3D in = P(0, 0, 0);
        for (int k = 0; k < 4; ++k) {
            up[k] = P(q[k].x + nm.x * h, q[k].y + nm.y * h, q[k].z + nm.z * h);
            dn[k] = P(q[k].x - nm.x * h, q[k].y - nm.y * h, q[k].z - nm.z * h);
            in.x += q[k].x / 4;
            in.y += q[k].y / 4;
            in.z += q[k].z / 4;
        }
        Quad(out, s.rgb, up[0], up[1], up[2], up[3], &in);
        Quad(out, s.rgb, dn[0], dn[1], dn[2], dn[3], &in);
        for (int k = 1; k < 4; ++k) {
            const int j = (k + 1) % 4;
            Quad(out, s.rgb, up[k], up[j], dn[j], dn[k], &in);
        }
    }

    static void Shapes(const LayerDesc& d, int sidesOverride, std::vector<tagKRNCHIP>& out) {
        for (const Shape& s : d.shapes) {
            const auto& n = s.n;
            if (s.kind == "quad") {
                Quad(out, s.rgb, P(n[0], n[1], n[2]), P(n[3], n[4], n[5]), P(n[6], n[7], n[8]),
                     P(n[9], n[10], n[11]), nullptr);
            } else if (s.kind == "lathe") {
                Lathe(out, s, sidesOverride);
            } else if (s.kind == "slab") {
                Slab(out, s);
            } else if (s.kind == "box" || s.kind == "wedge") {
                double x0 = n[0], y0 = n[1], z0 = n[2], x1 = n[3], y1 = n[4], z1 = n[5];
                bool wedge = s.kind == "wedge";
                tagKRN3D in = P((x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2);
                if (wedge) in.y = y0 + (y1 - y0) / 4;
                // The top edge at z1 comes down to the floor for a wedge.
                double yz1 = wedge ? y0 : y1;
                tagKRN3D b0 = P(x0, y0, z0), b1 = P(x1, y0, z0), b2 = P(x1, y0, z1),
                         b3 = P(x0, y0, z1);
                tagKRN3D t0 = P(x0, y1, z0), t1 = P(x1, y1, z0), t2 = P(x1, yz1, z1),
                         t3 = P(x0, yz1, z1);
                Quad(out, s.rgb, b0, b1, b2, b3, &in);  // floor
                Quad(out, s.rgb, t0, t1, t2, t3, &in);  // top (the slope of a wedge)
                Quad(out, s.rgb, b0, b1, t1, t0, &in);  // front at z0
                if (wedge) {
                    Add(out, s.rgb, b1, b2, t1, &in);
                    Add(out, s.rgb, b0, b3, t0, &in);
                } else {
                    Quad(out, s.rgb, b3, b2, t2, t3, &in);
                    Quad(out, s.rgb, b1, b2, t2, t1, &in);
                    Quad(out, s.rgb, b0, b3, t3, t0, &in);
                }
            } else {
                bool cone = s.kind == "cone";
                int sides = sidesOverride > 0 ? sidesOverride : int(n[5]);
                if (sides < 3) sides = 3;
                double x = n[0], y = n[1], z = n[2], r = n[3], h = n[4];
                tagKRN3D in = P(x, y + h / 3, z);
                tagKRN3D base = P(x, y, z), top = P(x, y + h, z);
                const double step = 2 * KRN_Pie() / sides;
                for (int i = 0; i < sides; ++i) {
                    double a0 = step * i, a1 = step * (i + 1);
                    tagKRN3D p0 = P(x + r * std::cos(a0), y, z + r * std::sin(a0));
                    tagKRN3D p1 = P(x + r * std::cos(a1), y, z + r * std::sin(a1));
                    Add(out, s.rgb, base, p0, p1, &in);
                    if (cone) {
                        Add(out, s.rgb, p0, p1, top, &in);
                    } else {
                        tagKRN3D q0 = P(p0.x, y + h, p0.z), q1 = P(p1.x, y + h, p1.z);
                        Quad(out, s.rgb, p0, p1, q1, q0, &in);
                        Add(out, s.rgb, top, q0, q1, &in);
                    }
                }
            }
        }
    }

    tagKRNL* Create(tagKRNL* master, tagKRNL* parent, const std::string& wanted) {
        char name[KRNL_NAMEMAX];
        std::snprintf(name, sizeof name, "%s", wanted.c_str());
        if (wanted.size() >= KRNL_NAMEMAX) {
            std::fprintf(stderr, "%s: warning: layer name %s cut to 31 characters\n", file.c_str(),
                         wanted.c_str());
            ++warnings;
        }
        tagKRNL* l = KRNL_CreateLayer(parent, name);
        if (!l) {
            KRNL_CheckSameName(master, name);
            std::fprintf(stderr,
                         "%s: warning: layer %s is taken by a layer whose name begins with it; "
                         "written as %s\n",
                         file.c_str(), wanted.c_str(), name);
            ++warnings;
            l = KRNL_CreateLayer(parent, name);
        }
        names.push_back(std::string(wanted, 0, KRNL_NAMEMAX - 1));
        return l;
    }

    void Build(tagKRNL* master, tagKRNL* parent, const LayerDesc& d, int sides, bool twin) {
        tagKRNL* l = Create(master, parent, twin ? "Lod" + d.name : d.name);
        if (!l) return;
        std::vector<tagKRNCHIP> chips;
        Shapes(d, sides, chips);
        if (!chips.empty()) {
            int at = KRN_SearchChip(&krn, 0, int(chips.size()));
            if (at < 0) {
                std::fprintf(stderr, "%s: too many chips\n", file.c_str());
                ++warnings;
            } else {
                for (size_t i = 0; i < chips.size(); ++i) KRN_SetChip(&krn, at + int(i), &chips[i]);
                KRNL_CaptureLayer(l, at, int(chips.size()));
            }
        }
        for (const auto& a : d.attributes) {
            if (a == "BackFace")
                l->back = 1;
            else if (a == "WireFrame")
                l->wireframe = 1;
            else if (a == "NoShade")
                l->shade = 0;
            else if (a == "AlphaBlend")
                l->alpha = 1;
            else if (a == "ShadowBlend")
                l->shadow = 1;
            else if (a == "ZBufferNoWrite")
                l->znowrite = 1;
            else if (a == "NoFog")
                l->nofog = 1;
            else if (a == "NoDistance")
                l->nodistance = 1;
            else {
                std::fprintf(stderr, "%s: warning: unknown attribute %s\n", file.c_str(),
                             a.c_str());
                ++warnings;
            }
        }
        l->billboard = d.billboard;
        l->sw = twin ? 0 : d.sw;
        KRNL_AbsMoveLayer(l, &d.shift, &d.rotate, &d.scale);
        if (!twin)
            for (const auto& c : d.children) Build(master, l, c, 0, false);
        if (!d.texture.empty()) {
            tagKRNLT lt;
            std::memset(&lt, 0, sizeof lt);
            std::snprintf(lt.name, sizeof lt.name, "%s", d.texture.c_str());
            lt.htex = KRN_ReadTexture(&krn, d.texture.c_str(), d.textureMask);
            lt.mode = d.textureMode;
            lt.mask = d.textureMask;
            if (d.hasArea) {
                // Seen along x or y the picture turns a quarter, so that its columns run
                // across z (x) and its rows up y (z); along z it stands as it is.
                const double l0 = d.area[0], r0 = d.area[1], b0 = d.area[2], t0 = d.area[3];
                const double across = (l0 + r0) / 2, up = (b0 + t0) / 2;
                lt.rotate = lt.mode == 3 ? 0 : -90;
                lt.su = (lt.mode == 3 ? 1 : -1) / (r0 - l0);
                lt.sv = 1 / (t0 - b0);
                if (lt.mode == 1)
                    lt.cz = across, lt.cy = up;
                else if (lt.mode == 2)
                    lt.cx = across, lt.cz = up;
                else
                    lt.cx = across, lt.cy = up;
                KRNL_TextureLayer(l, &lt, 0);
            } else {
                KRNL_TextureLayer(l, &lt, 1);
            }
        }
        if (d.twin > 0 && !twin) Build(master, parent, d, d.twin, true);
    }

    void WarnPrefixes() {
        for (size_t i = 0; i < names.size(); ++i)
            for (size_t j = 0; j < names.size(); ++j) {
                if (i == j || names[i].size() > names[j].size()) continue;
                if (strncasecmp(names[i].c_str(), names[j].c_str(), names[i].size()) == 0) {
                    std::fprintf(stderr,
                                 "%s: %s: layer name %s begins %s; a search for the first may "
                                 "find the second\n",
                                 file.c_str(), strict ? "error" : "warning", names[i].c_str(),
                                 names[j].c_str());
                    ++(strict ? clashes : warnings);
                }
            }
    }

    bool Write(const FileDesc& f, const fs::path& folder) {
        file = f.name;
        names.clear();
        if (f.tops.size() != 1) {
            std::fprintf(stderr, "%s: a file holds exactly one top layer\n", f.name.c_str());
            return false;
        }
        tagKRNL* master = KRNL_Start(&krn);
        Build(master, master, f.tops[0], 0, false);
        clashes = 0;
        WarnPrefixes();
        bool ok = false;
        if (master->layer > 0 && !clashes) {
            fs::path out = folder / f.name;
            std::error_code ec;
            fs::create_directories(out.parent_path(), ec);
            char sys[1024];
            ok = WynPlat_ToSystemPath(out.c_str(), sys, sizeof sys) &&
                 KRNL_SaveLayer(master->child[0], sys);
            if (!ok) std::fprintf(stderr, "%s: cannot write\n", out.c_str());
        }
        KRNL_End(master);
        return ok;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool strict = argc > 1 && std::strcmp(argv[1], "-strict") == 0;
    const int first = strict ? 2 : 1;
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: modelmake [-strict] <output folder> <description>...\n");
        return 2;
    }
    fs::path folder = argv[first];
    std::error_code ec;
    fs::create_directories(folder, ec);
    Parser parser;
    for (int i = first + 1; i < argc; ++i) parser.Parse(argv[i]);
    if (parser.errors) return 1;
    Builder builder;
    builder.strict = strict;
    for (const auto& f : parser.files)
        if (!builder.Write(f, folder)) return 1;
    return 0;
}
