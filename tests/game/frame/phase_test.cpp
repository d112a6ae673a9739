// The main loop's phase word: reset, set-up, running frames, exit and shutdown, an exit asked
// during set-up, and phases that ask nothing. The steps run without windows or engine.
#include <gtest/gtest.h>

#include <vector>

#include "../base/game_fixture.h"
#include "frame/frame_internal.h"

namespace {

// Runs main-loop steps until the loop ends or `limit` steps, recording each new phase.
std::vector<uint32_t> RunSteps(int limit) {
    std::vector<uint32_t> seen{GetGamePhase()};
    Handles().running = 1;
    int frames = 0;
    for (int i = 0; i < limit && Handles().running; ++i) {
        MainStep();
        if (GetGamePhase() != seen.back()) seen.push_back(GetGamePhase());
        // A running stage ends when something asks for the exit: here after five frames.
        if (GetGamePhase() == GAMEPHASE_RUNNING && ++frames == 5) {
            SetGamePhase(GAMEPHASE_EXIT);
            seen.push_back(GAMEPHASE_EXIT);
        }
    }
    return seen;
}

int AskExit(const RECT&) {
    SetGamePhase(GAMEPHASE_EXIT);
    return 1;
}

// These stages end as at the close box: no program follows them through the stand-by window.
class Phases : public GameFolder {
  protected:
    void SetUp() override {
        GameFolder::SetUp();
        Handles().quitbyuser = 1;
    }
    void TearDown() override { Handles().quitbyuser = 0; }
};

}  // namespace

TEST_F(Phases, AStageRunsFromResetToShutdown) {
    SetGamePhase(GAMEPHASE_RESET);
    const std::vector<uint32_t> want{GAMEPHASE_RESET, GAMEPHASE_SETUP, GAMEPHASE_RUNNING,
                                     GAMEPHASE_EXIT, GAMEPHASE_SHUTDOWN};
    EXPECT_EQ(RunSteps(100), want);
    EXPECT_EQ(Handles().running, 0) << "shutdown ends the loop";
    EXPECT_EQ(GetStageState(), STAGE_PLAY);
}

TEST_F(Phases, AnExitAskedDuringSetUpHolds) {
    // The set-up's view-port call stands for any step that asks for the exit (a missing layer
    // file, the close box answered while set-up pumps messages).
    SetViewPortHook(AskExit);
    SetGamePhase(GAMEPHASE_RESET);
    const std::vector<uint32_t> want{GAMEPHASE_RESET, GAMEPHASE_SETUP, GAMEPHASE_EXIT,
                                     GAMEPHASE_SHUTDOWN};
    EXPECT_EQ(RunSteps(100), want) << "never running";
    SetViewPortHook(nullptr);
}

TEST_F(Phases, OtherWordsAskNothing) {
    for (uint32_t phase : {uint32_t{GAMEPHASE_NONE}, 0x1234u, 0x1001u, 0xffffu}) {
        SetGamePhase(phase);
        Handles().running = 1;
        for (int i = 0; i < 5; ++i) MainStep();
        EXPECT_EQ(GetGamePhase(), phase) << std::hex << phase;
        EXPECT_EQ(Handles().running, 1) << std::hex << phase;
    }
    // The airport still marked loaded at shutdown: the stage exits again, then the game ends.
    SetResourceFlag(RESOURCE_AIRPORT, 1);
    SetGamePhase(GAMEPHASE_SHUTDOWN);
    MainStep();
    EXPECT_EQ(Handles().running, 0);
    EXPECT_EQ(HasResourceFlag(RESOURCE_AIRPORT), 0);
}
