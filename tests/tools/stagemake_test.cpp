// The stage maker warns where the order of the timetable's lines, not their times, decides when
// a record runs: a record due at the start that follows a timed one waits for that time (a
// parked aircraft there is never placed). The stage is still made as written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../common/program_output.h"

namespace {

namespace fs = std::filesystem;
using programrun::ReadText;

TEST(StageMake, WarnsOfRecordsDueAtTheStartAfterATimedOne) {
    struct Case {
        const char* records;
        const char* warning;  // "" none; else a part of the one warning, with its line
    };
    const Case cases[] = {
        {"wind time=0 dir=340 speed=8\ncreate time=1036 id=1 kind=1\n", ""},
        {"create time=1036 id=1 kind=1\nwind time=0 dir=340 speed=8\n",
         ":4: warning: wind (time 0) waits until 1036"},
        {"create time=1036 id=1 kind=1\npark id=2 spot=0\n", ":4: warning: park never runs"},
        {"ready time=1040 id=2 kind=2\nplan time=0 id=2 plan=0x100\n",
         ":4: warning: plan (time 0) waits until 1040"},
        // Conditions and jumps run whenever they are reached; later timed records are in order.
        {"create time=1036 id=1 kind=1\nset var=1 value=5\nwind time=1040 dir=10 speed=3\n", ""},
    };
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    const fs::path dir = fs::path(run ? run : "/tmp") / "stagemake_order";
    fs::remove_all(dir);
    fs::create_directories(dir / "rjtt");
    for (const Case& c : cases) {
        const fs::path desc = dir / "rjtt" / "order.stage";
        std::ofstream(desc) << "start 1035\ntimetable\n" << c.records << "end\n";
        const fs::path err = dir / "stderr.txt";
        const std::string cmd = std::string(STAGEMAKE) + " '" + dir.string() + "' '" +
                                desc.string() + "' >/dev/null 2>'" + err.string() + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << c.records << "made as written";
        const std::string said = ReadText(err.string());
        if (*c.warning)
            EXPECT_NE(said.find(c.warning), std::string::npos) << c.records << said;
        else
            EXPECT_EQ(said, "") << c.records;
        EXPECT_TRUE(fs::exists(dir / "port" / "rjtt" / "scenario" / "order.sd3")) << c.records;
    }
}

}  // namespace
