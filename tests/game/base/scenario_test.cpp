// The scenario file at start-up: which of .sd3, .sd2 and .sd is read, the read cap, the header
// fields at their offsets in both forms, and the empty stage without a file.
#include <gtest/gtest.h>

#include "game_fixture.h"

namespace {

class Scenario : public GameFolder {
  protected:
    void SetUp() override {
        GameFolder::SetUp();
        std::snprintf(Handles().airport, sizeof Handles().airport, "rjtt");
        std::snprintf(Handles().scenario, sizeof Handles().scenario, "st");
    }
    void TearDown() override { FreeScenario(); }
    const ScenarioHeader& Load() {
        LoadScenarioImage();
        ReadScenarioFile();
        return GetScenarioHeader();
    }
};

}  // namespace

TEST_F(Scenario, Sd3WinsOverSd2OverSd) {
    struct Case {
        const char* files;  // which of sd3, sd2, sd exist
        const char* title;  // the one read
        int format;
    };
    const Case cases[] = {
        {"sd3 sd2 sd", "three", SCENARIO_NEW},
        {"sd2 sd", "two", SCENARIO_NEW},
        {"sd", "one", SCENARIO_OLD},
        {"sd3", "three", SCENARIO_NEW},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir + "/port");
        const std::string files = c.files;
        if (files.find("sd3") != std::string::npos)
            Write("port/rjtt/scenario/st.sd3", NewHeader("three"));
        if (files.find("sd2") != std::string::npos)
            Write("port/rjtt/scenario/st.sd2", NewHeader("two"));
        if (files == "sd" || files.find(" sd") != std::string::npos)
            Write("port/rjtt/scenario/st.sd", OldHeader("one"));
        const ScenarioHeader& h = Load();
        EXPECT_STREQ(h.title, c.title) << c.files;
        EXPECT_EQ(h.format, c.format) << c.files;
        FreeScenario();
    }
}

TEST_F(Scenario, NewHeaderFieldsAtTheirOffsets) {
    std::string file = NewHeader("rjtt stage01");
    PutI32(file, 0xec, -1);
    Write("port/rjtt/scenario/st.sd3", file);
    const ScenarioHeader& h = Load();
    EXPECT_STREQ(h.title, "rjtt stage01");
    EXPECT_EQ(h.starttime, 930);
    EXPECT_EQ(h.hours, 2);
    EXPECT_EQ(h.target, 5000);
    EXPECT_EQ(h.extarget, -1);
    EXPECT_EQ(h.stresslimit, 12);
    EXPECT_STREQ(h.music, "bgm01");
    EXPECT_EQ(h.runways, 3);
    EXPECT_EQ(h.flags, 5);
    EXPECT_STREQ(h.exitprog, "WYNDEMOA.EXE");
    EXPECT_EQ(h.world.eye[0], 100);
    EXPECT_EQ(h.world.distance, 106);
    EXPECT_EQ(h.world.lightrgb[2], 110);
    EXPECT_EQ(h.world.backrgb[0], 111);
    EXPECT_EQ(h.world.daytime, 114);
    EXPECT_EQ(h.world.cloudpct, 115);
    EXPECT_STREQ(h.world.weather, "N");
    EXPECT_EQ(h.night, 1);
    EXPECT_EQ(h.world.light2rgb[0], 118);
    EXPECT_EQ(h.world.light2dir[2], 123);
    EXPECT_EQ(h.world.distances[0], 124);
    EXPECT_EQ(h.world.routesets[7], 135);
    EXPECT_EQ(h.timetable, 0xec);
    EXPECT_EQ(h.size, 0xf0);
    EXPECT_EQ(GetScenarioImage()->bytes[0xec], 0xff);
}

TEST_F(Scenario, OldHeaderHasTheWorldBlockLowerAndNoExitProgram) {
    std::string file = OldHeader("rjtt old");
    PutText(file, 0x4c, "IGNORED");  // a world field in this form, never the exit program
    Write("port/rjtt/scenario/st.sd", file);
    const ScenarioHeader& h = Load();
    EXPECT_EQ(h.format, SCENARIO_OLD);
    EXPECT_STREQ(h.title, "rjtt old");
    EXPECT_EQ(h.starttime, 1200);
    EXPECT_EQ(h.stresslimit, 7);
    EXPECT_EQ(h.runways, 0);
    EXPECT_EQ(h.flags, 0);
    EXPECT_STREQ(h.exitprog, "");
    EXPECT_EQ(h.world.eye[0], 300);
    EXPECT_STREQ(h.world.weather, "R");
    EXPECT_EQ(h.night, 0);
    EXPECT_EQ(h.world.routesets[7], 335);
    EXPECT_EQ(h.timetable, 0xd4);
}

TEST_F(Scenario, TextsWithoutTerminatorEndAtTheirField) {
    std::string file = NewHeader(std::string(32, 'T'));
    PutText(file, 0x34, std::string(16, 'M'));
    PutText(file, 0x4c, std::string(16, 'X'));
    Write("port/rjtt/scenario/st.sd3", file);
    const ScenarioHeader& h = Load();
    EXPECT_EQ(std::string(h.title), std::string(32, 'T'));
    EXPECT_EQ(std::string(h.music), std::string(16, 'M'));
    EXPECT_EQ(std::string(h.exitprog), std::string(16, 'X'));
    EXPECT_EQ(h.starttime, 930) << "the text does not run into the next field";
}

TEST_F(Scenario, ALargeFileIsReadUpToTheCap) {
    std::string file = NewHeader("big");
    file.resize(20000, '\x7f');
    Write("port/rjtt/scenario/st.sd3", file);
    const ScenarioHeader& h = Load();
    EXPECT_EQ(h.size, kScenarioReadMax);
    const ScenarioImage* image = GetScenarioImage();
    EXPECT_EQ(image->bytes[kScenarioReadMax - 1], 0x7f);
    for (int i = kScenarioReadMax; i < kScenarioBufferSize; ++i)
        ASSERT_EQ(image->bytes[i], 0) << "past the cap at " << i;
}

TEST_F(Scenario, AShortFileLeavesZerosAfterItsEnd) {
    std::string file = NewHeader("short");
    file.resize(0x22);  // ends inside the start time
    Write("port/rjtt/scenario/st.sd3", file);
    const ScenarioHeader& h = Load();
    EXPECT_STREQ(h.title, "short");
    EXPECT_EQ(h.starttime, 0);
    EXPECT_EQ(h.world.eye[0], 0);
    EXPECT_EQ(h.size, 0x22);
    EXPECT_EQ(GetScenarioImage()->bytes[0xec], 0);
}

TEST_F(Scenario, NoFileGivesAnEmptyStage) {
    const int boxes = WynPlat_MessageBoxCount();
    const ScenarioHeader& h = Load();
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes) << "a missing scenario is no error";
    EXPECT_EQ(h.format, SCENARIO_NONE);
    EXPECT_EQ(h.timetable, 0xec);
    const ScenarioImage* image = GetScenarioImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->bytes[0xec] & image->bytes[0xed] & image->bytes[0xee] & image->bytes[0xef],
              0xff)
        << "the timetable is the end record";
    for (int i = 0; i < 0xec; ++i) ASSERT_EQ(image->bytes[i], 0) << i;
    EXPECT_TRUE(HasResourceFlag(RESOURCE_SCENARIO));
    FreeScenario();
    EXPECT_FALSE(HasResourceFlag(RESOURCE_SCENARIO));
    EXPECT_EQ(GetScenarioImage(), nullptr);
}
