// Aircraft scripts run on the simulation's test stage with fake services: every call the
// opcodes make is written to a log ("pushExchange 1 0x70200") and answered as the test says;
// scripts are made from their source form and placed into the aircraft's buffer.
#pragma once

#include <cstdarg>
#include <map>

#include "sim_fixture.h"
#include "simulation/script_ops.h"

namespace scripttest {

struct Fakes {
    std::vector<std::string> log;
    std::map<std::string, std::vector<uint8_t>> files;  // scripts by name
    int exchangeAccepts = 1;                            // pushExchangeMessage
    int groundEventResult = 1;
    int modelPartResult = 1;
    int voiceBytes = 0;
    int voiceExists = 0;
    int menuIndex = -1;  // addMenuItem's answer
    MenuItem menu[4] = {};
    std::vector<std::string> faults;
    std::vector<std::string> warnings;
};
inline Fakes& F() {
    static Fakes f;
    return f;
}
inline void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline void Log(const char* format, ...) {
    char line[512];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    F().log.push_back(line);
}

// The wind test as the pilot requests define it, on the stage's weather.
inline int WindOk(int heading, int minimum) {
    const StageWeather& w = GetStageWeather();
    const int d = std::abs(w.winddir - heading);
    return w.windspeed > minimum && (d < 51 || d > 309);
}

inline const ScriptServices& FakeServices() {
    static const ScriptServices s = {
        [](const char* name) { return int(F().files.count(name)); },
        [](const char* name, uint8_t* buffer, int size, int* got) {
            auto it = F().files.find(name);
            if (it == F().files.end()) return 0;
            const size_t n = std::min(it->second.size(), size_t(size));
            std::memcpy(buffer, it->second.data(), n);
            *got = int(n);
            return 1;
        },
        [](const char* path) {
            Log("fileExists %s", path);
            return F().voiceExists;
        },
        [](const char* text) { F().warnings.push_back(text); },
        [](const char* line) { F().faults.push_back(line); },
        [](int slot, int amount) { Log("addStress %d %d", slot, amount); },
        [](int slot, int points, int kind) { Log("addScore %d %d %d", slot, points, kind); },
        [](int slot, const char* text) { Log("addStripMemo %d %s", slot, text); },
        [](int slot, int n) { Log("setStripRunwayMemo %d %d", slot, n); },
        [](int slot) { Log("drawStripCallsign %d", slot); },
        [](int slot) { Log("drawRadarLabel %d", slot); },
        [](int slot) { Log("clearRadarLabel %d", slot); },
        [](int slot) { Log("buildCommandMenu %d", slot); },
        [](int slot) { Log("drawFlightInfo %d", slot); },
        []() { Log("clearCommandMenu"); },
        [](int code, int aircraft, int column) {
            Log("addMenuItem %#x %d %d", code, aircraft, column);
            return F().menuIndex;
        },
        [](int index) { return index >= 0 && index < 4 ? &F().menu[index] : nullptr; },
        [](int slot, int status) { Log("propagateStatus %d %#x", slot, status); },
        [](int position, uint32_t code) {
            Log("pushExchange %d %#x", position, code);
            return F().exchangeAccepts;
        },
        [](int slot, int item, int status, int m1, int m2, int m3, int m4) {
            Log("pushRadioMessage %d %#x %#x %d %d %d %d", slot, item, status, m1, m2, m3, m4);
        },
        [](int slot, int item, int status, int m1, int m2, int m3, int m4, int extra,
           const char* text) {
            Log("pushRadioText %d %#x %#x %d %d %d %d %d %s", slot, item, status, m1, m2, m3, m4,
                extra, text);
        },
        [](int x, int y, const char* text, int seconds) {
            Log("drawRadioText %d %d %s %d", x, y, text, seconds);
            SetRadioTextCountdown(seconds > 0 ? seconds * 30 : seconds);
        },
        GetRadioTextCountdown,
        SetRadioTextCountdown,
        [](int slot, int code, const char* name) {
            Log("checkRunwayWind %d %#x %s", slot, code, name);
        },
        WindOk,
        [](int slot, int code, int p1, int p2, int p3, int p4) {
            Log("declareEmergency %d %#x %d %d %d %d", slot, code, p1, p2, p3, p4);
        },
        [](int slot, int code) {
            Log("groundEvent %d %d", slot, code);
            return F().groundEventResult;
        },
        [](int slot, int code) {
            Log("setModelPart %d %#x", slot, code);
            return F().modelPartResult;
        },
        [](const char* file, const tagKRN3D*) {
            Log("playEffectWave %s", file);
            return 0;
        },
        [](const char* file) {
            Log("playOneShotWave %s", file);
            return 1;
        },
        [](const char* file) {
            Log("playVoice %s", file);
            return F().voiceBytes;
        },
        [](const FlightRecord& r, int from, int delay) {
            Log("createAircraft %d %d %d %d %d %d %d %d %s %s %s %d %d %d %d %d %d %s %d %d",
                r.time, r.id, r.x, r.z, r.feet, r.knots, r.heading, r.flight, r.airline, r.type,
                r.port, r.livery, r.schedule, r.sched, r.kind, r.flags, r.plan, r.script, from,
                delay);
            return 1;
        },
        [](ReadyRecord& r, int from, int delay) {
            Log("createAircraftById %d %d %d %d %d %d [%s] %d %s %d %d", r.time, r.id, r.flight,
                r.quantity, r.kind, r.status, r.port, r.plan, r.script, from, delay);
            return 1;
        },
    };
    return s;
}

// A UTF-8 source text (the tests' other literals are made Shift-JIS).
inline std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// The bytes of a script source; the test fails on an error.
inline std::vector<uint8_t> Made(const std::string& source) {
    std::vector<uint8_t> bytes;
    std::vector<ScriptError> errors;
    MakeScript(source, &bytes, &errors);
    for (const ScriptError& e : errors) ADD_FAILURE() << e.line << ": " << e.text;
    return bytes;
}

class ScriptCase : public simtest::SimCase {
  protected:
    ScriptCase() : buffers_(kAircraftSlots, std::vector<uint8_t>(kScriptBufferSize, 0)) {
        F() = Fakes{};
        SetRadioTextCountdown(0);
        SetScriptServices(&FakeServices());
        for (int i = 0; i < kAircraftSlots; ++i) {
            A(i).script = buffers_[size_t(i)].data();
            A(i).scriptpos = -1;
            A(i).leader = A(i).linkedto = -1;
        }
        ResetScriptState();
    }
    ~ScriptCase() override { SetScriptServices(nullptr); }

    // An aircraft in play in `slot` with `id`.
    AircraftRecord& Air(int slot, int id) {
        A(slot).used = 1;
        A(slot).id = id;
        O(slot).used = 1;
        return A(slot);
    }
    // Places the script of `source` into the aircraft (name `name`).
    void Run(int slot, const std::string& source, const char* name = "test") {
        const std::vector<uint8_t> bytes = Made(source);
        ASSERT_EQ(PlaceScript(slot, bytes.data(), bytes.size(), name), 1);
    }
    void Ticks(int slot, int n) {
        for (int k = 0; k < n; ++k) RunAircraftScript(slot);
    }
    static std::vector<std::string>& Log() { return F().log; }
    static bool Logged(const std::string& line) {
        return std::find(Log().begin(), Log().end(), line) != Log().end();
    }

  private:
    std::vector<std::vector<uint8_t>> buffers_;
};

}  // namespace scripttest
