// The fleet review's slots: ReadShip loads an entry's model into its slot from chip
// 5000 + 400 x slot, keeps its "plane" and landing lights and hides its ground parts; it empties
// the whole slot first (also what else a model's file put there); an empty entry or -1 leaves the
// slot empty; a model that does not load or has no "plane" is reported in a message box.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../krnlayer/layer_fixture.h"
#include "scenes.h"
#include "wynplat.h"

namespace fs = std::filesystem;

namespace {

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

class Fleet : public krnltest::LayerCase {
  protected:
    Fleet() : LayerCase(6200) {
        for (int s = 0; s < 3; ++s) {
            const std::string name = "ship" + std::to_string(s);
            FleetSlot(s) = ShipSlot{};
            FleetSlot(s).layer = KRNL_CreateLayer(master, name.c_str());
        }
        home = fs::current_path();
    }
    ~Fleet() override {
        fs::current_path(home);
        for (int s = 0; s < 3; ++s) FleetSlot(s) = ShipSlot{};
    }
    // How many engine chip slots of [from, to) are in use.
    int Used(int from, int to) const {
        int n = 0;
        for (int i = from; i < to; ++i) n += chips_[size_t(i)].mode != 0;
        return n;
    }
    fs::path home;
};

TEST_F(Fleet, EveryEntryLoadsIntoItsSlotWithItsParts) {
    // The program folder's models (the tests run there).
    for (int entry = 1; entry < FLEET_ENTRIES; ++entry) {
        if (!FleetShip(entry).model[0]) continue;
        const int slot = (entry + 2) % 3;
        ReadShip(slot, entry);
        const ShipSlot& k = FleetSlot(slot);
        ASSERT_NE(k.plane, nullptr) << FleetShip(entry).model;
        EXPECT_EQ(k.layer->layer, 1) << FleetShip(entry).model << ": one top layer";
        int chips = 0;
        KRNL_CountLayer(k.layer, nullptr, &chips, nullptr);
        EXPECT_GT(chips, 0);
        EXPECT_LE(chips, 400) << FleetShip(entry).model;
        EXPECT_EQ(Used(5000 + 400 * slot, 5400 + 400 * slot), chips) << FleetShip(entry).model;
        for (tagKRNL* light : {k.ldlightl, k.ldlightr, k.ldlightm})
            ASSERT_NE(light, nullptr) << FleetShip(entry).model;
        // The landing lights stand at their own places, the left one on the left.
        EXPECT_LT(k.leftat.x, 0) << FleetShip(entry).model;
        EXPECT_GT(k.rightat.x, 0) << FleetShip(entry).model;
        for (const char* part : {"shadow", "flapup", "revon", "brdoff"}) {
            if (tagKRNL* l = KRNL_SearchLayer(k.layer, part)) {
                EXPECT_EQ(l->sw, 0) << FleetShip(entry).model << " " << part;
            }
        }
    }
}

TEST_F(Fleet, TheWholeSlotIsEmptiedBeforeTheNextModel) {
    ReadShip(0, 1);
    ASSERT_NE(FleetSlot(0).plane, nullptr);
    // Something else under the slot, in its chips' range, as a model file may put there.
    tagKRNL* extra = KRNL_CreateLayer(FleetSlot(0).layer, "extra");
    ASSERT_NE(extra, nullptr);
    tagKRNCHIP chip;
    std::memset(&chip, 0, sizeof chip);
    chip.mode = KRNCHIP_SHOW;
    for (int i = 5250; i < 5400; ++i) KRN_SetChip(krn, i, &chip);
    KRNL_CaptureLayer(extra, 5250, 150);
    ReadShip(0, 11);  // a jumbo jet, the largest model
    ASSERT_NE(FleetSlot(0).plane, nullptr);
    EXPECT_EQ(FleetSlot(0).layer->layer, 1) << "only the new model";
    EXPECT_EQ(KRNL_SearchLayer(master, "extra"), nullptr);
    int chips = 0;
    KRNL_CountLayer(FleetSlot(0).layer, nullptr, &chips, nullptr);
    EXPECT_EQ(Used(5000, 5400), chips) << "the new model fits the slot's 400 chips";
    EXPECT_EQ(Used(5400, 6200), 0);

    for (int entry : {-1, 0, 30}) {
        ReadShip(0, entry);
        EXPECT_EQ(FleetSlot(0).plane, nullptr) << entry;
        EXPECT_EQ(FleetSlot(0).layer->layer, 0) << entry;
        EXPECT_EQ(Used(5000, 6200), 0) << entry;
    }
}

TEST_F(Fleet, AMissingModelOrPlaneIsReportedAndTheSlotStaysEmpty) {
    // A program folder whose YS-11 has no "plane" and whose A320 is missing.
    const char* base = std::getenv("WYN_RUNTIME_DIR");
    const fs::path dir = fs::path(base ? base : "/tmp") / "fleet";
    fs::remove_all(dir);
    fs::create_directories(dir / "airplane" / "YS11");
    std::ofstream(dir / "airplane" / "YS11" / "YS11ANK.plm")
        << "FileInformation{\n\t\"Korrin Layer 1.0\", \"x\", \"x\"\n}\nLayer{\n\tName{ \"YS11ANK\" "
           "}\n\tSwitch{ 1 }\n\tCount{ 1 }\n\tChip{\n\t\tNormal{ 0, 1, 0 }\n\t\tVertex{ 0, 0, 0, "
           "0, 0, 1, 1, 0, 0 }\n\t}\n}\n";
    fs::current_path(dir);
    struct Case {
        int entry;
        const char8_t* caption;
    };
    const Case cases[] = {{1, u8"レイヤの取得不可"}, {2, u8"シップの読み込み不可"}};
    for (const Case& c : cases) {
        const int boxes = WynPlat_MessageBoxCount();
        ReadShip(1, c.entry);
        EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << c.entry;
        char caption[128], text[256];
        ASSERT_TRUE(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text));
        EXPECT_EQ(caption, U8(c.caption)) << c.entry;
        EXPECT_NE(std::strstr(text, c.entry == 1 ? "YS11ANK.plm" : "A320ANK.plm"), nullptr) << text;
        EXPECT_EQ(FleetSlot(1).plane, nullptr) << c.entry;
    }
}

}  // namespace
