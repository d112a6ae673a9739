// stagemake: the game's stage files from text descriptions.
//
//   stagemake <program folder> <stage>...
//
// <folder>/<airport>/<name>.stage becomes port\<airport>\scenario\<name>.sd3 (or .sd2, .sd).
// A description has a header part, then the line "timetable" and one record a line. '#' starts
// a comment. Texts are written in Shift-JIS and must fit their field (a text that fills its
// field has no NUL; the game ends it at the field's end). Numbers are decimal or 0x hex; times
// are hhmm (minutes 0-59, hours 0-23).
//
// Header keywords (all optional; numbers default to 0, texts to empty):
//   format sd3|sd2|sd      the file form (sd: the old 0xd4-byte header without runways, flags
//                          and exit program)
//   title <text>           0x00, 32 bytes: "<airport> <stage> ..." (the stage ini's two words)
//   start <hhmm>  hours <n>  target <n>  extarget <n>  stresslimit <n>
//   music <name>           16 bytes        runways <n>  flags <n>  exit <program>  (16 bytes)
//   eye <x y z>  aim <x y z>  distance <n>  light <r g b>  back <r g b>  daytime <n>
//   cloud <n>  weather <text of up to 4 bytes>  light2 <r g b>  light2dir <x y z>
//   distances <a b c>  routes <eight numbers>
// Records (fields as name=value, in any order; a field left out is 0 or empty):
//   create  time id x z feet knots heading flight airline type port livery schedule sched kind
//           flags plan script                                              opcode 5, 100 bytes
//   park    id spot flight airline type port livery schedule sched flags script     6, 72 bytes
//   ready   time id flight quantity kind status port plan script                    7, 56 bytes
//   wind    time dir speed number                                                   8, 20 bytes
//   runways time text text2                                                         9, 40 bytes
//   routes  sets=<eight numbers separated by commas>                             4020, 36 bytes
//   plan    time id plan                                                         4030, 16 bytes
//   if      a=<value> op=<operator> b=<value> goto=<label>                       5000, 20 bytes
//   goto    <label>                                                              5010, 8 bytes
//   set     var=<value> value=<value>                                            5020, 12 bytes
//   end                                                                            -1, 4 bytes
//   label <name>          the offset of the next record, for jumps
//   word <n>...           raw 32-bit words (opcodes the game does not know, for tests)
// A record due at the start (time 0, or park) that stands after a record with a time is held
// back until that time (park: never run); stagemake warns of it, since the order of the lines,
// not their times, decides when they run.
// Values: a number (a constant) or score, arrivals, departures, airborne, rolling, weekday,
// stress, spot:<n>, strip:<id>, kind:<id>, status:<id>, var:<n>. Operators: eq ne is isnot le
// lt ge gt any none, or a number.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "maker_source.h"
#include "wynbytes.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kImageMax = 0x3914;  // the game reads no more of a stage file

struct Maker : maker::Source {
    bool Time(const std::string& s, const char* what, int32_t* out) {
        if (!Number(s, 0, 2359, what, out)) return false;
        if (*out % 100 > 59) {
            Error(std::string(what) + " \"" + s + "\" has more than 59 minutes");
            return false;
        }
        return true;
    }
};

// Value ids: class in the upper half, parameter in the lower.
bool Value(Maker& m, const std::string& s, int32_t* out) {
    struct Named {
        const char* name;
        uint32_t cls;
        bool param;
    };
    static const Named kNames[] = {
        {"score", 0x0101, false},    {"arrivals", 0x0102, false}, {"departures", 0x0103, false},
        {"airborne", 0x0104, false}, {"rolling", 0x0105, false},  {"spot", 0x0106, true},
        {"weekday", 0x0107, false},  {"stress", 0x0108, false},   {"strip", 0x0110, true},
        {"kind", 0x0111, true},      {"status", 0x0112, true},    {"var", 0x0FFF, true}};
    const size_t colon = s.find(':');
    const std::string head = s.substr(0, colon);
    for (const Named& n : kNames) {
        if (head != n.name) continue;
        int32_t p = 0;
        if (n.param != (colon != std::string::npos)) {
            m.Error("value " + s + (n.param ? " needs :<number>" : " takes no number"));
            return false;
        }
        if (n.param && !m.Number(s.substr(colon + 1), 0, 0xffff, "value parameter", &p))
            return false;
        *out = int32_t(n.cls << 16 | uint32_t(p));
        return true;
    }
    return m.Int(s, "value", out);
}

bool Operator(Maker& m, const std::string& s, int32_t* out) {
    static const std::map<std::string, int32_t> kOps = {
        {"eq", 0x10}, {"ne", 0x11}, {"is", 0x12}, {"isnot", 0x13}, {"le", 0x20},
        {"lt", 0x21}, {"ge", 0x30}, {"gt", 0x31}, {"any", 0x40},   {"none", 0x41}};
    if (auto it = kOps.find(s); it != kOps.end()) {
        *out = it->second;
        return true;
    }
    return m.Int(s, "operator", out);
}

// One field of a record: a number, a time, a value id, an operator, a text or a jump.
enum Kind { kNum, kTime, kValue, kOp, kJump, kSets };
struct Field {
    const char* name;
    int offset;
    int kind;  // Kind, or a text of that many bytes when negative
};
struct Record {
    const char* keyword;
    int32_t opcode;
    int size;
    std::vector<Field> fields;
};

constexpr int T(int bytes) { return -bytes; }

const std::vector<Record>& Records() {
    static const std::vector<Record> kRecords = {
        {"create",
         5,
         100,
         {{"time", 4, kTime},
          {"id", 8, kNum},
          {"x", 12, kNum},
          {"z", 16, kNum},
          {"feet", 20, kNum},
          {"knots", 24, kNum},
          {"heading", 28, kNum},
          {"flight", 32, kNum},
          {"airline", 36, T(8)},
          {"type", 44, T(8)},
          {"port", 52, T(8)},
          {"livery", 60, kNum},
          {"schedule", 64, kNum},
          {"sched", 68, kTime},
          {"kind", 72, kNum},
          {"flags", 76, kNum},
          {"plan", 80, kNum},
          {"script", 84, T(16)}}},
        {"park",
         6,
         72,
         {{"id", 4, kNum},
          {"spot", 8, kNum},
          {"flight", 12, kNum},
          {"airline", 16, T(8)},
          {"type", 24, T(8)},
          {"port", 32, T(8)},
          {"livery", 40, kNum},
          {"schedule", 44, kNum},
          {"sched", 48, kTime},
          {"flags", 52, kNum},
          {"script", 56, T(16)}}},
        {"ready",
         7,
         56,
         {{"time", 4, kTime},
          {"id", 8, kNum},
          {"flight", 12, kNum},
          {"quantity", 16, kNum},
          {"kind", 20, kNum},
          {"status", 24, kNum},
          {"port", 28, T(8)},
          {"plan", 36, kNum},
          {"script", 40, T(16)}}},
        {"wind",
         8,
         20,
         {{"time", 4, kTime}, {"dir", 8, kNum}, {"speed", 12, kNum}, {"number", 16, kNum}}},
        {"runways", 9, 40, {{"time", 4, kTime}, {"text", 8, T(16)}, {"text2", 24, T(16)}}},
        {"routes", 4020, 36, {{"sets", 4, kSets}}},
        {"plan", 4030, 16, {{"time", 4, kTime}, {"id", 8, kNum}, {"plan", 12, kNum}}},
        {"if",
         5000,
         20,
         {{"a", 4, kValue}, {"op", 8, kOp}, {"b", 12, kValue}, {"goto", 16, kJump}}},
        {"goto", 5010, 8, {{"to", 4, kJump}}},
        {"set", 5020, 12, {{"var", 4, kValue}, {"value", 8, kValue}}},
        {"end", -1, 4, {}},
    };
    return kRecords;
}

struct Jump {
    size_t at;  // image offset of the jump word
    std::string label;
    int line;
};

struct Stage {
    std::string format = "sd3";
    int timed = 0;                // the time of the first timed record so far (0: none yet)
    std::vector<uint8_t> header;  // the header's bytes as written
    std::vector<uint8_t> table;   // the timetable's bytes
    std::map<std::string, size_t> labels;
    std::vector<Jump> jumps;
};

void Put(std::vector<uint8_t>& b, size_t at, int32_t v) {
    if (b.size() < at + 4) b.resize(at + 4);
    wyn::ByteWriter w(b.data() + at, 4);
    w.u32(uint32_t(v));
}
void PutText(std::vector<uint8_t>& b, size_t at, const std::string& s) {
    if (b.size() < at + s.size()) b.resize(at + s.size());
    std::memcpy(b.data() + at, s.data(), s.size());
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

// The world block's keywords: offset in the .sd3 header and count of numbers.
struct WorldKey {
    const char* name;
    int offset;
    int count;
};
const WorldKey kWorld[] = {{"eye", 0x5c, 3},       {"aim", 0x68, 3},    {"distance", 0x74, 1},
                           {"light", 0x7c, 3},     {"back", 0x88, 3},   {"daytime", 0x94, 1},
                           {"cloud", 0x98, 1},     {"light2", 0xa4, 3}, {"light2dir", 0xb0, 3},
                           {"distances", 0xbc, 3}, {"routes", 0xcc, 8}};
// The old form's world block lies 0x18 lower.
constexpr int kOldShift = 0x18;

void HeaderLine(Maker& m, Stage& s, const std::vector<std::string>& w, const std::string& rest) {
    const std::string& key = w[0];
    const bool old = s.format == "sd";
    struct Num {
        const char* name;
        int offset;
        bool newonly;
    };
    static const Num kNums[] = {{"hours", 0x24, false},    {"target", 0x28, false},
                                {"extarget", 0x2c, false}, {"stresslimit", 0x30, false},
                                {"runways", 0x44, true},   {"flags", 0x48, true}};
    struct Txt {
        const char* name;
        int offset;
        size_t size;
        bool newonly;
    };
    static const Txt kTexts[] = {
        {"title", 0x00, 32, false}, {"music", 0x34, 16, false}, {"exit", 0x4c, 16, true}};
    if (key == "format") {
        if (w.size() != 2 || (w[1] != "sd3" && w[1] != "sd2" && w[1] != "sd"))
            m.Error("format is sd3, sd2 or sd");
        else if (!s.header.empty())
            m.Error("format comes before the other header lines");
        else
            s.format = w[1];
        return;
    }
    if (key == "start") {
        int32_t v;
        if (w.size() == 2 && m.Time(w[1], "start", &v)) Put(s.header, 0x20, v);
        if (w.size() != 2) m.Error("start needs one time");
        return;
    }
    for (const Num& n : kNums) {
        if (key != n.name) continue;
        int32_t v;
        if (n.newonly && old)
            m.Error(key + " does not exist in the old form");
        else if (w.size() != 2)
            m.Error(key + " needs one number");
        else if (m.Int(w[1], n.name, &v))
            Put(s.header, size_t(n.offset), v);
        return;
    }
    for (const Txt& t : kTexts) {
        if (key != t.name) continue;
        std::string bytes;
        if (t.newonly && old)
            m.Error(key + " does not exist in the old form");
        else if (m.Text(rest, t.size, t.name, &bytes))
            PutText(s.header, size_t(t.offset), bytes);
        return;
    }
    const int shift = old ? kOldShift : 0;
    if (key == "weather") {
        std::string bytes;
        if (m.Text(rest, 4, "weather", &bytes)) PutText(s.header, size_t(0x9c - shift), bytes);
        return;
    }
    for (const WorldKey& k : kWorld) {
        if (key != k.name) continue;
        if (int(w.size()) != k.count + 1) {
            m.Error(key + " needs " + std::to_string(k.count) + " numbers");
            return;
        }
        for (int i = 0; i < k.count; ++i) {
            int32_t v;
            if (m.Int(w[size_t(i) + 1], k.name, &v))
                Put(s.header, size_t(k.offset - shift + 4 * i), v);
        }
        return;
    }
    m.Error("unknown header keyword " + key);
}

void RecordLine(Maker& m, Stage& s, const std::vector<std::string>& w) {
    const std::string& key = w[0];
    if (key == "label") {
        if (w.size() != 2)
            m.Error("label needs a name");
        else if (!s.labels.emplace(w[1], s.table.size()).second)
            m.Error("label " + w[1] + " is defined twice");
        return;
    }
    if (key == "word") {
        if (w.size() < 2) m.Error("word needs numbers");
        for (size_t i = 1; i < w.size(); ++i) {
            int32_t v;
            if (m.Int(w[i], "word", &v)) Put(s.table, s.table.size(), v);
        }
        return;
    }
    const Record* rec = nullptr;
    for (const Record& r : Records())
        if (key == r.keyword) rec = &r;
    if (!rec) {
        m.Error("unknown record " + key);
        return;
    }
    const size_t base = s.table.size();
    s.table.resize(base + size_t(rec->size), 0);
    Put(s.table, base, rec->opcode);
    std::vector<std::string> args(w.begin() + 1, w.end());
    if (key == "goto" && args.size() == 1 && args[0].find('=') == std::string::npos)
        args[0] = "to=" + args[0];
    std::vector<bool> seen(rec->fields.size());
    for (const std::string& a : args) {
        const size_t eq = a.find('=');
        const std::string name = a.substr(0, eq),
                          value = eq == std::string::npos ? "" : a.substr(eq + 1);
        size_t f = 0;
        while (f < rec->fields.size() && name != rec->fields[f].name) ++f;
        if (eq == std::string::npos || f == rec->fields.size()) {
            m.Error(key + " has no field " + name + " (fields are name=value)");
            continue;
        }
        if (seen[f]) m.Error(key + " names " + name + " twice");
        seen[f] = true;
        const Field& fd = rec->fields[f];
        const size_t at = base + size_t(fd.offset);
        int32_t v = 0;
        bool ok = false;
        switch (fd.kind) {
            case kNum:
                ok = m.Int(value, fd.name, &v);
                break;
            case kTime:
                ok = m.Time(value, fd.name, &v);
                break;
            case kValue:
                ok = Value(m, value, &v);
                break;
            case kOp:
                ok = Operator(m, value, &v);
                break;
            case kJump:
                s.jumps.push_back({at, value, m.line});
                break;
            case kSets: {
                std::vector<std::string> sets;
                std::stringstream in(value);
                for (std::string x; std::getline(in, x, ',');) sets.push_back(x);
                if (sets.size() != 8) {
                    m.Error("routes needs eight numbers separated by commas");
                    break;
                }
                for (size_t i = 0; i < 8; ++i)
                    if (m.Int(sets[i], "route set", &v)) Put(s.table, at + 4 * i, v);
                break;
            }
            default: {
                std::string bytes;
                if (m.Text(value, size_t(-fd.kind), fd.name, &bytes)) PutText(s.table, at, bytes);
                break;
            }
        }
        if (ok) Put(s.table, at, v);
    }
    for (size_t f = 0; f < rec->fields.size(); ++f)
        if (!seen[f] && (rec->fields[f].kind == kJump || rec->fields[f].kind == kSets))
            m.Error(key + " needs " + rec->fields[f].name + "=");
    // Whether this record is due at the start, or has a time of its own.
    const bool hasTime = !rec->fields.empty() && rec->fields[0].kind == kTime;
    const int32_t time = hasTime ? int32_t(wyn::ByteReader(s.table.data() + base + 4, 4).u32()) : 0;
    if (s.timed && (rec->opcode == 6 || (hasTime && time == 0))) {
        char at[8];
        std::snprintf(at, sizeof at, "%04d", s.timed);
        m.Warn(key +
               (rec->opcode == 6 ? " never runs" : " (time 0) waits until " + std::string(at)) +
               ": it follows a record timed " + at + "; put the records due at the start first");
    }
    if (hasTime && time != 0 && !s.timed) s.timed = time;
}

bool Make(const fs::path& desc, const fs::path& bin) {
    Maker m;
    m.file = desc.string();
    std::ifstream in(desc);
    if (!in) {
        m.Error("cannot be read");
        return false;
    }
    Stage s;
    bool records = false;
    std::string line;
    while (std::getline(in, line)) {
        ++m.line;
        if (auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        const std::vector<std::string> w = Words(line);
        if (w.empty()) continue;
        if (w[0] == "timetable" && w.size() == 1) {
            records = true;
            continue;
        }
        if (records) {
            RecordLine(m, s, w);
        } else {
            // A text is the rest of the line after the keyword, blanks inside kept.
            std::string rest = line.substr(line.find(w[0]) + w[0].size());
            rest.erase(0, rest.find_first_not_of(" \t"));
            rest.erase(rest.find_last_not_of(" \t\r") + 1);
            HeaderLine(m, s, w, rest);
        }
    }
    const size_t headerSize = s.format == "sd" ? 0xd4 : 0xec;
    if (s.header.size() > headerSize) m.Error("the header runs past its size");
    s.header.resize(headerSize, 0);
    for (const Jump& j : s.jumps) {
        auto it = s.labels.find(j.label);
        m.line = j.line;
        if (it == s.labels.end())
            m.Error("jump to an unknown label " + j.label);
        else
            Put(s.table, j.at, int32_t(it->second));
    }
    std::vector<uint8_t> image = s.header;
    image.insert(image.end(), s.table.begin(), s.table.end());
    if (image.size() > kImageMax) {
        m.line = 0;
        m.Error("the stage is " + std::to_string(image.size()) + " bytes; the game reads " +
                std::to_string(kImageMax));
    }
    if (m.errors) return false;
    const fs::path out = bin / "port" / desc.parent_path().filename() / "scenario" /
                         (desc.stem().string() + "." + s.format);
    std::error_code ec;
    fs::create_directories(out.parent_path(), ec);
    std::ofstream o(out, std::ios::binary);
    o.write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    if (!o) std::fprintf(stderr, "%s: cannot write\n", out.c_str());
    return bool(o);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: stagemake <program folder> <stage>...\n");
        return 2;
    }
    bool ok = true;
    for (int i = 2; i < argc; ++i) ok = Make(argv[i], argv[1]) && ok;
    return ok ? 0 : 1;
}
