// Ground events played frame by frame on the sample apron (one aircraft of each service group,
// one served by tugs alone and one outside every group), against a golden table: at every tick
// where something changed, the shown layers, owners, animation states and the aircraft's `link`
// words. The tables (golden/ beside this file, one per case) were checked against the events'
// and animations' rules; when the sample airport or the ground-support files change,
// WYN_GOLDEN_WRITE=1 writes the new tables there, to be read through before they are committed.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "ground_fixture.h"

namespace {

using namespace groundtest;

char On(const tagKRNL* l) { return !l ? ' ' : l->sw == 1 ? '+' : '-'; }

// Which of `layers` are shown: its letters, '.' for the others.
std::string Letters(tagKRNL* const* layers, int n, const char* letters) {
    std::string s;
    for (int i = 0; i < n; ++i) s += layers[i] && layers[i]->sw == 1 ? letters[i] : '.';
    return s;
}

std::string Snapshot() {
    std::ostringstream o;
    const GroundParts& p = GetGroundParts();
    for (int t = 0; t < 2; ++t) {
        const ObjectRecord& g = *GroundObject(kSlotTug1 + t);
        o << "T" << t + 1 << On(g.layer) << "o" << g.state << " f" << On(p.tuglight[t][0]) << "b"
          << On(p.tuglight[t][1]) << " @" << std::lround(g.pos.x) << "," << std::lround(g.pos.z)
          << "," << std::lround(g.angle.y) << " | ";
    }
    for (int c = 0; c < 2; ++c) {
        const ObjectRecord& g = *GroundObject(kSlotCar1 + c);
        o << "C" << c + 1 << On(g.layer) << "o" << g.state << "k" << g.kind << " "
          << Letters(p.car[c], CAR_B1, "TlLFHUucbmr") << " "
          << Letters(p.car[c] + CAR_B1, 9, "123456789") << " | ";
    }
    o << "C34o" << GroundObject(kSlotCar3)->state << " C35o" << GroundObject(kSlotCar4)->state
      << " | ";
    for (int m = 0; m < 2; ++m) {
        const ObjectRecord& g = *GroundObject(kSlotMarshal1 + m);
        o << "M" << m + 1 << On(g.layer) << "o" << g.state << "k" << g.kind << " "
          << Letters(p.marshal[m], 4, "123S") << " | ";
    }
    for (int s = 0; s < 4; ++s) {
        const ObjectRecord& g = *GroundObject(kSlotSmoke1 + s);
        o << "S" << s + 1 << "k" << g.kind << " " << Letters(p.smoke[s], kSmokePatterns, "012345")
          << " | ";
    }
    o << "B";
    for (int spot = 0; spot < 7; ++spot)
        o << Letters(GetBridgeTable()[size_t(spot)].pose, 3, "012") << (spot < 6 ? "," : "");
    int records = 0;
    for (int slot = kSlotGroundFirst; slot <= kSlotGroundLast; ++slot)
        records += GroundObject(slot)->state != 0;
    o << " | R" << records << " | links";
    const ObjectTable& objects = *GetObjectTable();
    for (int a = 0; a < 7; ++a) o << " " << objects[size_t(a)].link;
    return o.str();
}

// One thing that happens at a tick, before the frame's animation step.
struct Happening {
    int tick;
    std::function<void(std::ostream&)> act;
};

class GroundGolden : public Apron {
  protected:
    explicit GroundGolden(const char* weather = "") : Apron(weather) {}
    // Parks the seven aircraft: P1-P5 at spots 0-4, 0x922 at 5, one outside at 6.
    void ParkAll() {
        const int patterns[7] = {kP1, kP2, kP3, kP4, kP5, kTugOnly, kOutside};
        for (int a = 0; a < 7; ++a) Park(a, patterns[a], a, a == 4 ? "SNJ" : "JAL");
    }
    // An event, its result written beside the tick's line.
    std::function<void(std::ostream&)> Ev(int aircraft, int code) {
        return [=](std::ostream& o) {
            o << " ev " << aircraft << " " << code << "=" << GroundEvent(aircraft, code);
        };
    }
    std::function<void(std::ostream&)> Cancel(int aircraft, int code) {
        return [=](std::ostream& o) {
            GroundEventCancel(aircraft, code);
            o << " cancel " << aircraft << " " << code;
        };
    }
    // Plays `ticks` frames of one tick: the happenings of a tick, then the animation step; a
    // line for every tick whose picture changed, or that had a happening.
    void Play(const std::string& name, int ticks, const std::vector<Happening>& script,
              const std::function<void(int)>& move = nullptr) {
        out_ << "== " << name << "\n";
        std::string last;
        for (int tick = 0; tick <= ticks; ++tick) {
            std::ostringstream events;
            if (move) move(tick);
            for (const Happening& h : script)
                if (h.tick == tick) h.act(events);
            GroundSupportMain(1);
            const std::string now = Snapshot();
            if (now != last || !events.str().empty())
                out_ << tick << events.str() << "\n  " << now << "\n";
            last = now;
        }
    }
    std::ostringstream out_;
};

class GroundGoldenRain : public GroundGolden {
  protected:
    GroundGoldenRain() : GroundGolden("R") {}
};

// Compares a case's table with its golden one (golden/<tag>.txt).
void Compare(const std::string& actual, const std::string& tag) {
    const std::string file = std::string(WYN_GROUND_GOLDEN) + "/" + tag + ".txt";
    if (std::getenv("WYN_GOLDEN_WRITE")) {
        std::ofstream(file, std::ios::binary) << actual;
        return;
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream golden;
    golden << in.rdbuf();
    if (golden.str() == actual) return;
    const char* base = std::getenv("WYN_RUNTIME_DIR");
    const std::string path = std::string(base ? base : "/tmp") + "/ground_" + tag + ".txt";
    std::ofstream(path, std::ios::binary) << actual;
    std::istringstream a(actual), e(golden.str());
    std::string la, le;
    int line = 1;
    while (std::getline(a, la) && std::getline(e, le) && la == le) ++line;
    ADD_FAILURE() << tag << ": differs from its golden table at line " << line
                  << "\n  golden: " << le << "\n  actual: " << la << "\n  (the whole run: " << path
                  << ")";
}

TEST_F(GroundGolden, TugsAndTheirAircraft) {
    ParkAll();
    Play("tugs", 14,
         {
             {0, Ev(0, 5)},
             {0, Ev(4, 5)},  // P5 outside 0x46000: the tug is placed hidden, not held
             {1,
              [this](std::ostream& o) {
                  Air(4).status = 0x46000;
                  o << " status 4 46000";
              }},
             {1, Ev(4, 5)},
             {2, Ev(5, 6)},  // both held: none
             {3, Cancel(0, 5)},
             {4, Ev(5, 6)},
             {5, Ev(6, 5)},
             {6, Cancel(4, 5)},
             {7, Ev(6, 5)},  // outside the groups: hidden, not held
             {8, Ev(3, 5)},
             {9,
              [this](std::ostream& o) {
                  Air(3).phase = PHASE_PUSHBACK;
                  o << " pushback 3";
              }},
         },
         [this](int tick) {
             // Aircraft 3 backs away from its spot from tick 9; aircraft 5 turns slowly.
             if (tick >= 9) Obj(3).pos.x -= 2;
             Obj(5).angle.y += 1;
         });
    Compare(out_.str(), "tugs");
}

TEST_F(GroundGolden, ServiceCarsTheirRunsAndTheirEnd) {
    ParkAll();
    Play("service", 1330,
         {
             {0, Ev(0, 10)},        {0, Ev(1, 10)},        {1, Ev(2, 10)},  // no car left
             {1, Ev(5, 11)},        {1, Ev(6, 23)},        {2, Ev(3, 11)},  // no slot left
             {650, Ev(0, 21)},      {650, Ev(1, 21)},      {1280, Ev(0, 22)},
             {1280, Ev(1, 22)},     {1290, Cancel(0, 10)}, {1290, Cancel(1, 10)},
             {1300, Ev(2, 20)},     {1300, Ev(3, 20)},     {1300, Ev(4, 20)},  // no car left
             {1301, Ev(2, 21)},     {1310, Ev(3, 22)},     {1320, Cancel(2, 20)},
             {1320, Cancel(3, 20)}, {1321, Cancel(6, 20)}, {1321, Cancel(5, 10)},
             {1322, Ev(6, 10)},     {1323, Ev(6, 22)},
         });
    Compare(out_.str(), "service");
}

TEST_F(GroundGolden, MarshallersBridgesRecordsAndAnnouncements) {
    ParkAll();
    Air(6).choice = 0;
    SetSelectedAircraft(4);
    Play("marshal", 160,
         {
             {0, Ev(0, 2000)},
             {0, Ev(1, 2000)},
             {0, Ev(6, 2000)},  // no spot chosen: nothing
             {2, Ev(0, 2010)},
             {30, Ev(1, 2010)},
             {50, Ev(0, 2020)},
             {90, Ev(1, 2020)},
             {155, Ev(2, 2010)},  // holds no figure
         });
    // The bridges of the gates: P1 and P3 move theirs; the others and aircraft without a gate
    // (spot -1, a spot beyond the bridge table) do nothing.
    Air(5).spot = -1;
    Air(6).spot = 20;
    std::vector<Happening> bridges;
    const int codes[4] = {30, 31, 32, 31};
    for (int i = 0; i < 4; ++i)
        for (int a = 0; a < 7; ++a) bridges.push_back({i, Ev(a, codes[i])});
    Play("bridges", 4, bridges);
    std::vector<Happening> records;
    for (int i = 0; i < 21; ++i) records.push_back({i / 4, Ev(i % 7, 40)});
    Play("records", 6, records);
    // The announcements by pattern, airline and selection: their numbers and speakers from the
    // trace (event 1000's speaker for other airlines is drawn from 18-21).
    out_ << "== announce\n";
    Obj(6).kind = 0x1033;  // the announcement bits 0x10 of event 1050
    std::snprintf(Air(2).port, sizeof Air(2).port, "RJBH");
    for (int code : {1000, 1010, 1020, 1030, 1040, 1050})
        for (int selected : {2, 4})
            for (int a = 0; a < 7; ++a) {
                SetSelectedAircraft(selected);
                const uintmax_t mark = gametrace::TraceEnd();
                const int result = GroundEvent(a, code);
                out_ << code << " selected " << selected << " aircraft " << a << " = " << result;
                for (const std::string& line : gametrace::TraceLines(mark, "announce ")) {
                    int n = -1, aircraft = -1, speaker = -1;
                    std::sscanf(line.c_str(), "announce %d aircraft %d speaker %d", &n, &aircraft,
                                &speaker);
                    const bool drawn = code == 1000 && speaker >= 18 && speaker <= 21;
                    out_ << " says " << n << " by "
                         << (drawn ? std::string("18-21") : std::to_string(speaker));
                }
                out_ << "\n";
            }
    Compare(out_.str(), "marshal");
}

TEST_F(GroundGolden, PuffsAtTouchdown) {
    ParkAll();
    Play("puffs", 60, {{0, Ev(0, 1)}, {20, Ev(1, 1)}, {30, Ev(0, 3)}});
    Compare(out_.str(), "puffs");
}

TEST_F(GroundGoldenRain, SprayAndWaterSmokeBehindALanding) {
    ParkAll();
    Obj(0).speed = 3.0;
    Play("spray", 70, {{0, Ev(0, 2)}, {0, Ev(0, 3)}, {5, Ev(1, 1)}}, [this](int tick) {
        Obj(0).speed = 3.0 - 0.04 * tick;
        Obj(0).pos.z -= Obj(0).speed;
    });
    Compare(out_.str(), "spray");
}

}  // namespace
