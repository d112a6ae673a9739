// The program that follows a stage: none after the close box; the script host with the stage
// folder; after a clear the scenario's exit program with the stage's icon number, but only a
// program of the program folder, and only a stage ini named by bare stage words.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../base/game_fixture.h"
#include "frame/frame_internal.h"

namespace {

class ExitProgram : public GameFolder {
  protected:
    void TearDown() override {
        Handles().quitbyuser = 0;
        SetStageCleared(0);
        GetScenarioHeader() = ScenarioHeader{};
    }
};

TEST_F(ExitProgram, FollowsTheStageByHowItEnded) {
    struct Case {
        const char* what;
        int quit, cleared;
        const char* title;     // the header text: stage folder and stage
        const char* exitprog;  // the scenario's exit program
        const char* spno;      // [Icon] spno of stage\rjtt\stage01.ini, or null for no file
        int follows;
        const char* program;  // after the program folder
        const char* arguments;
    };
    const Case cases[] = {
        {"quit by the close box", 1, 1, "rjtt stage01", "wyndemoa", "300", 0, "", ""},
        {"cleared, exit program", 0, 1, "rjtt stage01", "wyndemoa", "300", 1, "wyndemoa", "3 rjtt"},
        {"cleared, no exit program", 0, 1, "rjtt stage01", "", "300", 1, "VSK33.EXE ", "rjtt"},
        {"not cleared, exit program", 0, 0, "rjtt stage01", "wyndemoa", "300", 1, "VSK33.EXE ",
         "rjtt"},
        {"spno below 100", 0, 1, "rjtt stage01", "wyndemoa", "99", 1, "wyndemoa", "0 rjtt"},
        {"spno negative: toward zero", 0, 1, "rjtt stage01", "wyndemoa", "-250", 1, "wyndemoa",
         "-2 rjtt"},
        {"no stage ini", 0, 1, "rjtt stage01", "wyndemoa", nullptr, 1, "wyndemoa", "0 rjtt"},
        // Only a bare file name of the program folder may follow.
        {"exit program with a parent step", 0, 1, "rjtt stage01", "..\\x", "300", 1, "VSK33.EXE ",
         "rjtt"},
        {"exit program with a folder", 0, 1, "rjtt stage01", "bin/x", "300", 1, "VSK33.EXE ",
         "rjtt"},
        {"exit program with a drive", 0, 1, "rjtt stage01", "C:x", "300", 1, "VSK33.EXE ", "rjtt"},
        // Stage words that are no bare names read no stage ini.
        {"stage word with a parent step", 0, 1, "rjtt ..\\stage01", "wyndemoa", "300", 1,
         "wyndemoa", "0 rjtt"},
        {"no stage word", 0, 1, "", "wyndemoa", "300", 1, "wyndemoa", "0 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir + "/stage");
        if (c.spno) Write("stage/rjtt/stage01.ini", std::string("[Icon]\nspno=") + c.spno + "\n");
        // The parent step's ini would be found from the stage folder too.
        if (c.spno) Write("stage/stage01.ini", "[Icon]\nspno=900\n");
        Handles().quitbyuser = c.quit;
        SetStageCleared(c.cleared);
        ScenarioHeader& h = GetScenarioHeader();
        std::strcpy(h.title, c.title);
        std::strcpy(h.exitprog, c.exitprog);
        char program[MAX_PATH + 16] = "x", arguments[64] = "x";
        EXPECT_EQ(ExitProgramCommand(program, arguments), c.follows);
        EXPECT_EQ(std::string(program), c.follows ? System(c.program) : "");
        EXPECT_EQ(std::string(arguments), c.arguments);
    }
}

TEST_F(ExitProgram, AStageWordIsABareName) {
    struct Case {
        const char* word;
        int bare;
    };
    const Case cases[] = {{"rjtt", 1}, {"stage01", 1}, {"a.b", 1}, {"", 0},   {"..", 0},
                          {"a..b", 0}, {"a\\b", 0},    {"a/b", 0}, {"C:", 0}, {"wyndemoa", 1}};
    for (const Case& c : cases) EXPECT_EQ(IsBareName(c.word), c.bare) << c.word;
}

}  // namespace
