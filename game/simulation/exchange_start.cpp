// Exchange start: the messages of one exchange put on a control position's row, with the status
// the aircraft takes when the row has spoken them.
#include <algorithm>

#include "controller/controller.h"
#include "simulation/simulation_internal.h"

namespace {

ExchangeRow* Row(int position) {
    return position >= 0 && position < kExchangeRows ? &GetExchangeRows()[size_t(position)]
                                                     : nullptr;
}

// Queues the list (a negative number ends it; the message before a -1, or the fourth, is the
// last) and gives the row to the aircraft. A list without messages still gives it the row: the
// row machine ends such an exchange in its next step.
void PostMessages(int slot, int position, const int32_t (&list)[4], int32_t result) {
    ExchangeRow& row = *Row(position);
    // As a queued message does: a closing pause would otherwise end without handing the result.
    row.state = 0;
    row.timer = 0;
    for (int i = 0; i < 4; ++i) {
        const int32_t m = list[i];
        const int32_t next = i < 3 ? list[i + 1] : -1;
        if (m < 0) break;
        const uint32_t kind = next == -1 ? kExchangeLast : kExchangeMore;
        SetExchangeMessage(i, position, MakeExchangeMessage(m, kind, slot));
        if (next == -1) break;
    }
    row.result = result + 1;
    row.aircraft = slot + 1;
    AircraftAt(slot)->talking = 1;
}

bool RowFree(int slot, int position) {
    const ExchangeRow* row = Row(position);
    return row && AircraftAt(slot) && row->aircraft == 0;
}

}  // namespace

int StartExchange(int slot, int position, int32_t result) {
    if (!RowFree(slot, position)) return 0;
    PostMessages(slot, position, AircraftAt(slot)->call.msg, result);
    return 1;
}

int StartStatusExchange(int slot, int position, int32_t result) {
    if (!RowFree(slot, position)) return 0;
    AircraftRecord& a = *AircraftAt(slot);
    const uint32_t instruction = StatusInstruction(a.status);
    // The exchange block (`emcode` and `emparam`) beats the airport's table.
    if (instruction == StatusInstruction(a.emcode)) {
        PostMessages(slot, position, a.emparam, result);
        return 1;
    }
    const ExchangeTable& table = GetExchangeTable();
    const int count = std::clamp(table.count, 0, kExchangeEntries);
    for (int i = 0; i < count; ++i) {
        const ExchangeTableEntry& e = table.entry[size_t(i)];
        if (StatusInstruction(e.code) != instruction) continue;
        PostMessages(slot, position, e.msg, result);
        return 1;
    }
    return 0;
}
