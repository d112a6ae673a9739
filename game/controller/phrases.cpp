// The phrase tables and the message composer: numbered texts read from the airport's .ms files,
// filled with one aircraft's data by the $-macros, a pending correction spliced in.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynbytes.h"

namespace {

// Bytes of each block that hold its file: reads never look past them.
int g_phrasesize[kPhraseBlocks] = {};
char* g_phrases[kPhraseBlocks] = {};

// Appends to one 512-byte half: at most 511 bytes, always terminated.
class Writer {
  public:
    explicit Writer(char* out) : out_(out) { out_[0] = 0; }
    void Byte(char c) {
        if (n_ + 1 < kAtcText) out_[n_++] = c, out_[n_] = 0;
    }
    // At most `cap` bytes of `s`, up to its NUL.
    void Text(const char* s, size_t cap = kAtcText) {
        for (size_t i = 0; i < cap && s[i]; ++i) Byte(s[i]);
    }
    void Format(const char* format, int value) {
        char buf[32];
        std::snprintf(buf, sizeof buf, format, value);
        Text(buf);
    }

  private:
    char* out_;
    int n_ = 0;
};

template <size_t N>
size_t Len(const char (&field)[N]) {
    return strnlen(field, N);
}
template <size_t N>
bool Same(const char (&field)[N], const char* text) {
    return Len(field) == std::strlen(text) && std::strncmp(field, text, N) == 0;
}
template <size_t N>
bool SameNoCase(const char (&field)[N], const char* text) {
    return Len(field) == std::strlen(text) && strncasecmp(field, text, N) == 0;
}

// The name of an airport entry (spot or runway) from its character `from` on; nothing for an
// index outside the table or a name too short.
void PlaceName(Writer& out, const AirportPlace* places, int count, int index, size_t from) {
    if (!places || index < 0 || index >= count) return;
    const char(&name)[17] = places[index].name;
    if (Len(name) < from + 1) return;
    out.Text(name + from, Len(name) - from);
}

struct Subject {
    const AircraftRecord* a = nullptr;
    const ObjectRecord* o = nullptr;
    const AirportRecord* port = nullptr;
};

Subject SubjectOf(int aircraft) {
    Subject s;
    s.port = GetAirportRecord();
    if (aircraft < 0 || aircraft >= kAircraftSlots) return s;
    if (AircraftTable* t = GetAircraftTable()) s.a = &(*t)[size_t(aircraft)];
    if (ObjectTable* o = GetObjectTable()) s.o = &(*o)[size_t(aircraft)];
    return s;
}

bool Military(const AircraftRecord& a) {
    return SameNoCase(a.callprefix, "JAF") || SameNoCase(a.callprefix, "JMF");
}

void Callsign(Writer& out, const AircraftRecord& a, int flight, int language) {
    if (language == 0) {
        out.Text(a.airlinej, Len(a.airlinej));
        if (SameNoCase(a.callprefix, "CAB"))
            out.Format("%3.3dG", flight);
        else if (SameNoCase(a.callprefix, "JAF") || Same(a.callprefix, "JA") ||
                 Same(a.callprefix, "JMF"))
            out.Text(a.callsign, Len(a.callsign));
        else
            out.Format("%4d", flight);
        return;
    }
    if (Military(a)) {
        out.Text(a.callsign, Len(a.callsign));
    } else if (Same(a.callprefix, "JA")) {
        out.Text(a.callprefix, Len(a.callprefix));
        out.Format("%d", flight);
    } else if (Same(a.callprefix, "CAB")) {
        out.Format("JA%3.3dG", flight);
    } else {
        out.Text(a.airline, Len(a.airline));
        out.Format(" %%%d", flight);
    }
}

void OtherAirport(Writer& out, const AircraftRecord& a, int language) {
    const bool military = Military(a);
    const bool miho = SameNoCase(a.port, "rjoh");
    if (language == 0) {
        if (military && miho) return out.Text("美保基地");
        out.Text(a.portnamej, Len(a.portnamej));
        if (military)
            out.Text("基地");
        else if (!SameNoCase(a.port, "rjbh"))
            out.Text("空港");
        return;
    }
    if (military && miho) return out.Text("Miho_Base");
    out.Text(a.portnamee, Len(a.portnamee));
    out.Text(military ? "_Base" : " Airport");
}

void GroundCompany(Writer& out, const AircraftRecord& a) {
    struct Company {
        const char* airline;
        const char* text;
    };
    static const Company kCompanies[] = {
        {"JAL", "日航整備_21"},         {"ANA", "全日空羽田_575"},
        {"SKY", "全日空羽田_575"},      {"JAS", "エアシステムタグ_14"},
        {"JCG", "エアシステムタグ_14"}, {"ANK", "エアニッポン羽田_193"},
        {"SLV", "ソルバエア羽田_55"},
    };
    for (const Company& c : kCompanies)
        if (Same(a.airline, c.airline)) return out.Text(c.text);
}

// The route-name entry that `$t` names: (choice - 1) x 3 + (subchoice - 1), entry 0 when either
// is 0; -1 outside the table.
int RouteEntry(const AircraftRecord& a) {
    if (a.choice == 0 || a.subchoice == 0) return 0;
    const int e = (a.choice - 1) * 3 + (a.subchoice - 1);
    return e >= 0 && e < int(std::size(a.routenames)) ? e : -1;
}

// The spot entry that `$n` and `$v` name.
int NameEntry(const AircraftRecord& a) { return a.spot != -1 ? a.spot : a.choice - 1; }

void Macro(Writer& out, char m, const Subject& s, int language) {
    const int32_t flight = s.o ? s.o->flight : 0;
    const StageWeather& weather = GetStageWeather();
    switch (m) {  // the macros that need no aircraft
        case 'b':
            return out.Format("%d", weather.winddir);
        case 'z':
            return out.Format("%d", weather.windspeed);
        case 'g':
            return out.Format(language == 0 ? "%4d" : "%%%4d", weather.pressure);
        case 'i': {
            const int letter = GetInformationLetter();
            if (letter >= 0 && letter < 26) out.Byte(char('A' + letter));
            return;
        }
        default:
            break;
    }
    if (!s.a) return;
    const AircraftRecord& a = *s.a;
    const AirportPlace* spots = s.port ? s.port->spots : nullptr;
    switch (m) {
        case '$':
            if (a.correction != 0) out.Text("$$");
            return;
        case 'C':
            if (language == 0) return out.Format("%d", flight);
            out.Format("@[#%d]", flight);
            return out.Format("[%d]", flight);
        case 'H':
            return out.Format("%3.3d", a.hdg);
        case 'J':
            for (size_t i = 0; i < Len(a.airlinee); ++i)
                out.Byte(a.airlinee[i] == ' ' ? '_' : a.airlinee[i]);
            return;
        case 'K':
            if (a.area == 0 || a.area == 1) out.Text("小松");
            return;
        case 'P':
            return out.Text(a.portnamee, Len(a.portnamee));
        case 'U':
            return out.Format("%%%d", flight);
        case 'V':
            // The table has 15 entries though spots go up to 63: others say nothing.
            if (a.spot >= 0 && a.spot < int(kSpotNumbers.size()))
                out.Format("Spot%d", kSpotNumbers[size_t(a.spot)]);
            return;
        case 'Y':
            return PlaceName(out, spots, kAirportSpots, a.spot, 5);
        case 'a': {
            if (!s.o) return;
            const int f = int(double(int(s.o->pos.y)) * 3.280839895013123);
            int value = 2 * 100 * (f / 100);
            if (language != 0 && value > 12000) value = value / 1000 * 10;
            return out.Format("%d", value);
        }
        case 'c':
            return Callsign(out, a, flight, language);
        case 'd':
            if (a.turn == 1) out.Text(language == 0 ? "右" : "right");
            if (a.turn == 2) out.Text(language == 0 ? "左" : "left");
            return;
        case 'e':
            return PlaceName(out, spots, kAirportSpots, a.place, 5);
        case 'f':
            return out.Format("%d", a.quantity);
        case 'h': {
            int r = a.choice + 180;
            if (r > 359) r = a.choice - 180;
            if (r < 0) r += 360;
            if (r == 0) r = 360;
            return out.Format("%3.3d", r);
        }
        case 'j':
            return out.Text(a.airlinej, Len(a.airlinej));
        case 'k':
            return out.Text(a.portnamej, Len(a.portnamej));
        case 'l':
            return out.Text(a.typename_, Len(a.typename_));
        case 'm':
            return out.Format("%d", a.amount);
        case 'n':
            return PlaceName(out, spots, kAirportSpots, NameEntry(a), 0);
        case 'p':
            return OtherAirport(out, a, language);
        case 'q':
            return out.Format(language == 0 ? "%d" : "%%%d", a.schedule);
        case 'r':
            if (!s.port) return;
            if ((a.strip & 0x1000) == 0)
                return PlaceName(out, s.port->arrivals, kAirportRunways, a.runway - 1, 0);
            return PlaceName(out, s.port->departures, kAirportRunways, a.choice - 1, 0);
        case 's': {
            if (!s.o) return;
            int k = int(s.o->speed * 108 / 1.852);
            const int units = k % 10;
            k += units < 5 ? -units : 10 - units;
            return out.Format("%d", k);
        }
        case 't': {
            const int e = RouteEntry(a);
            if (e >= 0) out.Text(a.routenames[e].name2, sizeof a.routenames[e].name2);
            return;
        }
        case 'u':
            return out.Format("#%d", flight);
        case 'v': {
            const int e = NameEntry(a);
            if (!spots || e < 0 || e >= kAirportSpots) return;
            const char(&name)[17] = spots[e].name;
            const char* blank = static_cast<const char*>(std::memchr(name, ' ', Len(name)));
            if (!blank) return;
            out.Byte('#');
            return out.Text(blank + 1, size_t(name + Len(name) - (blank + 1)));
        }
        case 'w':
            return out.Text(a.portword, Len(a.portword));
        case 'y':
            return GroundCompany(out, a);
        default:
            return;  // not a macro: nothing
    }
}

// Message n of block `which`, copied into `text` (511 bytes at most).
int CopyPhrase(int which, int n, char* text, int* speaker) {
    text[0] = 0;
    if (speaker) *speaker = 0;
    const char* found = nullptr;
    int word = 0;
    const int len = FindPhrase(reinterpret_cast<const uint8_t*>(g_phrases[which]),
                               g_phrasesize[which], n, &found, &word);
    if (len == 0) return 0;
    const int copy = len < kAtcText - 1 ? len : kAtcText - 1;
    std::memcpy(text, found, size_t(copy));
    text[copy] = 0;
    if (speaker) *speaker = word;
    return copy;
}

// Cuts `text` at its first "$$" and appends `joint` and the correction's text from its fifth
// byte on (a correction shorter than that adds nothing after the joint), within 511 bytes.
void SpliceCorrection(char* text, const char* joint, const char* correction) {
    if (char* cut = std::strstr(text, "$$")) *cut = 0;
    size_t n = std::strlen(text);
    const size_t room = kAtcText - 1;
    auto append = [&](const char* s) {
        for (; *s && n < room; ++s) text[n++] = *s;
        text[n] = 0;
    };
    append(joint);
    if (std::strlen(correction) >= 5) append(correction + 4);
}

}  // namespace

char* GetPhraseBlock(int which) {
    return which >= 0 && which < kPhraseBlocks ? g_phrases[which] : nullptr;
}
void SetPhraseBlock(int which, char* block) {
    if (which < 0 || which >= kPhraseBlocks) return;
    g_phrases[which] = block;
    g_phrasesize[which] = 0;
}

int FindPhrase(const uint8_t* table, int size, int n, const char** text, int* speaker) {
    if (!table || size <= 0 || n < 0) return 0;
    wyn::ByteReader r(table, size_t(size));
    r.seek(4 + 4 * size_t(n));
    const uint32_t offset = r.u32();
    if (!r.ok() || !r.seek(offset)) return 0;
    const int32_t word = r.i32();
    if (!r.ok()) return 0;
    const uint8_t* start = table + r.pos();
    const void* end = std::memchr(start, 0, r.left());
    if (!end || end == start) return 0;
    *text = reinterpret_cast<const char*>(start);
    *speaker = word;
    return int(static_cast<const uint8_t*>(end) - start);
}

void SetPhraseBytes(int which, const void* bytes, int size) {
    if (which < 0 || which >= kPhraseBlocks || !g_phrases[which]) return;
    if (size < 0) size = 0;
    if (size > kPhraseBlockSize) size = kPhraseBlockSize;
    if (size) std::memcpy(g_phrases[which], bytes, size_t(size));
    g_phrasesize[which] = size;
}

void ReadPhraseTables(const char* airport) {
    static const char* const kFiles[kPhraseBlocks] = {"app_ee.ms", "app_jj.ms", "announ.ms"};
    for (int which = 0; which < kPhraseBlocks; ++which) {
        g_phrasesize[which] = 0;
        if (!g_phrases[which]) continue;
        char path[MAX_PATH];
        std::snprintf(path, sizeof path, "port\\%s\\atc\\%s", airport, kFiles[which]);
        int read = 0;
        if (ReadWholeFile(GetMainWindow(), path, g_phrases[which], kPhraseBlockSize, &read))
            g_phrasesize[which] = read;
    }
}

int GetAtcTextE(int n, char* text, int* speaker) {
    return CopyPhrase(PHRASE_ENGLISH, n, text, speaker);
}
int GetAtcTextJ(int n, char* text) { return CopyPhrase(PHRASE_JAPANESE, n, text, nullptr); }
int GetAnnounceText(int n, char* text) { return CopyPhrase(PHRASE_ANNOUNCE, n, text, nullptr); }

void ExpandAtcMacros(int aircraft, char* out, const char* in, int length, int language) {
    Writer o(out);
    const Subject s = SubjectOf(aircraft);
    for (int i = 0; i < length && in[i]; ++i) {
        if (in[i] != '$') {
            o.Byte(in[i]);
            continue;
        }
        // "$" at the end of the text is dropped alone; otherwise it and the next byte go.
        if (i + 1 >= length || !in[i + 1]) break;
        const unsigned char m = static_cast<unsigned char>(in[++i]);
        if (m <= 0x7f) Macro(o, char(m), s, language);
    }
}

int ComposeExchangeMessage(int position, ExchangeMessageCode code, char* out) {
    const int n = ExchangeMessageNumber(code);
    const int aircraft = ExchangeMessageAircraft(code);
    if (position >= 0 && position < kExchangeRows) {
        ExchangeRow& row = GetExchangeRows()[size_t(position)];
        if (ExchangeMessageKind(code) == 0x02) {
            row.state = 3;
            row.timer = 3 * 30;
        } else {
            row.state = 1;
        }
    }
    AircraftRecord* a = nullptr;
    if (AircraftTable* t = GetAircraftTable(); t && aircraft < kAircraftSlots)
        a = &(*t)[size_t(aircraft)];
    if (a) a->talking = 1;

    char english[kAtcText], japanese[kAtcText];
    int speaker = 0;
    if (!GetAtcTextE(n, english, &speaker))
        std::snprintf(english, sizeof english, "No%d,No ATC.", n);
    if (!GetAtcTextJ(n, japanese))
        std::snprintf(japanese, sizeof japanese, "%d番交信データがありません。", n);

    if (a && a->correction != 0) {
        char ce[kAtcText], cj[kAtcText];
        int cspeaker = 0;
        if (GetAtcTextE(a->correction, ce, &cspeaker)) speaker = cspeaker;
        GetAtcTextJ(a->correction, cj);
        SpliceCorrection(english, " correction ", ce);
        SpliceCorrection(japanese, "、訂正します", cj);
        a->correction = 0;
    }
    ExpandAtcMacros(aircraft, out, japanese, kAtcText, 0);
    ExpandAtcMacros(aircraft, out + kAtcText, english, kAtcText, 1);
    return speaker;
}
