// The exchange rows, one tick a frame: a row's states through an exchange and the hand-over of
// its result, queues, wait lists and calls, the listening order and its volumes, the caption's
// place, the language of the caption, and whose voice speaks.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "memory_words.h"
#include "radio_fixture.h"
#include "wynplat.h"

namespace {

const char* const kFolder = "V\\";

class Rows : public ::testing::Test {
  protected:
    void SetUp() override {
        WynPlat_SetVirtualClock(1);
        int failed = 0;
        ASSERT_EQ(TOV_Start2(nullptr, TOV_DEVICE_WAVE, &failed, 0), 1);
        memwords::Words().clear();
        // Word sizes in frames (x 11025 / 30 bytes).
        memwords::Put(kFolder, "mla", "thirty", 11025);
        memwords::Put(kFolder, "mla", "twenty", 7350);
        memwords::Put(kFolder, "mla", "ten", 3675);
        memwords::Put(kFolder, "fmb", "ten", 3675);
        SetVoiceWordStore(&memwords::kStore);
        VoiceInit(nullptr, kFolder);
        for (int i = 0; i < kSpeakers; ++i) std::strcpy(GetSpeakerRecords()[i].voice, "mla");
        std::strcpy(GetSpeakerRecords()[30].voice, "fmb");
        GetConfig().atcvolume = 12;
        GetConfig().multi = 2;
        GetConfig().language = 2;
        SetAtcPanelWidth(0);
        world_.English({{1, 1, "thirty"},
                        {2, 1, "twenty"},
                        {3, 1, "ten"},
                        {4, 0, "ten"},
                        {5, 1, "."},
                        {6, 1, "ten " + std::string(66, 'x')},
                        {9, 0, "x"}});
        world_.Japanese({{6, 1, std::string(60, 'j')}, {9, 0, "x"}});
        ResetRows();
    }
    void TearDown() override {
        ResetRows();
        for (int p = 0; p < kExchangeRows; ++p) TOV_WaveFree(GetExchangeWave(p));
        TOV_End2();
        VoiceEnd();
        SetVoiceWordStore(nullptr);
        memwords::Words().clear();
        WynPlat_SetVirtualClock(0);
    }
    static void ResetRows() {
        for (ExchangeRow& r : GetExchangeRows()) {
            r = ExchangeRow{};
            r.scroll = -1;
        }
        GetWaitLists() = {};
        GetListenOrder() = {};
    }
    // One frame of one tick, in the frame's order.
    static void Frame() {
        ExchangeMain(1);
        AtcPanelMain(1);
        DrawExchangeStatus();
    }
    static ExchangeRow& Row(int p) { return GetExchangeRows()[size_t(p)]; }
    // An exchange of aircraft `a` on row p, as the exchange start posts it.
    static void Post(int p, int a, std::initializer_list<int> messages, int result) {
        int place = 0;
        for (auto it = messages.begin(); it != messages.end(); ++it, ++place) {
            const bool last = it + 1 == messages.end();
            SetExchangeMessage(place, p,
                               MakeExchangeMessage(*it, last ? kExchangeLast : kExchangeMore, a));
        }
        Row(p).aircraft = a + 1;
        Row(p).result = result;
    }
    RadioWorld world_;
};

}  // namespace

TEST_F(Rows, ATwoMessageExchangeFromStartToIdle) {
    Post(1, 0, {1, 2}, 0x55);
    world_.A(0).talking = 1;
    JoinWaitList(1, 0);
    struct Expect {
        int frame, state, timer, aircraft, request;
    };
    const Expect expects[] = {
        {0, 1, 0, 1, 0},      {29, 1, 0, 1, 0},     {30, 3, 90, 1, 0x55}, {49, 3, 90, 1, 0x55},
        {50, 2, 89, 1, 0x55}, {139, 2, 0, 1, 0x55}, {140, 0, 0, 0, 0x55},
    };
    size_t next = 0;
    for (int frame = 0; frame <= 140; ++frame) {
        Frame();
        if (frame == 0) {
            EXPECT_EQ(Row(1).frames, 30);
            EXPECT_EQ(GetWaitLists()[1][0], 0) << "the talking aircraft leaves the wait list";
        }
        if (frame == 30) {
            EXPECT_EQ(Row(1).frames, 20);
        }
        if (next < std::size(expects) && expects[next].frame == frame) {
            const Expect& e = expects[next++];
            EXPECT_EQ(Row(1).state, e.state) << "frame " << frame;
            EXPECT_EQ(Row(1).timer, e.timer) << "frame " << frame;
            EXPECT_EQ(Row(1).aircraft, e.aircraft) << "frame " << frame;
            // The result is handed when the first message is heard; the last one's end hands
            // the row's result of 0 to nobody, so it is not wiped.
            EXPECT_EQ(world_.A(0).request, e.request) << "frame " << frame;
        }
        if (frame >= 50) {
            EXPECT_EQ(world_.A(0).talking, 0) << "frame " << frame;
        }
    }
    EXPECT_EQ(next, std::size(expects));
}

TEST_F(Rows, VoiceLengthsInTicks) {
    const int cases[][2] = {{11025, 30}, {4096, 11}, {0, 0}, {367, 0}, {368, 1}, {7350, 20}};
    for (const auto& c : cases) EXPECT_EQ(ExchangeFrames(c[0]), c[1]) << c[0];
    // An empty voice is heard in the next frame.
    Post(0, 0, {5, 3}, 0);
    Frame();
    EXPECT_EQ(Row(0).frames, 0);
    EXPECT_EQ(Row(0).state, 1);
    Frame();
    EXPECT_EQ(Row(0).state, 3);
    EXPECT_EQ(Row(0).frames, 10);
}

TEST_F(Rows, QueuesRefuseWhenFullAndKeepNoDuplicate) {
    for (int m = 1; m <= 5; ++m) EXPECT_EQ(PushExchangeMessage(2, MakeExchangeMessage(m, 0, 0)), 1);
    EXPECT_EQ(PushExchangeMessage(2, MakeExchangeMessage(6, 0, 0)), 0);
    EXPECT_EQ(PushExchangeMessage(2, MakeExchangeMessage(3, 0, 0)), 1);
    PopExchangeMessage(2);
    EXPECT_EQ(ExchangeMessageNumber(Row(2).queue[0]), 2);
    EXPECT_EQ(Row(2).queue[4], 0u);
    EXPECT_EQ(PushExchangeMessage(2, MakeExchangeMessage(4, 0, 0)), 1);  // already queued
    EXPECT_EQ(Row(2).queue[4], 0u);
    EXPECT_EQ(PushExchangeMessage(7, MakeExchangeMessage(4, 0, 0)), 0);
    Row(2).state = 3;
    Row(2).timer = 40;
    EXPECT_EQ(SetExchangeMessage(4, 2, 99), 1);
    EXPECT_EQ(Row(2).queue[4], 99u);
    EXPECT_EQ(Row(2).state, 0);
    EXPECT_EQ(Row(2).timer, 0);
    EXPECT_EQ(SetExchangeMessage(5, 2, 99), 0);
}

TEST_F(Rows, WaitListsAndCalls) {
    for (int a = 0; a < 8; ++a) EXPECT_EQ(JoinWaitList(0, a), a + 1);
    EXPECT_EQ(JoinWaitList(0, 3), 4);  // already in line
    EXPECT_EQ(JoinWaitList(0, 8), 0);  // a ninth
    EXPECT_EQ(TryCallPosition(8, 0), 0);
    RemoveFromWaitList(0, 3 + 1);
    EXPECT_EQ(GetWaitLists()[0][3], 5);
    EXPECT_EQ(GetWaitLists()[0][7], 0);
    RemoveWaitListAt(0, 1);
    EXPECT_EQ(GetWaitLists()[0][0], 2);

    ResetRows();
    struct Case {
        const char* what;
        int state, talkingRow, talkingAircraft;
        ExchangeMessageCode head;
        bool first;
        int now, later;  // TryCallPositionNow and TryCallPosition
    };
    const Case cases[] = {
        {"idle, first in line", 0, 0, 0, 0, true, 1, 1},
        {"idle, second in line", 0, 0, 0, 0, false, 0, 0},
        {"the aircraft is talking", 0, 0, 1, 0, true, 0, 0},
        {"another aircraft has the row", 0, 5, 0, 0, true, 0, 0},
        {"a message is queued", 0, 0, 0, 7, true, 1, 0},
        {"in the closing pause", 2, 0, 0, 0, true, 1, 0},
        {"speaking", 1, 0, 0, 0, true, 0, 0},
    };
    for (const Case& c : cases) {
        for (int now = 0; now < 2; ++now) {
            ResetRows();
            world_.A(2).talking = c.talkingAircraft;
            Row(1).state = c.state;
            Row(1).aircraft = c.talkingRow;
            Row(1).queue[0] = c.head;
            if (!c.first) JoinWaitList(1, 5);
            const int got = now ? TryCallPositionNow(2, 1) : TryCallPosition(2, 1);
            EXPECT_EQ(got, now ? c.now : c.later) << c.what << (now ? " (now)" : "");
            const bool listed = GetWaitLists()[1][0] == 3 || GetWaitLists()[1][1] == 3;
            EXPECT_EQ(listed, got == 0) << c.what << ": one that may talk leaves the list";
        }
    }
    // A refused call of the row's own talking aircraft takes it out of the line.
    ResetRows();
    Row(1).state = 1;
    Row(1).aircraft = 3;
    EXPECT_EQ(TryCallPosition(2, 1), 0);
    EXPECT_EQ(GetWaitLists()[1][0], 0);
}

TEST_F(Rows, ListeningOrderAndVolumes) {
    const int full = 12, half = 6;
    auto vol = [](int p) { return TOV_WaveGetLocalVol(14 + p); };
    // multi 1: the first row talking is heard in full, the second at half; when the first
    // leaves, the second moves up and is raised.
    GetConfig().multi = 1;
    PlayExchangeVoice(0);
    PlayExchangeVoice(3);
    EXPECT_EQ(vol(0), full);
    EXPECT_EQ(vol(3), half);
    EXPECT_EQ(Row(0).listen, 2);
    EXPECT_EQ(Row(3).listen, 1);
    LeaveListenOrder(0);
    EXPECT_EQ(GetListenOrder()[0], 4);
    EXPECT_EQ(vol(3), full);
    EXPECT_EQ(Row(3).listen, 2);
    EXPECT_EQ(Row(0).listen, 0);
    // multi 2: the third is raised when one of the first two ends.
    ResetRows();
    GetConfig().multi = 2;
    for (int p : {1, 2, 4}) PlayExchangeVoice(p);
    EXPECT_EQ(vol(1), full);
    EXPECT_EQ(vol(2), full);
    EXPECT_EQ(vol(4), half);
    LeaveListenOrder(2);
    EXPECT_EQ(vol(4), full);
    EXPECT_EQ(Row(4).listen, 2);
    EXPECT_EQ(GetListenOrder()[1], 5);
    // A position playing again keeps its place.
    PlayExchangeVoice(1);
    EXPECT_EQ(GetListenOrder()[0], 2);
    EXPECT_EQ(GetListenOrder()[2], 0);
    // The player's choice: a half-volume row to the head at 15, the one pushed out of the
    // heard places down to 8.
    PlayExchangeVoice(0);
    EXPECT_EQ(vol(0), half);
    ListenToPosition(0);
    EXPECT_EQ(GetListenOrder()[0], 1);
    EXPECT_EQ(GetListenOrder()[1], 2);
    EXPECT_EQ(GetListenOrder()[2], 5);
    EXPECT_EQ(vol(0), 15);
    EXPECT_EQ(Row(0).listen, 2);
    EXPECT_EQ(vol(4), 8);
    EXPECT_EQ(Row(4).listen, 1);
    ListenToPosition(3);  // not in the order: nothing changes
    EXPECT_EQ(GetListenOrder()[0], 1);
}

TEST_F(Rows, CaptionPlaceAndWidth) {
    const int scrolls[][2] = {{0, 371}, {45, 216}, {80, 95}, {81, 91}, {90, 91}};
    for (const auto& c : scrolls) EXPECT_EQ(CaptionX(371, c[0], 40, 90), c[1]) << c[0];
    EXPECT_EQ(CaptionX(371, 0, 40, 0), 371 - 280) << "an empty voice does not divide";
    DrawExchangeText(2, "hello");
    EXPECT_EQ(Row(2).length, 53);  // a short caption still scrolls the panel's width
    EXPECT_EQ(Row(2).scroll, 0);
    SetAtcPanelWidth(1);
    DrawExchangeText(2, "hello");
    EXPECT_EQ(Row(2).length, 80);
    SetAtcPanelWidth(0);
    // The caption's clock runs with the ticks and stops at the voice's length.
    Row(2).frames = 3;
    for (int i = 0; i < 5; ++i) AtcPanelMain(1);
    EXPECT_EQ(Row(2).scroll, 3);
}

TEST_F(Rows, CaptionLanguages) {
    struct Case {
        int language, length;
    };
    const Case cases[] = {{0, 53}, {1, 60}, {2, 70}};
    for (const Case& c : cases) {
        ResetRows();
        GetConfig().language = c.language;
        SetExchangeMessage(0, 2, MakeExchangeMessage(6, kExchangeLast, 0));
        Frame();
        EXPECT_EQ(Row(2).length, c.length) << c.language;
        EXPECT_GT(GetExchangeWave(2)->size, 0) << "the voice plays in every language";
    }
}

TEST_F(Rows, WhoseVoiceSpeaks) {
    world_.A(4).speaker = 30;
    world_.A(5).speaker = 60;  // outside the table: speaker 29
    struct Case {
        const char* what;
        int row_aircraft;  // slot + 1
        int message, about;
        const char* folder;
    };
    const Case cases[] = {
        {"the controller", 5, 3, 4, "mla"},
        {"the row's talking pilot", 5, 4, 0, "fmb"},
        {"a pilot on a row without a talking aircraft: the message's aircraft", 0, 4, 4, "fmb"},
        {"a speaker outside the table", 6, 4, 0, "mla"},
    };
    for (const Case& c : cases) {
        ResetRows();
        memwords::Log().clear();
        Row(0).aircraft = c.row_aircraft;
        SetExchangeMessage(0, 0, MakeExchangeMessage(c.message, kExchangeLast, c.about));
        Frame();
        ASSERT_FALSE(memwords::Log().empty()) << c.what;
        EXPECT_EQ(memwords::Log()[0], std::string(kFolder) + c.folder + "\\ten.wav") << c.what;
        EXPECT_EQ(Row(0).who, c.message == 4 ? 1 : 0) << c.what;
    }
}

TEST_F(Rows, ExchangesWithoutMessagesAndStrangersEnd) {
    // A list whose first message is negative: row and aircraft marked busy, queue empty.
    Row(3).aircraft = 2;
    Row(3).result = 0x13;
    world_.A(1).talking = 1;
    JoinWaitList(3, 1);
    Frame();
    EXPECT_EQ(world_.A(1).talking, 0);
    EXPECT_EQ(world_.A(1).request, 0x13);
    EXPECT_EQ(Row(3).aircraft, 0);
    EXPECT_EQ(Row(3).result, 0);
    EXPECT_EQ(GetWaitLists()[3][0], 0);

    // A scripted message of aircraft 7 on a row that names none: heard, it leaves 7 silent...
    ResetRows();
    PushExchangeMessage(4, MakeExchangeMessage(3, kExchangeLast, 7));
    Frame();
    EXPECT_EQ(world_.A(7).talking, 1);
    for (int i = 0; i < 12; ++i) Frame();
    EXPECT_EQ(Row(4).state, 2);
    EXPECT_EQ(world_.A(7).talking, 0);
    // ...unless another row has 7 talking.
    ResetRows();
    Row(0).aircraft = 8;
    Row(0).state = 1;
    Row(0).frames = 1000;
    PushExchangeMessage(4, MakeExchangeMessage(3, kExchangeLast, 7));
    for (int i = 0; i < 13; ++i) Frame();
    EXPECT_EQ(Row(4).state, 2);
    EXPECT_EQ(world_.A(7).talking, 1);
}

TEST_F(Rows, AHeardVoiceIsStoppedByTheCaptionClock) {
    SetExchangeMessage(0, 1, MakeExchangeMessage(1, kExchangeLast, 0));
    Frame();
    EXPECT_NE(TOV_WaveStatus(15), 0);
    EXPECT_EQ(IsExchangeSpeaking(1), 1);
    Row(1).scroll = Row(1).frames;
    EXPECT_EQ(IsExchangeSpeaking(1), 0);
    EXPECT_EQ(TOV_WaveStatus(15), 0);
    Row(1).state = 0;
    EXPECT_EQ(IsExchangeSpeaking(1), 0);
}
