// Game values by class and the condition operators.
#include "sim_fixture.h"

using simtest::SimCase;

namespace {

class GameValueTest : public SimCase {
  protected:
    // An aircraft in use at height `y` over ground `ground`.
    void Put(int slot, int id, int strip, int status, double y, int ground) {
        A(slot).used = 1;
        A(slot).id = id;
        A(slot).spot = -1;
        A(slot).strip = strip;
        A(slot).status = status;
        A(slot).ground = ground;
        O(slot).pos.y = y;
    }
};

int32_t Id(uint32_t cls, uint32_t n) { return int32_t(cls << 16 | n); }

}  // namespace

TEST_F(GameValueTest, ValuesByClass) {
    GetHud().score = 1234;
    GetHud().stress = 7;
    GetStripQueue() = StripQueue{1, 0, 3, 4, 0, 6, 0, 0, 0, 0};
    Put(0, 40, 0x102, 0x10000, 900.0, 0);      // airborne arrival
    Put(1, 41, 0x1202, 0x40000, 3.0, 3);       // departure on the ground, not yet lined up
    Put(2, 42, 0x1402, 0x94000, 3.0, 3);       // lined up
    Put(3, 43, 0x1502, 0x95000, 3.0, 3);       // later still
    Put(4, 44, 0x1502, 0x95000, 50.0, 3);      // a departure in the air: neither
    Put(5, 45, 0x302, 0x60000, 3.0, 3);        // arrival on the ground: neither
    Put(6, 46, 0x202, 0x20000, 3.0000001, 3);  // heights compare exactly: airborne
    Put(10, 50, 0x1b02, 0, 3.0, 3);
    Put(7, 47, 0x706, 0, 0, 0);
    A(7).spot = 12;
    Put(8, 48, 0xf02, 0, 0, 0);  // a strip family outside the list
    Put(9, 49, 0x102, 0x10000, 0, 0);
    A(9).used = 0;  // out of play
    O(2).kind = 0x20111;
    GetGameVariables()[100] = -5;
    GetGameVariables()[0] = 99;
    struct Case {
        const char* what;
        int32_t id, value;
    };
    const Case cases[] = {
        {"a constant", 5, 5},
        {"a negative constant", -1, -1},
        {"score", Id(0x0101, 0), 1234},
        {"arrival queue", Id(0x0102, 0), 3},
        {"departure queue", Id(0x0103, 0), 1},
        {"airborne arrivals", Id(0x0104, 0), 2},  // slots 0 and 6
        {"lined-up departures", Id(0x0105, 0), 2},
        {"aircraft at spot 12", Id(0x0106, 12), 47},
        {"nobody at spot 13", Id(0x0106, 13), 0},
        {"stress", Id(0x0108, 0), 7},
        {"strip 0x100", Id(0x0110, 40), 0x110},
        {"strip 0x1200", Id(0x0110, 41), 0x210},
        {"strip 0x1400", Id(0x0110, 42), 0x240},
        {"strip 0x1500", Id(0x0110, 43), 0x250},
        {"strip 0x1b00", Id(0x0110, 50), 0x220},
        {"strip 0x200", Id(0x0110, 46), 0x120},
        {"strip 0x700", Id(0x0110, 47), 0x140},
        {"strip 0x300", Id(0x0110, 45), 0x130},
        {"strip outside the list", Id(0x0110, 48), 0},
        {"strip of an aircraft out of play", Id(0x0110, 49), 0},
        {"strip of an unknown ID", Id(0x0110, 77), 0},
        {"kind", Id(0x0111, 42), 0x20111},
        {"kind of an unknown ID", Id(0x0111, 77), 0},
        {"kind: the id itself", Id(0x0111, 0xffff), Id(0x0111, 0xffff)},
        {"status", Id(0x0112, 43), 0x95000},
        {"status of an unknown ID", Id(0x0112, 77), 0},
        {"status: the id itself", Id(0x0112, 0xffff), Id(0x0112, 0xffff)},
        {"variable 0", Id(0x0fff, 0), 99},
        {"variable 100", Id(0x0fff, 100), -5},
        {"variable 101", Id(0x0fff, 101), 0},
        {"variable 0xffff", Id(0x0fff, 0xffff), 0},
        {"an unknown class", Id(0x0109, 3), Id(0x0109, 3)},
    };
    for (const Case& c : cases) EXPECT_EQ(GetGameValue(c.id), c.value) << c.what;
    const int weekday = GetGameValue(Id(0x0107, 0));
    EXPECT_GE(weekday, 0);
    EXPECT_LE(weekday, 6);
}

TEST_F(GameValueTest, ConditionOperators) {
    GetHud().score = 500;
    GetGameVariables()[3] = 0x1234;
    GetGameVariables()[4] = Id(0x0101, 500);
    const int32_t score = Id(0x0101, 0), var3 = Id(0x0fff, 3);
    struct Case {
        int32_t a, op, b;
        int holds;
    };
    const Case cases[] = {
        {score, 0x10, 500, 1},
        {score, 0x10, 501, 0},
        {score, 0x11, 501, 1},
        {score, 0x11, 500, 0},
        {score, 0x20, 500, 1},
        {score, 0x20, 499, 0},
        {score, 0x21, 500, 0},
        {score, 0x21, 501, 1},
        {score, 0x30, 500, 1},
        {score, 0x30, 501, 0},
        {score, 0x31, 499, 1},
        {score, 0x31, 500, 0},
        {-3, 0x21, 2, 1},         // signed
        {var3, 0x10, var3, 1},    // both values through GetGameValue
        {var3, 0x40, 0x1000, 1},  // a single bit
        {var3, 0x40, 0x0800, 0},
        {var3, 0x41, 0x0800, 1},
        {var3, 0x41, 0x0004, 0},
        // The literal operators take the third field as it stands, even when it looks like a
        // value id: 0x12 compares with the number, not with the score.
        {Id(0x0fff, 4), 0x12, Id(0x0101, 500), 1},
        {Id(0x0fff, 4), 0x10, Id(0x0101, 500), 0},
        {score, 0x12, Id(0x0101, 0), 0},
        {score, 0x13, Id(0x0101, 0), 1},
        {score, 0x12, 500, 1},
        {score, 0x15, 500, 0},  // outside the table: never
        {score, 0x15, 0, 0},
        {score, 0, 500, 0},
        {score, -1, 500, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TestCondition(ConditionRecord{c.a, c.op, c.b, 0}), c.holds)
            << std::hex << c.a << " op " << c.op << " " << c.b;
}
