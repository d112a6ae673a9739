// The sample move scripts on the generated airport "rjtt", in the game's own simulation: the
// sample stage stage01 set up as the stage set-up does (its airport, SIDs, ground support and
// timetable), stepped frame by frame as the frame does, with the game's own script services.
// The test stands in for the radio and the player: an exchange ends at once, handing its
// result to the aircraft as a heard exchange does, and at the statuses where the player answers,
// the test picks the items of the command menu as a click does. The arrival lands, gets its
// spot and parks on it; the departure gets its SID, pushes back, taxis, takes off and leaves the
// scene past the SID's last point; no script reports a fault.
#include <cmath>
#include <memory>

#include "controller/controller.h"
#include "script_fixture.h"

namespace {

constexpr int kTicksPerFrame = 3;
constexpr int kStageFrames = 30 * 60 * 30 / kTicksPerFrame;  // half an hour of play

// Where the player answers: the aircraft (its id), the status that shows the menu, and the items
// clicked in order (a first-level item and, where it opens one, the item of its second level).
struct Answer {
    int id;
    int32_t status;
    int items[2];
};
constexpr Answer kPlayer[] = {
    {1, 0x12010, {0x103, -1}},     // approach: radar vectors to final
    {1, 0x22030, {0x008, -1}},     // tower: cleared to land
    {1, 0x42150, {0x300, 0x400}},  // ground: the spot (0x300 + spot), by its taxi-in line
    {2, 0x820e0, {0x500, 0x600}},  // delivery: the SAKURA group, SAKURA1
    {2, 0x920f0, {0x700, 0x400}},  // ground: runway 34R, by its line OUT0_34R
    {2, 0xa20b0, {0x009, -1}},     // tower: cleared for take-off
};
constexpr int kAnswers = int(std::size(kPlayer));

// The SAKURA1 departure's last point (sid_SAKURA1: flyto 9000 1500, left within 556 m).
constexpr double kSakuraX = 9000, kSakuraZ = 1500;

class SampleScriptRun : public scripttest::ScriptCase, public ::testing::WithParamInterface<int> {
  protected:
    SampleScriptRun() : sids_(new SidTable()) {
        SetScriptServices(nullptr);  // the game's own
        FrameHandles& f = Handles();
        f.engine = Engine();
        std::snprintf(f.airport, sizeof f.airport, "rjtt");
        std::snprintf(f.scenario, sizeof f.scenario, "stage01");
        SetSidTable(sids_.get());
        GetConfig() = GameConfig{};
        GetConfig().resolution = 1;
        ReadScenarioFile();
        // The traffic part of the stage set-up, in its order.
        ClearAircraftTable();
        ResetStripBoard();
        AtcInit();
        LoadAirport();
        SetupGroundSupport();
        ResetTimetable();
        RunTimetable();
        SetStageState(STAGE_PLAY);
    }
    ~SampleScriptRun() override {
        ReleaseGroundSupport();
        SetSelectedAircraft(-1);
        SetSidTable(nullptr);
        Handles().engine = nullptr;
    }

    // The radio: every exchange on a row ends at once; its talking aircraft stops talking and
    // takes the row's result as a request, as at the end of a heard exchange.
    static void EndExchanges() {
        for (ExchangeRow& row : GetExchangeRows()) {
            if (row.aircraft != 0) {
                AircraftRecord& a = *AircraftAt(row.aircraft - 1);
                a.talking = 0;
                if (row.result != 0) a.request = row.result;
            }
            row = ExchangeRow{};
        }
    }
    // The player: the item `code` of the menu shown clicked, as the menu's click handler does.
    // False when the menu has no such item.
    static bool Click(int slot, int code) {
        for (int i = 0; i < 64; ++i) {
            MenuItem* m = GetCommandMenuItem(i);
            if (!m || m->code != code + 1) continue;
            AircraftRecord& a = *AircraftAt(GetCommandMenuAircraft());
            a.chosen = *m;
            SetMenuResult(m->code + 0x100);
            ApplyCommand(GetCommandMenuAircraft(), a.chosen.code);
            return true;
        }
        ADD_FAILURE() << "aircraft " << slot << " status " << std::hex << AircraftAt(slot)->status
                      << ": the menu has no item " << code << "; it holds " << MenuCodes();
        return false;
    }
    static std::string MenuCodes() {
        std::string out;
        char word[16];
        for (int i = 0; i < 64; ++i)
            if (const MenuItem* m = GetCommandMenuItem(i); m && m->code) {
                std::snprintf(word, sizeof word, " %03x", unsigned(m->code - 1));
                out += word;
            }
        return out;
    }
    // Answers an aircraft that waits at one of the player's statuses (each answer once): selects
    // it, shows its menu and clicks the answer's items.
    void PlayerAnswers() {
        for (int n = 0; n < kAnswers; ++n) {
            const Answer& w = kPlayer[n];
            const int slot = FindAircraftSlot(w.id);
            if (answered_[n] || slot < 0) continue;
            const AircraftRecord& a = A(slot);
            if (a.status != w.status || a.talking) continue;
            answered_[n] = true;
            SetSelectedAircraft(slot);
            BuildCommandMenu(slot);
            for (int code : w.items)
                if (code >= 0 && !Click(slot, code == 0x300 ? code + GetParam() : code)) return;
        }
    }
    // One frame of play: the aircraft, the ground support, the radio, the strip board, the
    // player and the timetable, in the frame's order.
    void Frame() {
        UpdateAircraft(kTicksPerFrame);
        GroundSupportMain(kTicksPerFrame);
        EndExchanges();
        StripBoardMain(kTicksPerFrame);
        PlayerAnswers();
        StepTimetable(kTicksPerFrame);
    }

    bool answered_[kAnswers] = {};

  private:
    std::unique_ptr<SidTable> sids_;
};

TEST_P(SampleScriptRun, ArrivalParksAndDepartureLeavesPastItsSid) {
    const int parking = GetParam();
    ASSERT_EQ(NewBoxes(), 0) << LastBox();
    const int arrival = FindAircraftSlot(1);
    ASSERT_GE(arrival, 0);
    ASSERT_STREQ(GetScriptName(arrival), "arr34l");

    testing::internal::CaptureStderr();
    int departure = -1;
    double departureNearest = 1e9;
    tagKRN3D departureLast{}, departureBefore{};
    bool departureLeft = false;
    int frame = 0;
    for (; frame < kStageFrames; ++frame) {
        Frame();
        if (departure < 0) departure = FindAircraftSlot(2);
        if (departure >= 0 && !departureLeft) {
            if (A(departure).used && A(departure).id == 2) {
                departureBefore = departureLast;
                departureLast = O(departure).pos;
                departureNearest =
                    std::min(departureNearest,
                             std::hypot(departureLast.x - kSakuraX, departureLast.z - kSakuraZ));
            } else {
                departureLeft = true;
            }
        }
        const AircraftRecord& a = A(arrival);
        if (departureLeft && a.phase == PHASE_STILL && a.status == 0x69000) break;
    }
    const std::string errors = testing::internal::GetCapturedStderr();

    for (int n = 0; n < kAnswers; ++n)
        EXPECT_TRUE(answered_[n]) << "aircraft " << kPlayer[n].id << " never waited at status "
                                  << std::hex << kPlayer[n].status;
    EXPECT_LT(frame, kStageFrames) << "the stage's traffic did not end within half an hour";
    EXPECT_EQ(errors.find("fault"), std::string::npos) << errors;
    EXPECT_EQ(NewBoxes(), 0) << LastBox();

    // The arrival stands on its spot, nose to the terminal, at rest.
    const AircraftRecord& a = A(arrival);
    ASSERT_TRUE(a.used);
    EXPECT_EQ(a.id, 1);
    EXPECT_EQ(GetScriptName(arrival), "in34l_" + std::to_string(parking));
    EXPECT_EQ(a.phase, PHASE_STILL);
    const AirportPlace& spot = GetAirportRecord()->spots[parking];
    const ObjectRecord& o = O(arrival);
    EXPECT_LE(std::hypot(o.pos.x - spot.x / 100.0, o.pos.z - spot.z / 100.0), 1.0)
        << o.pos.x << " " << o.pos.z << " against " << spot.x / 100.0 << " " << spot.z / 100.0;
    const double turn = std::fmod(std::fabs(o.angle.y - spot.heading), 360.0);
    EXPECT_LE(std::min(turn, 360 - turn), 1.0) << o.angle.y << " against " << spot.heading;

    // The departure flew over SAKURA and was taken off the scene beyond it, past the 556 m the
    // script waits for, flying away from the point.
    ASSERT_GE(departure, 0);
    EXPECT_TRUE(departureLeft);
    EXPECT_STREQ(GetScriptName(departure), "sid_SAKURA1");
    EXPECT_LE(departureNearest, 100.0);
    const double before = std::hypot(departureBefore.x - kSakuraX, departureBefore.z - kSakuraZ);
    const double last = std::hypot(departureLast.x - kSakuraX, departureLast.z - kSakuraZ);
    EXPECT_GT(last, 556.0) << "deleted at " << departureLast.x << " " << departureLast.z;
    EXPECT_GT(last, before);
    EXPECT_GT(departureLast.y, 300.0);
}

// Every gate the arrival offers: spots 3 to 6, each by its own taxi-in script.
INSTANTIATE_TEST_SUITE_P(Spots, SampleScriptRun, ::testing::Values(3, 4, 5, 6));

}  // namespace
