// msmake: makes an airport's phrase tables from its message and announcement texts.
//
//   msmake <messages.txt> <announ.txt> <out folder>
//
// writes app_ee.ms (English), app_jj.ms (Japanese) and announ.ms into the folder. Lines:
//
//   messages.txt   <number> <speaker 0|1> | <English voice text> | <Japanese text>
//   announ.txt     <number> | <text>
//
// '#' at the start of a line makes it a comment. Texts are UTF-8; the Japanese ones are stored in
// Shift-JIS (CP932), and a character that code page lacks fails the build. A table is
//
//   u32 count of offset entries, count x u32 offsets from the file's start, then the records:
//   u32 speaker word, the text, NUL.
//
// Numbers the file does not give point to one shared empty record (a missing message). Every
// text is checked the way the game reads it: at most 511 bytes, only known $-macros, bracket
// words closed, the English one plain ASCII, the whole table within the 65536 bytes the game reads.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxText = 511;     // the composer's 512-byte half, NUL included
constexpr size_t kMaxTable = 65536;  // the game's phrase block
constexpr const char* kMacros = "$CHJKPUVYabcdefghijklmnpqrstuvwyz";

struct Record {
    int speaker = 0;
    std::string text;  // as stored (ASCII or CP932)
};
using Table = std::map<int, Record>;

struct Source {
    std::string path;
    int line = 0;
    bool Fail(const std::string& what) const {
        std::fprintf(stderr, "msmake: %s:%d: %s\n", path.c_str(), line, what.c_str());
        return false;
    }
};

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

// UTF-8 to CP932, refusing any character the code page lacks.
bool ToSjis(const std::string& utf8, std::string* out) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == iconv_t(-1)) return false;
    std::string buf(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size(), outLeft = buf.size();
    char* o = buf.data();
    const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == size_t(-1) || inLeft != 0) return false;
    buf.resize(buf.size() - outLeft);
    *out = buf;
    return true;
}

// The macros and bracket words of a stored text, walked as the game walks them: a lead byte of
// a Shift-JIS pair is skipped with its trail byte.
bool CheckText(const Source& src, const std::string& t, bool ascii) {
    if (t.empty()) return src.Fail("empty text");
    if (t.size() > kMaxText) return src.Fail("text longer than 511 bytes");
    for (size_t i = 0; i < t.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (ascii && (c < 0x20 || c > 0x7e)) return src.Fail("English text is not plain ASCII");
        if (!ascii && ((c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc))) {
            ++i;
            continue;
        }
        if (c == '$') {
            if (i + 1 >= t.size() || !std::strchr(kMacros, t[i + 1]))
                return src.Fail("unknown macro $" + t.substr(i + 1, 1));
            ++i;
        } else if (c == '@' && i + 1 < t.size() && t[i + 1] == '[') {
            const size_t mid = t.find("][", i + 2);
            if (mid == std::string::npos || t.find(']', mid + 2) == std::string::npos)
                return src.Fail("bracket word without \"][\" and \"]\"");
            if (t.find(']', i + 2) != mid) return src.Fail("\"]\" inside a spoken part");
        }
    }
    return true;
}

bool ParseNumber(const Source& src, const std::string& s, int* n) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || v < 0 || v > 0xffff) return src.Fail("bad message number " + s);
    *n = int(v);
    return true;
}

// messages.txt: each line fills the same number of both tables.
bool ReadMessages(const std::string& path, Table* english, Table* japanese) {
    std::ifstream in(path);
    Source src{path};
    if (!in) return src.Fail("cannot read");
    std::string raw;
    while (std::getline(in, raw)) {
        ++src.line;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const size_t bar1 = line.find('|'), bar2 = line.find('|', bar1 + 1);
        if (bar1 == std::string::npos || bar2 == std::string::npos)
            return src.Fail("expected <number> <speaker> | <English> | <Japanese>");
        char numtext[32] = {}, spktext[32] = {};
        if (std::sscanf(line.substr(0, bar1).c_str(), "%31s %31s", numtext, spktext) != 2)
            return src.Fail("expected <number> <speaker>");
        int n = 0;
        if (!ParseNumber(src, numtext, &n)) return false;
        const std::string speaker = spktext;
        if (speaker != "0" && speaker != "1") return src.Fail("speaker must be 0 or 1");
        if (english->count(n)) return src.Fail("message " + std::to_string(n) + " given twice");
        Record e{speaker == "1", Trim(line.substr(bar1 + 1, bar2 - bar1 - 1))};
        Record j{e.speaker, ""};
        if (!ToSjis(Trim(line.substr(bar2 + 1)), &j.text))
            return src.Fail("Japanese text not representable in Shift-JIS");
        if (!CheckText(src, e.text, true) || !CheckText(src, j.text, false)) return false;
        (*english)[n] = e;
        (*japanese)[n] = j;
    }
    return true;
}

bool ReadAnnouncements(const std::string& path, Table* table) {
    std::ifstream in(path);
    Source src{path};
    if (!in) return src.Fail("cannot read");
    std::string raw;
    while (std::getline(in, raw)) {
        ++src.line;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') continue;
        const size_t bar = line.find('|');
        if (bar == std::string::npos) return src.Fail("expected <number> | <text>");
        int n = 0;
        if (!ParseNumber(src, Trim(line.substr(0, bar)), &n)) return false;
        if (table->count(n)) return src.Fail("announcement " + std::to_string(n) + " given twice");
        Record r;
        if (!ToSjis(Trim(line.substr(bar + 1)), &r.text))
            return src.Fail("text not representable in Shift-JIS");
        if (!CheckText(src, r.text, false)) return false;
        (*table)[n] = r;
    }
    return true;
}

void Put32(std::vector<uint8_t>& o, uint32_t v) {
    for (int i = 0; i < 4; ++i) o.push_back(uint8_t(v >> (8 * i)));
}
void Set32(std::vector<uint8_t>& o, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) o[at + size_t(i)] = uint8_t(v >> (8 * i));
}

bool WriteTable(const Table& table, const fs::path& out) {
    const uint32_t count = table.empty() ? 0 : uint32_t(table.rbegin()->first) + 1;
    std::vector<uint8_t> bytes;
    Put32(bytes, count);
    bytes.resize(4 + 4 * size_t(count));
    const uint32_t empty = uint32_t(bytes.size());
    Put32(bytes, 0);
    bytes.push_back(0);
    for (uint32_t n = 0; n < count; ++n) Set32(bytes, 4 + 4 * size_t(n), empty);
    for (const auto& [n, r] : table) {
        Set32(bytes, 4 + 4 * size_t(n), uint32_t(bytes.size()));
        Put32(bytes, uint32_t(r.speaker));
        bytes.insert(bytes.end(), r.text.begin(), r.text.end());
        bytes.push_back(0);
    }
    if (bytes.size() > kMaxTable) {
        std::fprintf(stderr, "msmake: %s would hold %zu bytes; the game reads 65536\n",
                     out.string().c_str(), bytes.size());
        return false;
    }
    std::ofstream f(out, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    f.close();
    if (!f) {
        std::fprintf(stderr, "msmake: cannot write %s\n", out.string().c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: msmake <messages.txt> <announ.txt> <out folder>\n");
        return 2;
    }
    Table english, japanese, announce;
    if (!ReadMessages(argv[1], &english, &japanese) || !ReadAnnouncements(argv[2], &announce))
        return 1;
    const fs::path dir = argv[3];
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!WriteTable(english, dir / "app_ee.ms") || !WriteTable(japanese, dir / "app_jj.ms") ||
        !WriteTable(announce, dir / "announ.ms"))
        return 1;
    return 0;
}
