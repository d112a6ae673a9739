// The airport maker on fixtures: faults in a description stop it with the line that holds
// them, and each design rule that the sample airport keeps is broken once, on a copy of the
// sample's description, and reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../common/program_output.h"
#include "umb33.h"
#include "zem40.h"
#include "wynplat.h"

namespace {

using programrun::ReadText;

namespace fs = std::filesystem;

fs::path Scratch(const std::string& name) {
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    fs::path dir = fs::path(run ? run : "/tmp") / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Runs the maker; its exit code, with its error output in *err.
int RunMaker(const std::string& args, const fs::path& dir, std::string* err) {
    const fs::path log = dir / "stderr.txt";
    const std::string cmd = std::string(AIRPORTMAKE) + " " + args + " >/dev/null 2>" + log.string();
    const int status = std::system(cmd.c_str());
    *err = ReadText(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(AirportMake, DescriptionFaultsNameTheirLine) {
    struct Case {
        const char* text;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"point A 0 0\nbogus 1\n", 2, "unknown entry bogus"},
        {"point A 1\n", 1, "point needs a name, x and z"},
        {"point A 1 x\n", 1, "not a number: x"},
        {"point A 0 0\npoint A 1 1\n", 2, "a second point named A"},
        {"point A 0 0\nspot 0 \"SPOT 2\" NOPE 90\n", 2, "no point named NOPE"},
        {"point A 0 0\nspot 1 \"SPOT 5\" A 90\n", 2, "indexes run 0, 1, 2"},
        {"point A 0 0\nspot 0 \"SPOT 2\" A 90 pier\n", 2, "only the word gate"},
        {"airport \"NO END\n", 1, "a quote without its end"},
        {"point A 0 0\npoint B 1 1\npreview P A | | B\n", 3, "an empty point group"},
        {"scenery f.plm dusk 1\n", 1, "day or night expected"},
        {"scenery f.plm day 5\n", 1, "resolutions run 1-4"},
        {"scenery f.plm day 2 at 0 0 90\n", 1, "scenery needs a file, day or night and a"},
        {"demo f.plm day 2 near 0 0 90\n", 1, "demo needs a file, day or night, a resolution"},
        {"demo f.plm day 2 at 0 z 90\n", 1, "not a number: z"},
        {"config 4\n", 1, "runway configurations run 0-3"},
        {"sid NAME 1/1 1-2 0/0 0/0\n", 1, "group/entry expected: 1-2"},
        {"sky R 300 0 0  0 0 0  0 0 0\n", 1, "a colour runs 0-255"},
        {"part under 1 x.desc\n", 1, "no place named under"},
        {"airport \"A NAME OF MORE THAN THIRTY-TWO LETTERS\"\n", 1, "at most 32 characters"},
    };
    const fs::path dir = Scratch("airportmake_faults");
    for (const Case& c : cases) {
        const fs::path desc = dir / "rjtt.txt";
        std::ofstream(desc) << c.text;
        fs::remove_all(dir / "bin");
        std::string err;
        EXPECT_EQ(RunMaker("make " + desc.string() + " " + (dir / "bin").string() + " " +
                               (dir / "scenery").string(),
                           dir, &err),
                  1)
            << c.text;
        const std::string where = desc.string() + ":" + std::to_string(c.line) + ": ";
        EXPECT_NE(err.find(where), std::string::npos) << c.text << "\n" << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.text << "\n" << err;
        EXPECT_FALSE(fs::exists(dir / "bin")) << "nothing is written: " << c.text;
    }
}

// The sample's description with one line replaced (an empty replacement drops it) or a line
// added at the end.
std::string Variant(const std::string& sample, const std::string& from, const std::string& to) {
    if (from.empty()) return sample + to + "\n";
    const std::regex line("^" + from + ".*$", std::regex::multiline);
    EXPECT_TRUE(std::regex_search(sample, line)) << "no line begins with " << from;
    return std::regex_replace(sample, line, to, std::regex_constants::format_first_only);
}

TEST(AirportMake, EachDesignRuleIsHeld) {
    struct Case {
        const char* from;  // the beginning of the line to replace; empty: add `to`
        const char* to;
        const char* breach;
    };
    const Case cases[] = {
        {"yaw 0", "yaw 5", "yaw and yaw2 must be 0"},
        {"tower ", "tower 121.7 119.0 95", "the tower entry must be the game's tower eye"},
        {"camera 34L", "camera 34L -23 -600", "camera 34L must be the game's fixed runway camera"},
        {"point T34L", "point T34L -10 -587",
         "runway 34L's threshold does not lie between its cameras"},
        {"runway 04/22", "runway 04/23 T04 T22 40", "no runway 04/22"},
        {"arrival   5", "arrival   5 05 T04 45", "runway list names 05, no runway"},
        {"spot 7 ", "spot 7 \"SPOT 999\" S7 90", "spot 7 must be named \"SPOT 1000\""},
        {"spot 7 ", "spot 7 \"SPOT 1000\" S7 90 gate", "spots 0-6, and only they, are gates"},
        {"point S1 ", "point S1 280 -130", "SPOT 2 and SPOT 5 lie closer than 60"},
        {"point H34R", "point H34R 760 -500", "hold H34R lies closer than 60 to runway 34R"},
        {"", "together OUT0_34R IN34L_0", "routes OUT0_34R and IN34L_0 come closer than 60"},
        {"", "together OUT0_34R NOSUCH", "together names a route that is no preview"},
        {"route 4 1", "route 13 1 KAIDO3 440 441 442 444 0",
         "route KAIDO3: groups run 1-12, entries 1-8"},
        {"sid KAIDO3", "sid KAIDO3XX 4/1 4/1 0/0 0/0", "SID KAIDO3XX: 1-7 characters"},
        {"sid SAKURA1", "sid SAKURA1 1/3 1/1 0/0 0/0",
         "SID SAKURA1 gives no listed route entry for configuration 0"},
        {"sid HIKARI1", "sid HIKARI1 2/1 2/3 0/0 0/0",
         "SID HIKARI1 gives no listed route entry for configuration 1"},
        {"exchange 0x009", "", "no exchange entry for menu item 0x009"},
        {"exchange 0xa0000", "", "no exchange (with a message) for instruction 0xa0000"},
        {"exchange 0x10000", "exchange 0x10000 0x12010 -1 -1 -1 -1",
         "no exchange (with a message) for instruction 0x10000"},
        {"",
         "spot 12 \"SPOT 207\" S0 90\nspot 13 \"SPOT 204\" S1 90\nspot 14 \"SPOT 1021\" S2 "
         "90\nspot 15 \"SPOT 7\" S3 90",
         "more than 15 spots"},
    };
    const std::string sample = ReadText(AIRPORT_SAMPLE);
    ASSERT_FALSE(sample.empty());
    const fs::path dir = Scratch("airportmake_rules");
    for (const Case& c : cases) {
        const fs::path desc = dir / "rjtt.txt";
        std::ofstream(desc) << Variant(sample, c.from, c.to);
        fs::remove_all(dir / "bin");
        std::string err;
        ASSERT_EQ(RunMaker("make " + desc.string() + " " + (dir / "bin").string() + " " +
                               (dir / "scenery").string(),
                           dir, &err),
                  0)
            << c.to << "\n"
            << err;
        EXPECT_EQ(RunMaker("check " + desc.string() + " " + (dir / "bin").string(), dir, &err), 1)
            << c.to;
        EXPECT_NE(err.find(std::string("breach: ") + c.breach), std::string::npos)
            << c.from << " -> " << c.to << "\n"
            << err;
    }
}

void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(char(v >> (8 * i)));
}

TEST(AirportMake, MessageNumbersNeedTextsOnceThePhraseTablesExist) {
    const fs::path dir = Scratch("airportmake_messages");
    std::string err;
    ASSERT_EQ(RunMaker(std::string("make ") + AIRPORT_SAMPLE + " " + (dir / "bin").string() + " " +
                           (dir / "scenery").string(),
                       dir, &err),
              0)
        << err;
    RunMaker(std::string("check ") + AIRPORT_SAMPLE + " " + (dir / "bin").string(), dir, &err);
    EXPECT_NE(err.find("note: no phrase tables"), std::string::npos);
    EXPECT_EQ(err.find("has no text"), std::string::npos);

    // Phrase tables of 106 messages, each with a text but 101 (empty) and 4 (its offset beyond
    // the file).
    std::string ms;
    Put32(ms, 106);
    const size_t table = ms.size();
    for (int n = 0; n <= 105; ++n) Put32(ms, 0);
    for (int n = 0; n <= 105; ++n) {
        const uint32_t at = uint32_t(ms.size());
        ms.replace(table + 4 * size_t(n), 4, std::string(reinterpret_cast<const char*>(&at), 4));
        Put32(ms, 0);
        ms += n == 101 ? std::string("", 1) : std::string("text", 5);
    }
    const uint32_t beyond = 1u << 20;
    ms.replace(table + 4 * 4, 4, std::string(reinterpret_cast<const char*>(&beyond), 4));
    fs::create_directories(dir / "bin/port/rjtt/atc");
    std::ofstream(dir / "bin/port/rjtt/atc/app_ee.ms", std::ios::binary) << ms;
    std::ofstream(dir / "bin/port/rjtt/atc/app_jj.ms", std::ios::binary) << ms;
    EXPECT_EQ(
        RunMaker(std::string("check ") + AIRPORT_SAMPLE + " " + (dir / "bin").string(), dir, &err),
        1);
    for (const char* file : {"app_ee.ms", "app_jj.ms"}) {
        auto said = [&](int n) {
            return err.find(std::string(file) + ": message " + std::to_string(n) +
                            " has no text") != std::string::npos;
        };
        EXPECT_FALSE(said(100)) << err;
        EXPECT_TRUE(said(101)) << err;  // an empty text
        EXPECT_FALSE(said(5)) << err;
        EXPECT_TRUE(said(4)) << err;    // its offset beyond the file
        EXPECT_TRUE(said(108)) << err;  // beyond the offset table
        EXPECT_TRUE(said(412)) << err;  // a route's message
        EXPECT_TRUE(said(413)) << err;  // and its ground-state variant
    }
}

}  // namespace

namespace {

// The radar maps as built: five panels of 200 (small) or 400 (large) pixels, the wide range
// first; a runway's end lies where the radar's screen-position rule puts it.
TEST(AirportMake, RadarMapsFollowTheScreenPositionRule) {
    struct Case {
        const char* file;
        int size;
        int runway[3];  // its colour
    };
    const Case cases[] = {{"radar2.umz", 1, {0xb8, 0xc8, 0xdc}},
                          {"radar2l.umz", 2, {0xb8, 0xc8, 0xdc}},
                          {"radarg.umz", 1, {0x70, 0xf0, 0x70}},
                          {"radargl.umz", 2, {0x70, 0xf0, 0x70}}};
    // Runway 34L/16R's threshold 34L (-35, -587), where its line begins.
    const double x = -35, z = -587;
    for (const Case& c : cases) {
        char sys[1024];
        const std::string path = std::string(WynPlat_ProgramDir()) + "/port/rjtt/etc/" + c.file;
        ASSERT_TRUE(WynPlat_ToSystemPath(path.c_str(), sys, sizeof sys));
        tagCELL cell = {};
        ASSERT_EQ(UMBDLL_ReadUMB(sys, &cell), 1) << c.file;
        EXPECT_EQ(cell.xsize, 1000 * c.size) << c.file;
        EXPECT_EQ(cell.ysize, 200 * c.size) << c.file;
        const int colour = UMB_Channel8To5(c.runway[0]) << 10 | UMB_Channel8To5(c.runway[1]) << 5 |
                           UMB_Channel8To5(c.runway[2]);
        auto pixel = [&](int px, int py) { return cell.bits[py * cell.xsize + px] & 0x7fff; };
        struct Range {
            int panel;
            double scale;
            int cx;
        };
        for (const Range& r :
             {Range{0, 144.0, 100 * c.size}, Range{1, 10.2, int(std::nearbyint(100.5 * c.size))},
              Range{4, 10.2, int(std::nearbyint(100.5 * c.size))}}) {
            const int sx = int(std::nearbyint(x / r.scale * c.size)) + r.cx;
            const int sy = 100 * c.size - int(std::nearbyint(z / r.scale * c.size));
            EXPECT_EQ(pixel(200 * c.size * r.panel + sx, sy), colour)
                << c.file << " panel " << r.panel << " at " << sx << ", " << sy;
            EXPECT_NE(pixel(200 * c.size * r.panel + 2, 2), colour) << c.file;
        }
        ZEM_DeleteCell(&cell);
    }
}

// Every texture that a layer file of the airport names lies beside it, where the engine looks
// for it: the game's sceneries by day and night, the demos' scenes, the launcher's; and each
// runway end's markings are there (its own picture, for its own approach).
TEST(AirportMake, EveryTextureOfTheScenesLiesBesideThem) {
    const std::string bin = WynPlat_ProgramDir();
    // The demos' scenes, the game's sky domes and the launcher's airliner.
    std::vector<std::string> files = {
        "port/rjtt/rjtt.plm", "port/rjttN/rjtt.plm", "demo/rjtt/rjtt.plm", "port/rjtt/sky.plm",
        "port/rjtt/skyR.plm", "port/rjtt/skyT.plm",  "port/rjtt/skyN.plm", "demo/ana/b747.plm"};
    for (const char* time : {"rjtt", "rjttN"})
        for (int r = 1; r <= 4; ++r)
            files.push_back(std::string("port/") + time + "/rjtt_" + std::to_string(r) + ".plm");
    const std::regex texture("Texture\\{ \"([^\"]+)\"");
    for (const std::string& file : files) {
        const std::string text = ReadText(bin + "/" + file);
        ASSERT_FALSE(text.empty()) << file;
        std::vector<std::string> names;
        for (std::sregex_iterator m(text.begin(), text.end(), texture), end; m != end; ++m)
            names.push_back((*m)[1]);
        for (const std::string& name : names)
            EXPECT_TRUE(fs::exists(fs::path(bin + "/" + file).parent_path() / name))
                << file << " names " << name;
        if (file.find("/rjtt_") == std::string::npos) continue;
        for (const char* end : {"34L", "16R", "34R", "16L", "04", "22"})
            EXPECT_NE(std::find(names.begin(), names.end(), std::string("rwy") + end + ".bmp"),
                      names.end())
                << file << ": runway end " << end;
    }
}

}  // namespace
