// flightmake: the game's flight data files from three text tables.
//
//   flightmake <source folder> <program folder>
//
// The source folder holds, one record a line, fields separated by '|' (blanks around a field
// are dropped, '#' starts a comment line):
//   airlines.txt  code | callsign prefix | English radio name | Japanese name
//                 -> airplane\<code>.dat, 112 bytes: prefix 0:16, English 16:64, Japanese 80:32
//   types.txt     name | description | model flags | nose offset | tail clearance |
//                 minimum turn speed
//                 -> airplane\<name>\<name>.dat, 80 bytes: name 0:16, description 16:48,
//                    flags 64, the nose offset stored negated at 68 (the game negates it back),
//                    tail clearance 72 (0 = the game's 10000), minimum turn speed 76 (knots)
//   airports.txt  code | English name | Japanese name | third name
//                 -> etc\ap\<code>.dat, 80 bytes: texts at 0:16, 16:16, 32:48
// Texts are written in Shift-JIS. A text must leave room for its NUL where the game copies it
// into a smaller field (the prefix 7 bytes, the English airline name 31, the third airport
// name 31) and otherwise fit its field with its NUL; codes are bare names of at most 7
// characters (type names 8, the timetable's field). Numbers are decimal or 0x hexadecimal. Any
// breach is an error and nothing more is written for that table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "maker_source.h"
#include "wynbytes.h"

namespace fs = std::filesystem;

namespace {

using Table = maker::Source;

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    size_t b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The records of a table: each line split at '|' into exactly `fields` fields.
std::vector<std::vector<std::string>> ReadTable(Table& t, size_t fields) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(t.file);
    if (!in) {
        t.Error("cannot be read");
        return rows;
    }
    std::string line;
    while (std::getline(in, line)) {
        ++t.line;
        std::string s = Trim(line);
        if (s.empty() || s[0] == '#') continue;
        std::vector<std::string> row;
        size_t at = 0;
        for (;;) {
            size_t bar = s.find('|', at);
            row.push_back(Trim(s.substr(at, bar == std::string::npos ? bar : bar - at)));
            if (bar == std::string::npos) break;
            at = bar + 1;
        }
        if (row.size() != fields) {
            t.Error("needs " + std::to_string(fields) + " fields separated by '|'");
            continue;
        }
        rows.push_back(row);
    }
    return rows;
}

bool Code(Table& t, const std::string& code, size_t most, const char* what) {
    bool ok = !code.empty() && code.size() <= most;
    for (char c : code)
        ok = ok && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_');
    if (!ok)
        t.Error(std::string(what) + " \"" + code + "\" is not a name of 1-" + std::to_string(most) +
                " letters");
    return ok;
}

void Text(wyn::ByteWriter& w, const std::string& s, size_t field) {
    w.bytes(s.data(), s.size());
    w.fill(0, field - s.size());
}

bool WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) std::fprintf(stderr, "%s: cannot write\n", path.c_str());
    return bool(out);
}

struct Output {
    fs::path path;
    std::vector<uint8_t> bytes;
};

void Airlines(Table& t, const fs::path& bin, std::vector<Output>& out) {
    for (const auto& r : ReadTable(t, 4)) {
        std::string prefix, english, japanese;
        if (!Code(t, r[0], 7, "airline code") || !t.Text(r[1], 7, "prefix", &prefix) ||
            !t.Text(r[2], 31, "English name", &english) ||
            !t.Text(r[3], 31, "Japanese name", &japanese))
            continue;
        Output o{bin / "airplane" / (r[0] + ".dat"), std::vector<uint8_t>(112)};
        wyn::ByteWriter w(o.bytes.data(), o.bytes.size());
        Text(w, prefix, 16);
        Text(w, english, 64);
        Text(w, japanese, 32);
        out.push_back(o);
    }
}

void Types(Table& t, const fs::path& bin, std::vector<Output>& out) {
    for (const auto& r : ReadTable(t, 6)) {
        std::string name, text;
        int32_t flags = 0, nose = 0, tail = 0, turn = 0;
        if (!Code(t, r[0], 8, "type name") || !t.Text(r[0], 15, "type name", &name) ||
            !t.Text(r[1], 47, "description", &text) || !t.Int(r[2], "model flags", &flags) ||
            !t.Int(r[3], "nose offset", &nose) || !t.Int(r[4], "tail clearance", &tail) ||
            !t.Int(r[5], "minimum turn speed", &turn))
            continue;
        Output o{bin / "airplane" / r[0] / (r[0] + ".dat"), std::vector<uint8_t>(80)};
        wyn::ByteWriter w(o.bytes.data(), o.bytes.size());
        Text(w, name, 16);
        Text(w, text, 48);
        w.u32(uint32_t(flags));
        w.u32(uint32_t(-int64_t(nose)));
        w.u32(uint32_t(tail));
        w.u32(uint32_t(turn));
        out.push_back(o);
    }
}

void Airports(Table& t, const fs::path& bin, std::vector<Output>& out) {
    for (const auto& r : ReadTable(t, 4)) {
        std::string english, japanese, third;
        if (!Code(t, r[0], 7, "airport code") || !t.Text(r[1], 15, "English name", &english) ||
            !t.Text(r[2], 15, "Japanese name", &japanese) ||
            !t.Text(r[3], 31, "third name", &third))
            continue;
        Output o{bin / "etc" / "ap" / (r[0] + ".dat"), std::vector<uint8_t>(80)};
        wyn::ByteWriter w(o.bytes.data(), o.bytes.size());
        Text(w, english, 16);
        Text(w, japanese, 16);
        Text(w, third, 48);
        out.push_back(o);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: flightmake <source folder> <program folder>\n");
        return 2;
    }
    const fs::path src = argv[1], bin = argv[2];
    struct Kind {
        const char* file;
        void (*make)(Table&, const fs::path&, std::vector<Output>&);
    };
    const Kind kinds[] = {
        {"airlines.txt", Airlines}, {"types.txt", Types}, {"airports.txt", Airports}};
    std::vector<Output> out;
    int errors = 0;
    for (const Kind& k : kinds) {
        Table t;
        t.file = (src / k.file).string();
        k.make(t, bin, out);
        errors += t.errors;
    }
    if (errors) return 1;
    for (const Output& o : out)
        if (!WriteFile(o.path, o.bytes)) return 1;
    return 0;
}
