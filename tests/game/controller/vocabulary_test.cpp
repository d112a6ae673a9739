// The voice's vocabulary: every English message and announcement of the sample tables,
// expanded for every aircraft the sample stages create and over a table of the values a stage
// gives its macros (the route names and target names of the sample move scripts among them),
// names only words that every voice folder a speaker can get holds, leaves no macro empty, and
// every message has its Japanese text.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../simulation/sim_fixture.h"
#include "simulation/script_ops.h"
#include "nxlib.h"
#include "world/airportfiles.h"

namespace {

namespace fs = std::filesystem;

std::vector<char> ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// A word store that has every word and remembers which were asked for.
std::map<std::string, std::string>& Asked() {  // word -> a message that names it
    static std::map<std::string, std::string> asked;
    return asked;
}
std::string g_message;
int AskExists(const char* path) {
    // "V\v\<word>.wav", or the folder's own "V\space.wav" (Shift-JIS words may hold a
    // second byte that looks like '\', so the prefix is cut, not the last separator).
    const std::string p = path;
    const size_t from = p.rfind("V\\v\\", 0) == 0 ? 4 : 2;
    Asked().emplace(p.substr(from, p.size() - from - 4), g_message);
    return 1;
}
int AskRead(const char*, tagTOVWAVE* wave) {
    *wave = tagTOVWAVE{};
    wave->data = static_cast<BYTE*>(TOV_Alloc2(2, "word"));
    wave->size = 2;
    wave->rate = 11025;
    wave->bit = 8;
    wave->mode = 1;
    return 1;
}
int AskAppend(const char*, tagTOVWAVE* wave) { return TOV_AppendSpace(wave, 2, 0); }
const VoiceWordStore kAsking = {AskExists, AskRead, AskAppend, nullptr};

// The quoted texts of the sample move scripts' lines that begin with `op`, the ones at the
// places `at` (counted from 0) of each line.
std::vector<std::string> ScriptTexts(const std::string& op, const std::vector<size_t>& at) {
    std::set<std::string> found;
    for (const auto& e : fs::directory_iterator("port/rjtt/mov")) {
        const std::vector<char> b = ReadFile(e.path());
        const std::string listing =
            ListScript(reinterpret_cast<const uint8_t*>(b.data()), b.size());
        std::istringstream in(listing);
        for (std::string line; std::getline(in, line);) {
            const size_t first = line.find_first_not_of(' ');
            if (first == std::string::npos || line.compare(first, op.size() + 1, op + " ") != 0)
                continue;
            std::vector<std::string> texts;
            for (size_t q = line.find('"'); q != std::string::npos;) {
                const size_t end = line.find('"', q + 1);
                if (end == std::string::npos) break;
                texts.push_back(line.substr(q + 1, end - q - 1));
                q = line.find('"', end + 1);
            }
            for (size_t i : at)
                if (i < texts.size() && !texts[i].empty()) found.insert(texts[i]);
        }
    }
    return std::vector<std::string>(found.begin(), found.end());
}

// The labels of the scripts' spot offers (the route names `$t` says) and the target names of
// their flights (`$w`).
const std::vector<std::string>& RouteLabels() {
    static const std::vector<std::string> v = ScriptTexts("spotoffer", {1, 3, 5});
    return v;
}
const std::vector<std::string>& TargetNames() {
    static std::vector<std::string> v;
    if (v.empty()) {
        v = ScriptTexts("flyto", {0});
        for (const std::string& w : ScriptTexts("portword", {0})) v.push_back(w);
    }
    return v;
}
void SetText(char* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

// Feet as a height `$a` reads: y x 3.28 x 2 (the radio says twice the feet of trunc(y)).
double Height(int feet) { return feet / 2 / 3.280839895013123 + 0.5; }

struct Variation {
    char macro;  // the messages it matters to
    std::function<void(AircraftRecord&, ObjectRecord&, int)> set;
    std::vector<int> values;
};

std::vector<int> Range(int from, int to, int step = 1) {
    std::vector<int> v;
    for (int i = from; i <= to; i += step) v.push_back(i);
    return v;
}

// The run-time values of the macros, one macro at a time from a base.
const std::vector<Variation>& Variations() {
    static const std::vector<Variation> v = {
        {'a',
         [](AircraftRecord&, ObjectRecord& o, int f) { o.pos.y = Height(f); },
         {0, 900, 3000, 6400, 10000, 12000, 15400, 24000, 31000, 41000}},
        {'s',
         [](AircraftRecord&, ObjectRecord& o, int k) { o.speed = k * 1.852 / 108; },
         {0, 95, 140, 145, 180, 250, 320}},
        {'H', [](AircraftRecord& a, ObjectRecord&, int h) { a.hdg = h; }, Range(1, 360)},
        {'h', [](AircraftRecord& a, ObjectRecord&, int c) { a.choice = c; }, Range(0, 360)},
        {'b', [](AircraftRecord&, ObjectRecord&, int d) { GetStageWeather().winddir = d; },
         Range(0, 360, 10)},
        {'z', [](AircraftRecord&, ObjectRecord&, int s) { GetStageWeather().windspeed = s; },
         Range(0, 45)},
        {'g',
         [](AircraftRecord&, ObjectRecord&, int p) { GetStageWeather().pressure = p; },
         {992, 1003, 1012, 2992, 3012}},
        {'d', [](AircraftRecord& a, ObjectRecord&, int t) { a.turn = t; }, {0, 1, 2}},
        {'V', [](AircraftRecord& a, ObjectRecord&, int s) { a.spot = s; }, Range(-1, 14)},
        {'Y', [](AircraftRecord& a, ObjectRecord&, int s) { a.spot = s; }, Range(-1, 14)},
        {'n', [](AircraftRecord& a, ObjectRecord&, int s) { a.spot = s; }, Range(-1, 14)},
        {'n', [](AircraftRecord& a, ObjectRecord&, int c) { a.spot = -1, a.choice = c; },
         Range(0, 15)},
        {'e', [](AircraftRecord& a, ObjectRecord&, int p) { a.place = p; }, Range(0, 14)},
        {'r', [](AircraftRecord& a, ObjectRecord&, int r) { a.runway = r; }, Range(0, 8)},
        {'r', [](AircraftRecord& a, ObjectRecord&, int c) { a.strip |= 0x1000, a.choice = c; },
         Range(0, 8)},
        {'i', [](AircraftRecord&, ObjectRecord&, int) {}, {0}},
        {'m',
         [](AircraftRecord& a, ObjectRecord&, int f) { a.amount = f; },
         {0, 250, 3000, 7500, 12000, 15000, 33000}},
        {'f', [](AircraftRecord& a, ObjectRecord&, int q) { a.quantity = q; }, {0, 1, 4, 150}},
        {'$',
         [](AircraftRecord& a, ObjectRecord&, int c) { a.correction = c; },
         {0, 410, 420, 430, 440}},
        {'t',
         [](AircraftRecord& a, ObjectRecord&, int i) {
             SetText(a.routenames[0].name2, 16, RouteLabels()[size_t(i)]);
             a.choice = 1, a.subchoice = 1;
         },
         Range(0, int(RouteLabels().size()) - 1)},
        {'w',
         [](AircraftRecord& a, ObjectRecord&, int i) {
             SetText(a.portword, sizeof a.portword, TargetNames()[size_t(i)]);
         },
         Range(0, int(TargetNames().size()) - 1)},
    };
    return v;
}

}  // namespace

class Vocabulary : public simtest::SimCase {
  protected:
    void SetUp() override {
        for (int i = 0; i < kPhraseBlocks; ++i) {
            blocks_[i].assign(kPhraseBlockSize, 0);
            SetPhraseBlock(i, blocks_[i].data());
            static const char* const kFiles[] = {"app_ee.ms", "app_jj.ms", "announ.ms"};
            const std::vector<char> t = ReadFile(fs::path("port/rjtt/atc") / kFiles[i]);
            ASSERT_FALSE(t.empty()) << kFiles[i];
            SetPhraseBytes(i, t.data(), int(t.size()));
        }
        // The sample airport: its spot and runway names.
        const std::vector<char> ad3 = ReadFile("port/rjtt/rjtt.ad3");
        ASSERT_EQ(ad3.size(), kAd3Size);
        ReadAirportImage(reinterpret_cast<const uint8_t*>(ad3.data()), ad3.size(), AIRPORT_AD3,
                         &Airport());
        SetVoiceWordStore(&kAsking);
        VoiceInit(nullptr, "V\\");
        Asked().clear();
    }
    void TearDown() override {
        SetVoiceWordStore(nullptr);
        VoiceEnd();
        for (int i = 0; i < kPhraseBlocks; ++i) SetPhraseBlock(i, nullptr);
        for (ExchangeRow& r : GetExchangeRows()) r = ExchangeRow{};
    }

    // Every aircraft a stage file creates, as its records stand after each minute of the stage.
    std::vector<std::pair<AircraftRecord, ObjectRecord>> StageAircraft(const fs::path& file) {
        const std::vector<char> bytes = ReadFile(file);
        std::vector<std::pair<AircraftRecord, ObjectRecord>> seen;
        if (bytes.size() < size_t(kTimetable)) return seen;
        std::memcpy(GetScenarioImage()->bytes, bytes.data(),
                    std::min(bytes.size(), size_t(kScenarioReadMax)));
        const auto word = [&](size_t at) {
            uint32_t v = 0;
            for (int k = 0; k < 4; ++k) v |= uint32_t(uint8_t(bytes[at + size_t(k)])) << (8 * k);
            return int32_t(v);
        };
        ScenarioHeader& h = GetScenarioHeader();
        h.starttime = word(0x20);
        h.hours = word(0x24);
        h.timetable = kTimetable;
        h.size = int(std::min(bytes.size(), size_t(kScenarioReadMax)));
        ResetTimetable();
        ClearAircraftTable();
        RunTimetable();
        std::set<std::string> kept;
        const int minutes = (h.hours ? h.hours : 10) * 60 + 2;
        for (int m = 0; m <= minutes; ++m) {
            for (int s = 0; s < kAircraftSlots; ++s) {
                const AircraftRecord& a = A(s);
                if (!a.used) continue;
                const std::string key =
                    std::to_string(a.id) + a.callsign + a.port + std::to_string(a.strip & 0x1000);
                if (kept.insert(key).second) seen.emplace_back(a, O(s));
            }
            if (m < minutes) Minutes(1);
        }
        return seen;
    }

    // Each macro of `text` (but `$$`, empty by design without a correction) expanded alone for
    // the aircraft in slot 0, in both languages, gives a text.
    void NoMacroEmpty(const std::string& text, const std::string& japanese) {
        for (const std::string* t : {&text, &japanese})
            for (size_t at = t->find('$'); at != std::string::npos && at + 1 < t->size();
                 at = t->find('$', at + 2)) {
                if ((*t)[at + 1] == '$') continue;
                char out[kAtcText];
                ExpandAtcMacros(0, out, t->c_str() + at, 2, t == &text ? 1 : 0);
                EXPECT_STRNE(out, "")
                    << g_message << ": $" << (*t)[at + 1] << " is empty for " << A(0).callsign;
            }
    }

    // Composes message n for the aircraft in slot 0 and builds its English text.
    void Speak(int n) {
        char out[2 * kAtcText], caption[kAtcText];
        g_message = "message " + std::to_string(n);
        const int correction = A(0).correction;
        ComposeExchangeMessage(0, MakeExchangeMessage(n, kExchangeLast, 0), out);
        if (correction) g_message += " correcting to " + std::to_string(correction);
        EXPECT_EQ(std::strstr(out, "交信データがありません"), nullptr) << g_message;
        tagTOVWAVE wave = {};
        BuildVoice("v", out + kAtcText, &wave, caption, 0, 0);
        TOV_WaveFree(&wave);
    }

    std::vector<char> blocks_[kPhraseBlocks];
};

TEST_F(Vocabulary, EveryMessageForEveryStageAircraftHasItsWords) {
    std::vector<fs::path> stages;
    for (const auto& e : fs::directory_iterator("port/rjtt/scenario"))
        if (e.path().extension() == ".sd3") stages.push_back(e.path());
    std::sort(stages.begin(), stages.end());
    ASSERT_FALSE(stages.empty());

    // The messages of the English table (the maker writes the count of its offset entries
    // first; numbers past them would read records as offsets).
    const std::vector<char> table = ReadFile("port/rjtt/atc/app_ee.ms");
    const int count = int(wyn::ByteReader(table.data(), table.size()).u32());
    std::vector<std::pair<int, std::string>> messages;
    for (int n = 0; n < count; ++n) {
        char text[kAtcText];
        int speaker = 0;
        if (GetAtcTextE(n, text, &speaker)) messages.emplace_back(n, text);
    }
    ASSERT_GT(messages.size(), 100u);
    ASSERT_FALSE(RouteLabels().empty()) << "the scripts offer taxi routes";
    ASSERT_FALSE(TargetNames().empty()) << "the scripts fly to named targets";

    int aircraft = 0;
    for (const fs::path& stage : stages) {
        const auto seen = StageAircraft(stage);
        // Slot 0 takes each aircraft's records in turn: its own come back afterwards, so that
        // the next stage's creations delete the layers they hold, each once.
        const AircraftRecord kept = A(0);
        const ObjectRecord keptObject = O(0);
        for (const auto& [record, object] : seen) {
            ++aircraft;
            for (const auto& [n, text] : messages) {
                const auto base = [&, &rec = record, &obj = object] {
                    A(0) = rec;
                    O(0) = obj;
                    A(0).choice = 1, A(0).subchoice = 1, A(0).spot = 0, A(0).runway = 1;
                    A(0).turn = 1, A(0).correction = 0;
                    O(0).pos.y = Height(3000);
                    O(0).speed = 180 * 1.852 / 108;
                    GetStageWeather() = {340, 8, 1012};
                    SetText(A(0).routenames[0].name2, 16, RouteLabels().front());
                    SetText(A(0).portword, sizeof A(0).portword, TargetNames().front());
                };
                base();
                Speak(n);
                // The stages of the course (stage*; the others are fixtures of the tests).
                if (stage.filename().string().rfind("stage", 0) == 0) {
                    char japanese[kAtcText];
                    GetAtcTextJ(n, japanese);
                    NoMacroEmpty(text, japanese);
                }
                for (const Variation& v : Variations()) {
                    const std::string mark = std::string("$") + v.macro;
                    if (text.find(mark) == std::string::npos) continue;
                    for (int value : v.values) {
                        base();
                        v.set(A(0), O(0), value);
                        Speak(n);
                    }
                }
            }
            // The announcements, in Japanese as the ground events speak them.
            for (int n : {0, 1, 2, 3, 4, 5, 20}) {
                A(0) = record;
                O(0) = object;
                char text[kAtcText], expanded[kAtcText], caption[kAtcText];
                EXPECT_GT(GetAnnounceText(n, text), 0) << "announcement " << n;
                ExpandAtcMacros(0, expanded, text, kAtcText, 0);
                g_message = "announcement " + std::to_string(n);
                tagTOVWAVE wave = {};
                BuildVoice("v", expanded, &wave, caption, 0, 1);
                TOV_WaveFree(&wave);
            }
        }
        A(0) = kept;
        O(0) = keptObject;
    }
    EXPECT_GT(aircraft, 4) << "the sample stages create aircraft";

    // Every folder any speaker can get (both candidate sets) holds every word asked for.
    std::set<std::string> folders;
    SpeakerRecord s[kSpeakers];
    for (int otherset = 0; otherset < 2; ++otherset) {
        CopyDefaultSpeakerLists(s, otherset);
        for (const SpeakerRecord& r : s)
            for (const char* p = r.list; *p;) {
                const size_t len = std::strcspn(p, ",");
                if (len) folders.insert(std::string(p, len));
                p += len + (p[len] ? 1 : 0);
            }
    }
    EXPECT_EQ(folders.size(), 19u);
    for (const std::string& folder : folders)
        for (const auto& [word, where] : Asked()) {
            const std::string path =
                word == "space" ? "VOICE\\space.wav" : "VOICE\\" + folder + "\\" + word + ".wav";
            EXPECT_TRUE(NXL_FILE_Exist(path.c_str())) << path << " (" << where << ")";
        }
}
