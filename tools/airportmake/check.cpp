// The design rules of the sample airport, checked on the description and on the files built
// from it: the fixed points of the game hold, the tables serve the game's lookups, and the
// layer files, loaded in the game's order into one layer tree, give every layer the game looks
// for and fit the chip slots the game leaves them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <strings.h>
#include <vector>

#include "airportmake.h"
#include "krnlayer.h"
#include "world/airportfiles.h"
#include "wynplat.h"

namespace airport {
namespace {

namespace fs = std::filesystem;

// ---- what the game fixes ----
struct FixedEye {
    const char* runway;
    double x, z;
};
// The runway cameras (4 m up) and the tower eye of the game.
const FixedEye kRunwayCameras[] = {{"34L", -23, -615}, {"16R", -471, 441}, {"34R", 787, -461},
                                   {"16L", 426, 555},  {"04", -700, -34},  {"22", -40, 625}};
const double kTowerEye[3] = {121.7, 119.0, 90.3};
const char* const kRunwayPairs[3][2] = {{"34L", "16R"}, {"34R", "16L"}, {"04", "22"}};
constexpr double kSeparation = 60;  // conflict radius 50 and a margin
constexpr int kMaxSpots = 15;       // the radio's spot-number table
constexpr int kGates = 7;           // spots 0-6 have boarding bridges
// Chip capacity by resolution 1-3 (4: ex_resolution), and the night's extra.
const int kCapacity[5] = {0, 8468, 8588, 11308, 11308};
constexpr int kNightChips = 2000;
constexpr int kFixedWindow = 445;  // capacity - 1000 up to the weather at capacity - 555
// Menu items whose messages come from the exchange table (the command menu's items of icon
// sets 0 and 1 that no other source serves), and the instructions that start an exchange of
// the table (StartStatusExchange).
const int kMenuCodes[] = {0x001, 0x002, 0x003, 0x004, 0x008, 0x009, 0x00a, 0x00b, 0x00c, 0x00d,
                          0x00e, 0x00f, 0x010, 0x012, 0x013, 0x014, 0x015, 0x016, 0x017, 0x018,
                          0x019, 0x01a, 0x01b, 0x01d, 0x01e, 0x103, 0x104, 0x105};
const int kInstructions[] = {0x10000, 0x20000, 0x30000, 0x34000, 0x3a000, 0x40000, 0x43000,
                             0x47000, 0x50000, 0x54000, 0x56000, 0x80000, 0x81000, 0x88000,
                             0x8a000, 0x90000, 0x91000, 0x96000, 0xa0000, 0xa6000, 0xac000,
                             0xb1000, 0xd0000, 0xd3000, 0xf0000, 0xf1000};
// Root layers the game and the demos create under the master layer: no file's layer may begin
// with one (its creation would fail or be renamed).
const char* const kRootNames[] = {"AIRPORT",
                                  "SKYLAYER",
                                  "simple",
                                  "tag1",
                                  "tag2",
                                  "gs_car1",
                                  "gs_car2",
                                  "pc1",
                                  "pc2",
                                  "ms1",
                                  "ms2",
                                  "smk1",
                                  "smk2",
                                  "smk3",
                                  "smk4",
                                  "ExMark1",
                                  "AutoCloud",
                                  "SubCloud",
                                  "AddCloud",
                                  "AutoRain",
                                  "AutoSmoke",
                                  "AutoSnow",
                                  "KorrinMasterLayer"};
const char* const kDemoRootNames[] = {"AutoCloud", "Sub", "Add", "AutoSnow", "ship", "plane"};
// The scenery's named layers.
const char* const kSceneryNames[] = {
    "radwrot", "radrrot", "airporton", "airportoff", "endlight", "alslgt", "alsl24", "r_light",
    "rwli16", "rwli34", "stlight", "stlight2", "stlight3", "woods", "woods2", "rwlight", "nlight",
    "obj_0", "obj_1", "obj_2", "spotplate", "rwplate",
    // The light-pattern layers that the stage's light-pattern choice switches.
    "lightpat1", "lightpat2", "lightpat3", "lightpat4", "lightpat5", "lightpat6", "lightpat7"};

struct Breaches {
    int count = 0;
    void operator()(const std::string& text) {
        std::fprintf(stderr, "breach: %s\n", text.c_str());
        ++count;
    }
};

std::vector<uint8_t> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

struct XZ {
    double x, z;
};
double Dist(XZ a, XZ b) { return std::hypot(a.x - b.x, a.z - b.z); }
double SegDist(XZ p, XZ a, XZ b) {
    const double dx = b.x - a.x, dz = b.z - a.z, l2 = dx * dx + dz * dz;
    double t = l2 > 0 ? ((p.x - a.x) * dx + (p.z - a.z) * dz) / l2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.z - (a.z + t * dz));
}
// Distance between two segments that do not cross.
double SegSeg(XZ a, XZ b, XZ c, XZ d) {
    auto side = [](XZ p, XZ q, XZ r) {
        return (q.x - p.x) * (r.z - p.z) - (q.z - p.z) * (r.x - p.x);
    };
    if (side(a, b, c) * side(a, b, d) < 0 && side(c, d, a) * side(c, d, b) < 0) return 0;
    return std::min({SegDist(a, c, d), SegDist(b, c, d), SegDist(c, a, b), SegDist(d, a, b)});
}

bool SameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}
bool BeginsNoCase(const std::string& text, const std::string& start) {
    return text.size() >= start.size() &&
           strncasecmp(text.c_str(), start.c_str(), start.size()) == 0;
}
// A layer's name as its description gave it: without the ".NNN" endings that the maker's tree
// and the game's tree added to keep names unique.
std::string FileName(const tagKRNL* l) {
    std::string n = l->name;
    for (size_t dot = n.rfind('.'); dot != std::string::npos && n.size() - dot == 4 &&
                                    std::all_of(n.begin() + long(dot) + 1, n.end(), ::isdigit);
         dot = n.rfind('.'))
        n.resize(dot);
    return n;
}

int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

// A layer tree on an engine record of its own, filled as the game fills its own.
class Scene {
  public:
    Scene() : chips_(60000) {
        std::memset(&krn_, 0, sizeof krn_);
        krn_.chipmax = int(chips_.size());
        krn_.lpchip = chips_.data();
        krn_.ACC_LOADTEXTURE = LoadTexture;
        krn_.ACC_DELETETEXTURE = DropTexture;
        master_ = KRNL_Start(&krn_);
    }
    ~Scene() { KRNL_End(master_); }
    tagKRNL* Master() { return master_; }
    tagKRN* Engine() { return &krn_; }
    // A root layer named from `name` (made unique) holding the file; null when either fails.
    tagKRNL* Load(const char* name, const fs::path& file) {
        char root[KRNL_NAMEMAX];
        std::snprintf(root, sizeof root, "%s", name);
        if (!KRNL_CheckSameName(master_, root)) return nullptr;
        tagKRNL* l = KRNL_CreateLayer(master_, root);
        char sys[2048];
        if (!l || !fs::exists(file) || !WynPlat_ToSystemPath(file.c_str(), sys, sizeof sys) ||
            !KRNL_LoadLayer(l, sys, 0))
            return nullptr;
        return l;
    }

  private:
    tagKRN krn_;
    std::vector<tagKRNCHIP> chips_;
    tagKRNL* master_;
};

int Chips(tagKRNL* l) {
    int chips = 0;
    if (l) KRNL_CountLayer(l, nullptr, &chips, nullptr);
    return chips;
}

// Every layer below `root` (the root itself excluded).
void Below(tagKRNL* root, std::vector<tagKRNL*>* out) {
    for (int i = 0; i < root->layer; ++i) {
        out->push_back(root->child[i]);
        Below(root->child[i], out);
    }
}

// The layer the game finds for `name` under `root`; a breach when it is missing or another
// layer whose name begins with `name` comes first.
tagKRNL* Lookup(Breaches& breach, tagKRNL* root, const std::string& name,
                const std::string& where) {
    tagKRNL* l = root ? KRNL_SearchLayer(root, name.c_str()) : nullptr;
    if (!l)
        breach(where + ": no layer \"" + name + "\"");
    else if (!SameNoCase(FileName(l), name))
        breach(where + ": a search for \"" + name + "\" finds \"" + l->name + "\" first");
    return l;
}

void NoRootPrefixes(Breaches& breach, tagKRNL* root, const std::string& where,
                    const char* const* names, size_t count) {
    std::vector<tagKRNL*> all;
    Below(root, &all);
    for (tagKRNL* l : all)
        for (size_t i = 0; i < count; ++i)
            // The scenery's own "airporton" and "airportoff" are loaded after "AIRPORT" exists,
            // so they never stand in its way.
            if (BeginsNoCase(l->name, names[i]) &&
                !(std::strcmp(names[i], "AIRPORT") == 0 &&
                  (SameNoCase(l->name, "airporton") || SameNoCase(l->name, "airportoff"))))
                breach(where + ": layer \"" + l->name + "\" begins with the root name \"" +
                       names[i] + "\"");
}

// The loader switches the light-pattern layers "lightpat1" to "lightpat7" only: another layer
// named so would never be switched.
void StrayLightPatterns(Breaches& breach, tagKRNL* root, const std::string& where) {
    std::vector<tagKRNL*> all;
    Below(root, &all);
    for (tagKRNL* l : all) {
        const std::string name = FileName(l);
        if (BeginsNoCase(name, "lightpat") &&
            !(name.size() == 9 && name[8] >= '1' && name[8] <= '7'))
            breach(where + ": layer \"" + name +
                   "\" is no light-pattern layer \"lightpat1\"-\"lightpat7\"");
    }
}

// ---- the description and the tables ----

void CheckPlan(Breaches& breach, const Description& a) {
    if (a.yaw != 0 || a.yaw2 != 0) breach("yaw and yaw2 must be 0, so the game's fixed eyes hold");
    if (!a.hasTower || a.tower[0] != kTowerEye[0] || a.tower[1] != kTowerEye[1] ||
        a.tower[2] != kTowerEye[2])
        breach("the tower entry must be the game's tower eye (121.7, 119.0, 90.3)");
    for (const FixedEye& c : kRunwayCameras) {
        auto it = a.cameras.find(c.runway);
        if (it == a.cameras.end() || it->second[0] != c.x || it->second[1] != c.z)
            breach(std::string("camera ") + c.runway + " must be the game's fixed runway camera");
    }
    auto camera = [](const std::string& n) -> const FixedEye* {
        for (const FixedEye& c : kRunwayCameras)
            if (n == c.runway) return &c;
        return nullptr;
    };
    std::set<std::string> names;
    for (const auto& pair : kRunwayPairs) {
        const Runway* found = nullptr;
        for (const Runway& r : a.runways)
            if (r.name[0] == pair[0] && r.name[1] == pair[1]) found = &r;
        if (!found) {
            breach(std::string("no runway ") + pair[0] + "/" + pair[1]);
            continue;
        }
        names.insert(pair[0]);
        names.insert(pair[1]);
        const FixedEye* c0 = camera(pair[0]);
        const FixedEye* c1 = camera(pair[1]);
        const XZ e0 = {c0->x, c0->z}, e1 = {c1->x, c1->z};
        for (int end = 0; end < 2; ++end) {
            const Point& t = a.P(found->threshold[end]);
            // On the line between the two cameras, and between them.
            if (SegDist({t.x, t.z}, e0, e1) > 1.5 || Dist({t.x, t.z}, e0) < 5 ||
                Dist({t.x, t.z}, e1) < 5)
                breach("runway " + found->name[end] +
                       "'s threshold does not lie between its cameras");
        }
    }
    for (const Runway& r : a.runways)
        for (const std::string& n : r.name)
            if (!names.count(n)) breach("runway " + n + " is none of the game's runways");
    for (const auto* list : {&a.arrivals, &a.departures}) {
        if (list->size() > size_t(kAirportRunways))
            breach("more than 8 arrival or departure runways");
        for (const Place& p : *list)
            if (!names.count(p.name)) breach("runway list names " + p.name + ", no runway");
    }

    if (a.spots.size() > size_t(kMaxSpots)) breach("more than 15 spots");
    for (size_t i = 0; i < a.spots.size(); ++i) {
        const Place& s = a.spots[i];
        if (i < size_t(kMaxSpots) && s.name != "SPOT " + std::to_string(kRadioSpotNumbers[i]))
            breach("spot " + std::to_string(i) + " must be named \"SPOT " +
                   std::to_string(kRadioSpotNumbers[i]) + "\"");
        if (s.gate != (i < size_t(kGates)))
            breach("spots 0-6, and only they, are gates with bridges (spot " + std::to_string(i) +
                   ")");
    }

    // Spots, holding points and runway centrelines keep the separation.
    std::vector<std::pair<std::string, XZ>> places;
    for (const Place& s : a.spots) places.push_back({s.name, {a.P(s.point).x, a.P(s.point).z}});
    for (int h : a.holds) places.push_back({"hold " + a.P(h).name, {a.P(h).x, a.P(h).z}});
    for (size_t i = 0; i < places.size(); ++i) {
        for (size_t j = i + 1; j < places.size(); ++j)
            if (Dist(places[i].second, places[j].second) < kSeparation)
                breach(places[i].first + " and " + places[j].first + " lie closer than 60");
        for (const Runway& r : a.runways) {
            // The centreline reaches 60 m beyond the thresholds, where aircraft fly low.
            const Point& t0 = a.P(r.threshold[0]);
            const Point& t1 = a.P(r.threshold[1]);
            const double len = Dist({t0.x, t0.z}, {t1.x, t1.z});
            const double ux = (t1.x - t0.x) / len, uz = (t1.z - t0.z) / len;
            const XZ e0 = {t0.x - ux * kSeparation, t0.z - uz * kSeparation};
            const XZ e1 = {t1.x + ux * kSeparation, t1.z + uz * kSeparation};
            if (SegDist(places[i].second, e0, e1) < kSeparation)
                breach(places[i].first + " lies closer than 60 to runway " + r.name[0]);
        }
    }
    for (const auto& set : a.together)
        for (size_t i = 0; i < set.size(); ++i)
            for (size_t j = i + 1; j < set.size(); ++j) {
                const Preview* p = a.FindPreview(set[i]);
                const Preview* q = a.FindPreview(set[j]);
                if (!p || !q) {
                    breach("together names a route that is no preview");
                    continue;
                }
                auto path = [&](const Preview& r) {
                    std::vector<XZ> v;
                    for (const auto& g : r.groups)
                        for (int pt : g) v.push_back({a.P(pt).x, a.P(pt).z});
                    return v;
                };
                const std::vector<XZ> u = path(*p), w = path(*q);
                double d = 1e30;
                for (size_t k = 0; k + 1 < u.size(); ++k)
                    for (size_t m = 0; m + 1 < w.size(); ++m)
                        d = std::min(d, SegSeg(u[k], u[k + 1], w[m], w[m + 1]));
                if (d < kSeparation)
                    breach("routes " + p->name + " and " + q->name + " come closer than 60");
            }

    for (const Route& r : a.routes)
        if (r.group < 1 || r.group > 12 || r.entry < 1 || r.entry > 8)
            breach("route " + r.name + ": groups run 1-12, entries 1-8");
    for (const auto& [g, name] : a.groups)
        if (g < 1 || g > 12) breach("route group " + name + " outside 1-12");
    for (const Sid& s : a.sids)
        if (s.name.empty() || s.name.size() > 7) breach("SID " + s.name + ": 1-7 characters");
    if (a.configs.empty()) breach("no runway configuration named");
}

void CheckTables(Breaches& breach, const Description& a, const fs::path& port,
                 const std::string& code) {
    // The airport record, read back through the game's reader.
    AirportRecord rec;
    const std::vector<uint8_t> ad3 = ReadAll(port / (code + ".ad3"));
    if (ad3.size() != kAd3Size) breach(code + ".ad3 is not 2872 bytes");
    ReadAirportImage(ad3.data(), ad3.size(), AIRPORT_AD3, &rec);
    if (rec.yaw != 0 || rec.yaw2 != 0) breach(code + ".ad3: yaw is not 0");
    for (size_t i = 0; i < a.spots.size() && i < size_t(kAirportSpots); ++i)
        if (a.spots[i].name != rec.spots[i].name) breach(code + ".ad3: spot names differ");
    if (a.ad2 && ReadAll(port / (code + ".ad2")).size() != kAd2Size)
        breach(code + ".ad2 is not 1336 bytes");

    // Routes and SIDs as the game reads them.
    const std::vector<uint8_t> si2 = ReadAll(port / "etc" / (code + ".si2"));
    auto routes = std::make_unique<RouteTable>();
    auto sids = std::make_unique<SidTable>();
    ReadRouteFile(si2.data(), si2.size(), routes.get(), sids.get());
    auto listed = [&](int g, int e) {
        if (g < 1 || g >= kRouteGroups || e < 1) return false;
        for (int k = 0; k < kRouteListed; ++k)
            if (routes->list[g][k] == e) return true;
        return false;
    };
    for (const Sid& s : a.sids)
        for (int c : a.configs) {
            int g = -1, e = -1;
            FindSidIn(*sids, c, s.name.c_str(), &g, &e);
            if (!listed(g, e))
                breach("SID " + s.name + " gives no listed route entry for configuration " +
                       std::to_string(c));
        }

    // The exchange table serves every menu item and instruction that looks in it.
    const std::vector<uint8_t> dfa = ReadAll(port / "etc" / (code + ".dfa"));
    auto table = std::make_unique<ExchangeTable>();
    ReadExchangeFile(dfa.data(), dfa.size(), table.get());
    for (int c : kMenuCodes) {
        bool found = false;
        for (int i = 0; i < table->count; ++i) found = found || table->entry[i].code == c;
        if (!found) {
            char b[64];
            std::snprintf(b, sizeof b, "no exchange entry for menu item 0x%03x", c);
            breach(b);
        }
    }
    for (int c : kInstructions) {
        const ExchangeTableEntry* first = nullptr;
        for (int i = 0; i < table->count && !first; ++i)
            if ((table->entry[i].code & 0xfff000) == c) first = &table->entry[i];
        if (!first || first->msg[0] < 0) {
            char b[80];
            std::snprintf(b, sizeof b, "no exchange (with a message) for instruction 0x%x", c);
            breach(b);
        }
    }

    // Every message number the tables name has a text in the phrase tables, once they exist.
    const fs::path atc = port / "atc";
    if (fs::exists(atc / "app_ee.ms") && fs::exists(atc / "app_jj.ms")) {
        std::set<int> numbers;
        for (int i = 0; i < table->count; ++i)
            for (int m : table->entry[i].msg)
                if (m >= 0) numbers.insert(m);
        for (const Route& r : a.routes) {
            for (int k = 0; k < 4; ++k)
                if (r.value[k] >= 0) numbers.insert(r.value[k]);
            for (int k = 2; k < 4; ++k)  // the ground-state variants
                if (r.value[k] >= 0) numbers.insert(r.value[k] + 1);
        }
        for (const char* file : {"app_ee.ms", "app_jj.ms"}) {
            const std::vector<uint8_t> ms = ReadAll(atc / file);
            auto u32 = [&](size_t at) -> uint64_t {
                if (at + 4 > ms.size()) return UINT64_MAX;
                return uint64_t(ms[at]) | uint64_t(ms[at + 1]) << 8 | uint64_t(ms[at + 2]) << 16 |
                       uint64_t(ms[at + 3]) << 24;
            };
            // The first word counts the offset entries; a message beyond them has no text.
            const uint64_t count = u32(0);
            for (int n : numbers) {
                const uint64_t at = uint64_t(n) < count ? u32(4 * (size_t(n) + 1)) : UINT64_MAX;
                if (at == UINT64_MAX || at + 5 > ms.size() || ms[at + 4] == 0)
                    breach(std::string(file) + ": message " + std::to_string(n) + " has no text");
            }
        }
    } else {
        std::fprintf(stderr, "note: no phrase tables under %s yet: message numbers not checked\n",
                     atc.c_str());
    }

    // Route previews: one file each, naming points the table holds.
    const std::vector<uint8_t> ptd = ReadAll(port / "root" / (code + ".ptd"));
    PointTable pts;
    ReadPointFile(ptd.data(), ptd.size(), &pts);
    if (pts.count != int(a.points.size())) breach(code + ".ptd does not hold every point");
    for (const Preview& p : a.previews) {
        const std::vector<uint8_t> rtd = ReadAll(port / "root" / (p.name + ".rtd"));
        if (rtd.size() != kPreviewSize) {
            breach(p.name + ".rtd is not 192 bytes");
            continue;
        }
        bool ended = false;
        for (size_t k = 0; k < kPreviewWords && !ended; ++k) {
            const uint32_t w = uint32_t(rtd[4 * k]) | uint32_t(rtd[4 * k + 1]) << 8 |
                               uint32_t(rtd[4 * k + 2]) << 16 | uint32_t(rtd[4 * k + 3]) << 24;
            ended = (w >> 16) == 0x8000;
            if (!ended && int(w & 0xffff) >= pts.count)
                breach(p.name + ".rtd names a point beyond the table");
        }
        if (!ended) breach(p.name + ".rtd has no end word");
    }
}

// ---- the layer files ----

// The largest aircraft model the program folder holds, in chips, for a resolution (1 and 2
// prefer the ".pl3" beside a model).
int LargestAircraft(const fs::path& program, int res, std::string* which) {
    int most = 0;
    const fs::path dir = program / "airplane";
    if (!fs::exists(dir)) return 0;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file() || e.path().extension() != ".plm") continue;
        fs::path file = e.path();
        fs::path pl3 = file;
        pl3.replace_extension(".pl3");
        if (res < 3 && fs::exists(pl3)) file = pl3;
        Scene scene;
        const int chips = Chips(scene.Load("model", file));
        if (chips > most) {
            most = chips;
            *which = file.string();
        }
    }
    return most;
}

struct GroundSupport {
    const char* name;
    const char* file;
};

void CheckGameFiles(Breaches& breach, const Description& a, const fs::path& program,
                    const std::string& code) {
    const fs::path port = program / "port" / code;
    std::string largest[5];
    int aircraft[5] = {0, 0, 0, 0, 0};
    for (int res = 1; res <= 4; ++res) aircraft[res] = LargestAircraft(program, res, &largest[res]);
    if (!aircraft[3])
        std::fprintf(stderr, "note: no aircraft models under %s yet: budgets count none\n",
                     (program / "airplane").c_str());

    for (const Scenery& s : a.sceneries) {
        if (s.demo) continue;
        const std::string where = s.file;
        if (fs::exists(program / fs::path(s.file).replace_extension(".pl2")))
            breach(where + ": a .pl2 beside the scenery would be drawn with it");
        for (int rain = 0; rain < 2; ++rain) {
            Scene scene;
            tagKRNL* airport = scene.Load("AIRPORT", program / s.file);
            if (!airport) {
                breach(where + ": cannot be loaded");
                break;
            }
            if (!rain) {
                for (const char* n : kSceneryNames) Lookup(breach, airport, n, where);
                for (int g = 0; g < kGates; ++g)
                    for (int pose = 0; pose < 3; ++pose)
                        Lookup(breach, airport,
                               "bdg" + std::to_string(g) + "mv" + std::to_string(pose), where);
                NoRootPrefixes(breach, airport, where, kRootNames, std::size(kRootNames));
                StrayLightPatterns(breach, airport, where);
                // The tower eye stands in the tower's cab.
                KRNL_CalcLayerEx(scene.Master(), 0);
                tagKRNL* cab = Lookup(breach, airport, "towercab", where);
                if (cab) {
                    double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
                    for (int i = 0; i < cab->count; ++i)
                        for (const tagKRN3D& v : scene.Engine()->lpchip[cab->no + i].v) {
                            const double c[3] = {v.x, v.y, v.z};
                            for (int k = 0; k < 3; ++k) {
                                lo[k] = std::min(lo[k], c[k]);
                                hi[k] = std::max(hi[k], c[k]);
                            }
                        }
                    for (int k = 0; k < 3; ++k)
                        if (kTowerEye[k] <= lo[k] || kTowerEye[k] >= hi[k]) {
                            breach(where + ": the tower eye lies outside the tower cab");
                            break;
                        }
                }
            }
            const int scenery = Chips(airport);
            // Ground support as the stage set-up loads it, behind the scenery.
            int fixed = Chips(KRNL_SearchLayer(airport, "rwlight")) +
                        Chips(KRNL_SearchLayer(airport, "nlight"));
            const GroundSupport kCommon[] = {{"tag1", "gs/tag2/tag.plm"},
                                             {"tag2", "gs/tag2/tag.plm"},
                                             {"gs_car1", "gs/gs_car/gs_car.plm"},
                                             {"gs_car2", "gs/gs_car/gs_car.plm"},
                                             {"pc1", "gs/pc/pc.plm"},
                                             {"pc2", "gs/pc/pc.plm"},
                                             {"ms1", s.night ? "gs/ms/ms_n.plm" : "gs/ms/ms.plm"},
                                             {"ms2", s.night ? "gs/ms/ms_n.plm" : "gs/ms/ms.plm"},
                                             {"smk1", rain ? "etc/ldgwater.plm" : "etc/smoke.plm"},
                                             {"smk2", rain ? "etc/ldgwater.plm" : "etc/smoke.plm"}};
            int gs = 0;
            std::vector<std::pair<const GroundSupport*, tagKRNL*>> loaded;
            for (const GroundSupport& g : kCommon) {
                tagKRNL* l = scene.Load(g.name, program / g.file);
                if (!l) breach(std::string(g.file) + ": cannot be loaded as " + g.name);
                gs += Chips(l);
                loaded.push_back({&g, l});
            }
            const GroundSupport kRain[] = {{"smk3", "etc/watersmoke.plm"},
                                           {"smk4", "etc/watersmoke.plm"}};
            if (rain)
                for (const GroundSupport& g : kRain) {
                    tagKRNL* l = scene.Load(g.name, program / g.file);
                    if (!l) breach(std::string(g.file) + ": cannot be loaded as " + g.name);
                    fixed += Chips(l);  // moved to the fixed slots behind the lights
                    loaded.push_back({&g, l});
                }
            for (auto [g, l] : loaded) {
                if (!l) continue;
                const std::string w = std::string(g->file) + " as " + g->name;
                const std::string n = g->name;
                if (n.compare(0, 3, "tag") == 0) {
                    Lookup(breach, l, "f_light", w);
                    Lookup(breach, l, "b_light", w);
                } else if (n.compare(0, 6, "gs_car") == 0) {
                    const struct {
                        const char* parent;
                        std::vector<const char*> children;
                    } kCar[] = {{"toing", {"light", "bbox7", "bbox8", "bbox9"}},
                                {"blt", {"bbox1", "bbox2", "bbox3"}},
                                {"fudobox", {}},
                                {"hl", {"hbox4", "hbox5", "hbox6"}},
                                {"fuel", {"light"}},
                                {"cs", {}},
                                {"bus", {}},
                                {"mc", {}},
                                {"rmp", {}}};
                    for (const auto& part : kCar) {
                        tagKRNL* p = Lookup(breach, l, part.parent, w);
                        for (const char* c : part.children) Lookup(breach, p, c, w);
                    }
                } else if (n.compare(0, 2, "ms") == 0) {
                    for (const char* c : {"up1", "up2", "up3", "stop"}) Lookup(breach, l, c, w);
                } else if (n == "smk1" || n == "smk2") {
                    for (int k = 0; k < (rain ? 3 : 6); ++k)
                        Lookup(breach, l, (rain ? "ldgwpat" : "smake") + std::to_string(k), w);
                } else if (n == "smk3" || n == "smk4") {
                    for (int k = 0; k < 3; ++k) Lookup(breach, l, "wsmkpat" + std::to_string(k), w);
                }
                NoRootPrefixes(breach, l, w, kRootNames, std::size(kRootNames));
            }
            // The sky is loaded after the ground support.
            int sky = 0;
            for (const Sky& k : a.skies) {
                if ((k.word == "N") != s.night) continue;
                Scene own;
                tagKRNL* l =
                    scene.Load("SKYLAYER", program / "port" / code / ("sky" + k.word + ".plm"));
                if (!l) breach("sky" + k.word + ".plm: cannot be loaded");
                NoRootPrefixes(breach, l ? l : scene.Master(), "sky" + k.word + ".plm", kRootNames,
                               l ? std::size(kRootNames) : 0);
                sky = std::max(sky, Chips(l));
                if (l) KRNL_DeleteLayer(l, 1);
            }
            if (fixed > kFixedWindow)
                breach(where + ": \"rwlight\", \"nlight\" and the water smoke take " +
                       std::to_string(fixed) + " chips, more than 445");
            const int capacity = kCapacity[s.resolution] + (s.night ? kNightChips : 0);
            const int total = scenery + sky + gs + 20 * aircraft[s.resolution];
            if (total >= capacity - 1000)
                breach(where + (rain ? " (rain)" : "") + ": scenery " + std::to_string(scenery) +
                       ", sky " + std::to_string(sky) + ", ground support " + std::to_string(gs) +
                       " and 20 aircraft of " + std::to_string(aircraft[s.resolution]) +
                       " chips reach " + std::to_string(total) + ", not below " +
                       std::to_string(capacity - 1000));
            else if (!rain)
                std::printf("%s: %d of %d chips (scenery %d, sky %d, ground support %d, 20 x %d)\n",
                            where.c_str(), total, capacity - 1000, scenery, sky, gs,
                            aircraft[s.resolution]);
        }
    }

    for (const Scenery& s : a.sceneries) {
        if (!s.demo) continue;
        Scene scene;
        char sys[2048];
        const fs::path file = program / s.file;
        if (!fs::exists(file) || !WynPlat_ToSystemPath(file.c_str(), sys, sizeof sys) ||
            !KRNL_LoadLayer(scene.Master(), sys, 0)) {
            breach(s.file + ": cannot be loaded");
            continue;
        }
        tagKRNL* top = scene.Master()->layer ? scene.Master()->child[0] : nullptr;
        if (!top || std::strcmp(top->name, "rjtt") != 0)
            breach(s.file + ": the top layer is not \"rjtt\"");
        std::vector<std::string> names = {"ground",  "spotplate",  "rwplate", "radrrot",
                                          "radwrot", "blackboard", "nlight",  "sky"};
        for (int k = 0; k < 8; ++k) names.push_back("sky" + std::to_string(k));
        for (int g = 0; g < kGates; ++g) names.push_back("bdg" + std::to_string(g) + "mv2");
        if (s.night)
            for (const char* n : {"stlight", "stlight2", "stlight3"}) names.push_back(n);
        for (const std::string& n : names) Lookup(breach, scene.Master(), n, s.file);
        for (int k = 0; k < 8; ++k) {
            tagKRNL* l = KRNL_SearchLayer(scene.Master(), ("sky" + std::to_string(k)).c_str());
            if (l && !l->texture.name[0])
                breach(s.file + ": \"sky" + std::to_string(k) + "\" has no texture");
            // The engine looks for a texture in its layer file's folder (a missing one is a box).
            if (l && l->texture.name[0] && !fs::exists(file.parent_path() / l->texture.name))
                breach(s.file + ": no texture " + l->texture.name + " beside it");
        }
        NoRootPrefixes(breach, scene.Master(), s.file, kDemoRootNames, std::size(kDemoRootNames));
        const int chips = Chips(scene.Master());
        const int limit = s.night ? 4800 : 3000;
        if (chips >= limit)
            breach(s.file + ": " + std::to_string(chips) + " chips, not below " +
                   std::to_string(limit));
        else
            std::printf("%s: %d of %d chips\n", s.file.c_str(), chips, limit);
    }
}

}  // namespace

int Check(const Description& a, const fs::path& program) {
    Breaches breach;
    const std::string code = fs::path(a.path).stem().string();
    CheckPlan(breach, a);
    CheckTables(breach, a, program / "port" / code, code);
    CheckGameFiles(breach, a, program, code);
    return breach.count;
}

}  // namespace airport
