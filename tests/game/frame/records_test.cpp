// The shared records and words of the game: the phase word's halves, the command-menu item's
// layout that the answer ring shares, and the radio's message word.
#include <cstddef>

#include <gtest/gtest.h>

#include "controller/controller.h"
#include "frame/frame.h"
#include "simulation/simulation.h"
#include "world/world.h"

TEST(GamePhase, WritersStoreTheHighHalfAndReadersCompareIt) {
    struct Case {
        uint32_t phase;
        uint32_t word;
    };
    const Case cases[] = {{GAMEPHASE_NONE, 0},           {GAMEPHASE_RESET, 0x00100000},
                          {GAMEPHASE_SETUP, 0x10000000}, {GAMEPHASE_RUNNING, 0x10100000},
                          {GAMEPHASE_EXIT, 0x1ff00000},  {GAMEPHASE_SHUTDOWN, 0x0fff0000}};
    for (const Case& c : cases) {
        SetGamePhase(c.phase);
        EXPECT_EQ(GetGamePhaseWord(), c.word) << std::hex << c.phase;
        EXPECT_EQ(GetGamePhase(), c.phase) << std::hex << c.phase;
    }
    // "At least set-up" is a whole word of at least 0x10000000.
    SetGamePhase(GAMEPHASE_SHUTDOWN);
    EXPECT_LT(GetGamePhaseWord(), 0x10000000u);
    SetGamePhase(GAMEPHASE_NONE);
}

TEST(MenuItem, TheAnswerRingReadsTheSameOffsets) {
    // The answer ring (item, 16 bytes, status, 0, extra, four messages, name, text) and the
    // scripts' seven data words are laid over the item: these offsets are what they share.
    struct Field {
        const char* name;
        size_t offset;
        size_t expected;
    };
    const Field fields[] = {{"code", offsetof(MenuItem, code), 0},
                            {"x", offsetof(MenuItem, x), 4},
                            {"position (ring status)", offsetof(MenuItem, position), 20},
                            {"reply (ring zero word)", offsetof(MenuItem, reply), 24},
                            {"flags (ring extra)", offsetof(MenuItem, flags), 28},
                            {"msg", offsetof(MenuItem, msg), 32},
                            {"name", offsetof(MenuItem, name), 48},
                            {"name2 (ring text)", offsetof(MenuItem, name2), 64}};
    for (const Field& f : fields) EXPECT_EQ(f.offset, f.expected) << f.name;
    EXPECT_EQ(sizeof(MenuItem), 96u);
    EXPECT_EQ(sizeof(MenuItem::name2), 32u);  // the ring's text of up to 31 characters
}

TEST(ExchangeMessageCode, PacksMessageKindAndAircraft) {
    const ExchangeMessageCode code = MakeExchangeMessage(12, kExchangeLast, 19);
    EXPECT_EQ(code, 0x000C0213u);
    EXPECT_EQ(ExchangeMessageNumber(code), 12);
    EXPECT_EQ(ExchangeMessageKind(code), 2u);
    EXPECT_EQ(ExchangeMessageAircraft(code), 19);
    EXPECT_EQ(ExchangeMessageNumber(MakeExchangeMessage(0xFFFF, kExchangeMore, 0)), 0xFFFF);
}

TEST(StatusCode, MasksSplitInstructionPanelAndStep) {
    const int32_t status = 0xB4053;
    EXPECT_EQ(StatusInstruction(status), 0xB4000u);
    EXPECT_EQ(StatusPanel(status), 0x050u);
    EXPECT_EQ(status & kStatusStep, 3);
}
