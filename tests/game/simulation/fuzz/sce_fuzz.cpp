// Fuzz target of the aircraft move script: any bytes as a script. They list in the source form
// and make again into the same bytes; then they run for 3000 ticks on an aircraft at the sample
// airport beside a second one, with fake services that accept or refuse by the input's bytes
// (the radio queue, the menu, sounds, events and creations) and serve the input again as the
// script "fuzz". Each tick and aircraft runs, in the order of the aircraft update without its
// phases, the script, the pending pilot request and the instruction of the status word: the
// radio's answers come from the input too (each control position free or busy for the tick's
// calls, an exchange heard or not, the result it hands over), over the sample airport's
// exchange table. The script's position stays -1 or inside the loaded bytes, on a word.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "controller/controller.h"
#include "simulation/script_ops.h"
#include "simulation/simulation.h"
#include "world/airportfiles.h"
#include "world/world.h"
#include "wynplat.h"

namespace {

constexpr int kTicks = 3000;

// The input's bytes, one after another, as the fakes' answers.
struct Answers {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t next = 0;
    // Each pass over the input reads the next bit of its bytes, so that answers do not repeat
    // with the input's length.
    int Yes() {
        if (!size) return 1;
        const size_t i = next++;
        return (data[i % size] >> ((i / size) % 8)) & 1;
    }
};
Answers g_answers;
const uint8_t* g_input = nullptr;
size_t g_inputsize = 0;
int g_countdown = 0;
MenuItem g_menu[2] = {};

int Yes() { return g_answers.Yes(); }

const ScriptServices kFakes = {
    [](const char* name) { return int(std::strcmp(name, "fuzz") == 0); },
    [](const char* name, uint8_t* buffer, int size, int* got) {
        if (std::strcmp(name, "fuzz") != 0 || !Yes()) return 0;
        const size_t n = g_inputsize < size_t(size) ? g_inputsize : size_t(size);
        if (n) std::memcpy(buffer, g_input, n);
        *got = int(n);
        return 1;
    },
    [](const char*) { return Yes(); },
    [](const char*) {},
    [](const char*) {},
    [](int, int) {},
    [](int, int, int) {},
    [](int, const char*) {},
    [](int, int) {},
    [](int) {},
    [](int) {},
    [](int) {},
    [](int) {},
    [](int) {},
    []() {},
    [](int, int, int) { return Yes() ? int(g_answers.next % 3) - 1 : -1; },
    [](int index) { return index >= 0 && index < 2 ? &g_menu[index] : nullptr; },
    [](int, int) {},
    [](int, uint32_t) { return Yes(); },
    [](int, int, int, int, int, int, int) {},
    [](int, int, int, int, int, int, int, int, const char* text) {
        if (std::strlen(text) > size_t(kScriptMaxBytes)) std::abort();
    },
    [](int, int, const char*, int seconds) {
        g_countdown =
            seconds > 0 ? int(std::min<int64_t>(int64_t(seconds) * 30, INT32_MAX)) : seconds;
    },
    []() { return g_countdown; },
    [](int ticks) { g_countdown = ticks; },
    [](int slot, int, const char* name) {
        if (Yes()) GetMoveScript(slot, name);
    },
    [](int, int) { return Yes(); },
    [](int, int, int, int, int, int) {},
    [](int, int) { return Yes(); },
    [](int, int) { return Yes(); },
    [](const char*, const tagKRN3D*) { return Yes() ? 0 : -1; },
    [](const char*) { return Yes(); },
    [](const char*) { return Yes() ? 22050 : 0; },
    [](const FlightRecord&, int, int) { return Yes(); },
    [](ReadyRecord&, int, int) { return Yes(); },
};

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

// The results an exchange hands over that the pilot requests know, beside any byte.
constexpr int32_t kResults[] = {
    0,  1,  2,  4,  9,  10, 11, 12,    13,    14,    15,    16,    18,    19,    20,    21,
    22, 23, 24, 26, 27, 29, 30, 0x100, 0x101, 0x102, 0x103, 0x104, 0x105, 0x400, 0x401, 0x402};

int Byte() {
    if (!g_answers.size) return 0;
    return g_answers.data[g_answers.next++ % g_answers.size];
}

// The control positions for this tick's calls: each row that no aircraft holds is free, or
// busy with a message of its own.
void Radio() {
    for (ExchangeRow& r : GetExchangeRows()) {
        if (r.aircraft != 0) continue;
        r.state = Yes() ? 1 : 0;
        std::memset(r.queue, 0, sizeof r.queue);
    }
}

// An exchange the aircraft waits on is heard (or not yet): its row is free again, and the
// row's result (or one the input picks: a result the requests know, or any byte) becomes the
// aircraft's pending request.
void Heard(int slot, AircraftRecord& a) {
    if (!a.talking || Yes()) return;
    int32_t request = 0;  // result + 1, as the row holds it
    for (ExchangeRow& r : GetExchangeRows()) {
        if (r.aircraft != slot + 1) continue;
        request = r.result;
        r = ExchangeRow{};
    }
    if (Yes()) {
        const int b = Byte();
        request = (b & 0x80 ? b - 0xc0 : kResults[size_t(b) % std::size(kResults)]) + 1;
    }
    a.talking = 0;
    a.request = request;
}

struct Stage {
    std::unique_ptr<AircraftTable> aircraft{new AircraftTable()};
    std::unique_ptr<ObjectTable> objects{new ObjectTable()};
    std::unique_ptr<AirportRecord> airport{new AirportRecord()};
    std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(kScriptBufferSize),
                                       std::vector<uint8_t>(kScriptBufferSize)};

    // The sample airport's record and routes, as the stage loads them.
    Stage() {
        const std::string port = std::string(WynPlat_ProgramDir()) + "/port/rjtt/";
        const std::vector<uint8_t> ad3 = ReadFile(port + "rjtt.ad3");
        ReadAirportImage(ad3.data(), ad3.size(), AIRPORT_AD3, airport.get());
        const std::vector<uint8_t> si2 = ReadFile(port + "etc/rjtt.si2");
        std::unique_ptr<SidTable> sids(new SidTable());
        ReadRouteFile(si2.data(), si2.size(), &GetRouteTable(), sids.get());
        const std::vector<uint8_t> dfa = ReadFile(port + "etc/rjtt.dfa");
        ReadExchangeFile(dfa.data(), dfa.size(), &GetExchangeTable());
        SetScriptServices(&kFakes);
    }

    void Run(const uint8_t* data, size_t size) {
        SetAircraftTable(aircraft.get());
        SetObjectTable(objects.get());
        SetAirportRecord(airport.get());
        std::memset(aircraft.get(), 0, sizeof(AircraftTable));
        std::memset(objects.get(), 0, sizeof(ObjectTable));
        ResetScriptState();
        for (int s = 0; s < 2; ++s) {
            AircraftRecord& a = (*aircraft)[size_t(s)];
            a.used = 1;
            a.id = s + 1;
            a.script = buffers[s].data();
            a.scriptpos = -1;
            a.leader = a.linkedto = -1;
            (*objects)[size_t(s)].used = 1;
            (*objects)[size_t(s)].pos = tagKRN3D{215.0 * s, 0, -180, 0};
        }
        for (ExchangeRow& r : GetExchangeRows()) r = ExchangeRow{};
        GetWaitLists() = ExchangeWaitList{};
        PlaceScript(0, data, size, "fuzz");
        for (int t = 0; t < kTicks; ++t) {
            Radio();
            for (int s = 0; s < 2; ++s) {
                AircraftRecord& a = (*aircraft)[size_t(s)];
                if (a.scriptpos != -1) RunAircraftScript(s);
                Heard(s, a);
                HandlePilotRequest(s);
                ExecuteInstruction(s);
                const bool inside =
                    a.scriptpos == -1 || (a.scriptpos >= 0 && a.scriptpos <= a.scriptlen &&
                                          a.scriptpos % 4 == 0 && a.scriptlen <= kScriptBufferSize);
                if (!inside) std::abort();
            }
            if (Yes()) SetMenuResult(int(g_answers.next & 0x7ff));
        }
        SetAircraftTable(nullptr);
        SetObjectTable(nullptr);
        SetAirportRecord(nullptr);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Stage stage;
    if (size > size_t(kScriptMaxBytes)) size = kScriptMaxBytes;
    // The listing makes the same bytes again.
    const std::string listing = ListScript(data, size);
    std::vector<uint8_t> again;
    std::vector<ScriptError> errors;
    if (!MakeScript(listing, &again, &errors) || again.size() != size ||
        (size && std::memcmp(again.data(), data, size) != 0))
        std::abort();
    g_input = data;
    g_inputsize = size;
    g_answers = Answers{data, size, 0};
    g_countdown = 0;
    stage.Run(data, size);
    return 0;
}
