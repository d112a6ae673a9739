// A stage for the tests of instructions, requests and exchange starts: the simulation's tables
// (sim_fixture.h) with idle radio rows, empty wait lists, an exchange table the test fills, a
// SID table, and the ground-support owner words free; the ground events are the real ones.
#pragma once

#include <string>
#include <vector>

#include "controller/controller.h"
#include "sim_fixture.h"

namespace simtest {

class OrdersCase : public SimCase {
  protected:
    OrdersCase() : sids_(new SidTable()) {
        std::memset(sids_.get(), 0, sizeof(SidTable));
        SetSidTable(sids_.get());
        ResetRadio();
        GetExchangeTable() = ExchangeTable{};
        GetRouteTable() = RouteTable{};
        for (AircraftRecord& a : *GetAircraftTable()) {
            a.spot = -1;
            a.linkedto = -1;
        }
    }
    ~OrdersCase() override {
        ResetRadio();
        GetExchangeTable() = ExchangeTable{};
        SetSidTable(nullptr);
    }
    static void ResetRadio() {
        for (ExchangeRow& r : GetExchangeRows()) {
            r = ExchangeRow{};
            r.scroll = -1;
        }
        GetWaitLists() = ExchangeWaitList{};
        GetListenOrder() = ListenOrder{};
    }
    // An aircraft in play in `slot` with its object in use.
    // An aircraft in play in `slot` with its object in use; with `strip` it holds a strip (for
    // its memos), taken before the calls are watched.
    AircraftRecord& Plane(int slot, bool strip = false) {
        AircraftRecord& a = A(slot);
        a.used = 1;
        a.id = 100 + slot;
        O(slot).used = 1;
        if (strip && !HoldsStrip(slot)) {
            DrawStrip(slot);
            Watched().strip[slot] = true;
        }
        return a;
    }
    static void AddExchange(int32_t code, std::vector<int32_t> msg, int32_t next = 0) {
        ExchangeTable& t = GetExchangeTable();
        ExchangeTableEntry& e = t.entry[t.count++];
        e.code = code;
        e.next = next;
        for (int i = 0; i < 4; ++i) e.msg[i] = i < int(msg.size()) ? msg[size_t(i)] : -1;
    }
    static ExchangeRow& Row(int position) { return GetExchangeRows()[size_t(position)]; }
    // Whether the aircraft waits in the position's list.
    static bool Waits(int position, int slot) {
        for (int32_t e : GetWaitLists()[size_t(position)])
            if (e == slot + 1) return true;
        return false;
    }
    // The calls made: the ground events in their order, then what the controller shows anew.
    std::vector<std::string> Effects() const {
        std::vector<std::string> out = GroundCalls();
        for (const std::string& c : ControllerChanges()) out.push_back(c);
        return out;
    }
    // A list of calls in the same order: its ground events first.
    static std::vector<std::string> GroundFirst(std::vector<std::string> calls) {
        std::stable_partition(calls.begin(), calls.end(),
                              [](const std::string& c) { return c.rfind("GroundEvent", 0) == 0; });
        return calls;
    }
    // A model part of the aircraft's body that the test can watch.
    tagKRNL* Part(const char* name) { return KRNL_CreateLayer(Handles().root, name); }

  private:
    std::unique_ptr<SidTable> sids_;
};

}  // namespace simtest
