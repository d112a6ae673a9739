// The records the radio reads, made for one test: the aircraft and object tables, the airport,
// the three phrase blocks (filled from lists of messages) and the stage's weather.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "controller/controller.h"
#include "frame/frame.h"
#include "simulation/simulation.h"
#include "world/world.h"

struct Phrase {
    int n;
    int speaker;
    std::string text;
};

// A phrase table as the maker writes it: count, offsets, records; numbers not given are empty.
inline std::vector<uint8_t> PhraseTable(const std::vector<Phrase>& phrases) {
    int count = 0;
    for (const Phrase& p : phrases) count = std::max(count, p.n + 1);
    std::vector<uint8_t> t(4 + 4 * size_t(count), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) t[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    put32(0, uint32_t(count));
    const uint32_t empty = uint32_t(t.size());
    t.resize(t.size() + 5, 0);
    for (int n = 0; n < count; ++n) put32(4 + 4 * size_t(n), empty);
    for (const Phrase& p : phrases) {
        put32(4 + 4 * size_t(p.n), uint32_t(t.size()));
        t.resize(t.size() + 4);
        put32(t.size() - 4, uint32_t(p.speaker));
        t.insert(t.end(), p.text.begin(), p.text.end());
        t.push_back(0);
    }
    return t;
}

class RadioWorld {
  public:
    RadioWorld()
        : aircraft_(std::make_unique<AircraftTable>()),
          objects_(std::make_unique<ObjectTable>()),
          airport_(std::make_unique<AirportRecord>()) {
        std::memset(aircraft_.get(), 0, sizeof(AircraftTable));
        std::memset(objects_.get(), 0, sizeof(ObjectTable));
        std::memset(airport_.get(), 0, sizeof(AirportRecord));
        SetAircraftTable(aircraft_.get());
        SetObjectTable(objects_.get());
        SetAirportRecord(airport_.get());
        for (int i = 0; i < kPhraseBlocks; ++i) {
            blocks_[i].assign(kPhraseBlockSize, 0);
            SetPhraseBlock(i, blocks_[i].data());
        }
        for (AircraftRecord& a : *aircraft_) a.spot = -1;
        GetStageWeather() = StageWeather{};
    }
    ~RadioWorld() {
        SetAircraftTable(nullptr);
        SetObjectTable(nullptr);
        SetAirportRecord(nullptr);
        for (int i = 0; i < kPhraseBlocks; ++i) SetPhraseBlock(i, nullptr);
    }
    RadioWorld(const RadioWorld&) = delete;
    RadioWorld& operator=(const RadioWorld&) = delete;

    AircraftRecord& A(int slot) { return (*aircraft_)[size_t(slot)]; }
    ObjectRecord& O(int slot) { return (*objects_)[size_t(slot)]; }
    AirportRecord& Port() { return *airport_; }

    // English messages (with their speaker words), Japanese ones, announcements.
    void English(const std::vector<Phrase>& p) { Fill(PHRASE_ENGLISH, p); }
    void Japanese(const std::vector<Phrase>& p) { Fill(PHRASE_JAPANESE, p); }
    void Announcements(const std::vector<Phrase>& p) { Fill(PHRASE_ANNOUNCE, p); }

  private:
    void Fill(int which, const std::vector<Phrase>& p) {
        const std::vector<uint8_t> t = PhraseTable(p);
        SetPhraseBytes(which, t.data(), int(t.size()));
    }
    std::unique_ptr<AircraftTable> aircraft_;
    std::unique_ptr<ObjectTable> objects_;
    std::unique_ptr<AirportRecord> airport_;
    std::vector<char> blocks_[kPhraseBlocks];
};

template <size_t N>
void SetText(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::memcpy(field, text, std::min(N, std::strlen(text)));
}
