// Texture slots with a spy raster driver (it loads a slot when its path names an existing
// file): sharing and use counts, the reduced-texture order, full slots, and cells put into a
// view.
#include <cstring>

#include "engine_fixture.h"
#include "umb33.h"

namespace {

using krntest::EngineCase;
namespace fs = std::filesystem;

TEST_F(EngineCase, TexturesAreSharedByPathAndMaskWithUseCounts) {
    Touch("a.bmp");
    Touch("b.bmp");
    ASSERT_NE(Start(), nullptr);
    std::string a = System("a.bmp");
    DWORD_PTR h1 = KRN_ReadTexture(krn_, a.c_str(), 1);
    ASSERT_NE(h1, 0u);
    std::string upper = a;
    for (auto& ch : upper) ch = (char)std::toupper((unsigned char)ch);
    EXPECT_EQ(KRN_ReadTexture(krn_, upper.c_str(), 1), h1) << "paths compare without case";
    auto* slot = reinterpret_cast<tagKRNTEXTURE*>(h1);
    EXPECT_EQ(slot, &krn_->texture[0]) << "a handle is the slot's address";
    EXPECT_EQ(slot->count, 2);
    EXPECT_STREQ(slot->file, "a.bmp");
    DWORD_PTR h0 = KRN_ReadTexture(krn_, a.c_str(), 0);
    ASSERT_NE(h0, 0u);
    EXPECT_NE(h0, h1) << "another mask, another slot";
    DWORD_PTR hb = KRN_ReadTexture(krn_, System("b.bmp").c_str(), 0);

    tagKRNENUMTEXTURE rows[KRN_TEXTUREMAX];
    EXPECT_EQ(KRN_EnumTexture(krn_, nullptr), 3);
    ASSERT_EQ(KRN_EnumTexture(krn_, rows), 3);
    EXPECT_EQ(rows[1].htex, h0);
    EXPECT_EQ(rows[1].mask, 0);
    EXPECT_STREQ(rows[2].file, "b.bmp");

    KRN_ChangeTexture(krn_, h0, hb);
    EXPECT_STREQ(reinterpret_cast<tagKRNTEXTURE*>(h0)->file, "b.bmp") << "swapped whole";
    KRN_ChangeTexture(krn_, hb, h0);

    Spy_Clear();
    EXPECT_EQ(KRN_DeleteTexture(krn_, h1), 1);
    EXPECT_TRUE(Lines("ACC_DELETETEXTURE").empty()) << "still used once";
    EXPECT_EQ(slot->count, 1);
    EXPECT_EQ(KRN_DeleteTexture(krn_, h1), 1);
    EXPECT_EQ(Lines("ACC_DELETETEXTURE 0").size(), 1u);
    EXPECT_EQ(slot->path[0], 0) << "the slot is free";
    EXPECT_EQ(KRN_DeleteTexture(krn_, h1), 0);
    EXPECT_EQ(KRN_DeleteTexture(krn_, 12345), 0) << "not a slot";
    EXPECT_EQ(KRN_ReadTexture(krn_, a.c_str(), 1), h1) << "the first free slot is used again";
}

struct SmallCase {
    const char* name;
    const char* small;      // [TEXTURE] SMALL
    const char* emulation;  // [MODE] EMULATION
    bool plain, reduced;    // tree.bmp, tree256.bmp present
    const char* loads;      // the files asked of the driver, in order
    bool loaded;
};
const SmallCase kSmall[] = {
    {"full size", "0", "hard", true, true, "tree.bmp ok", true},
    {"full size missing", "0", "hard", false, true, "tree.bmp failed, tree256.bmp ok", true},
    {"small", "1", "hard", true, true, "tree256.bmp ok", true},
    {"small missing", "1", "hard", true, false, "tree256.bmp failed, tree.bmp ok", true},
    {"small in soft mode", "1", "soft", true, true, "tree.bmp ok", true},
    {"small in SOFT mode", "1", "SOFT", true, true, "tree256.bmp ok", true},
    {"neither", "1", "hard", false, false, "tree256.bmp failed, tree.bmp failed", false},
};

TEST_F(EngineCase, SmallTextureFallbackOrder) {
    for (const auto& c : kSmall) {
        fs::remove(dir_ / "tree.bmp");
        fs::remove(dir_ / "tree256.bmp");
        if (c.plain) Touch("tree.bmp");
        if (c.reduced) Touch("tree256.bmp");
        Ini("TEXTURE", "SMALL", c.small);
        Ini("MODE", "EMULATION", c.emulation);
        ASSERT_NE(Start(), nullptr) << c.name;
        Spy_Clear();
        std::string path = System("tree.bmp");
        DWORD_PTR h = KRN_ReadTexture(krn_, path.c_str(), 0);
        EXPECT_EQ(h != 0, c.loaded) << c.name;
        std::string loads;
        for (auto& l : Lines("ACC_LOADTEXTURE")) {
            size_t slash = l.find_last_of("\\");
            loads += (loads.empty() ? "" : ", ") + l.substr(slash + 1);
        }
        EXPECT_EQ(loads, c.loads) << c.name;
        if (h) {
            EXPECT_EQ(reinterpret_cast<tagKRNTEXTURE*>(h)->path, path)
                << c.name << ": the path as requested";
        }
        End();
    }
}

TEST_F(EngineCase, AllFiveHundredSlotsFull) {
    for (int i = 0; i <= KRN_TEXTUREMAX; ++i) Touch(("t" + std::to_string(i) + ".bmp").c_str());
    ASSERT_NE(Start(), nullptr);
    for (int i = 0; i < KRN_TEXTUREMAX; ++i)
        ASSERT_NE(
            KRN_ReadTexture(krn_, System(("t" + std::to_string(i) + ".bmp").c_str()).c_str(), 0),
            0u)
            << i;
    int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(KRN_ReadTexture(krn_, System("t500.bmp").c_str(), 0), 0u);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes) << "full slots are no message";
    EXPECT_NE(KRN_ReadTexture(krn_, System("t7.bmp").c_str(), 0), 0u) << "a shared one still comes";
    EXPECT_EQ(KRN_EnumTexture(krn_, nullptr), KRN_TEXTUREMAX);
    Spy_Clear();
    End();
    EXPECT_EQ(Lines("ACC_DELETETEXTURE").size(), (size_t)KRN_TEXTUREMAX)
        << "every slot released at the end";
}

TEST_F(EngineCase, TextureFailuresAreReported) {
    Touch("big.bmp");
    ASSERT_NE(Start(), nullptr);
    int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(KRN_ReadTexture(krn_, System("none.bmp").c_str(), 0), 0u);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 2)
        << "the reduced-texture notice and the missing file";
    char caption[64], text[512];
    WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text);
    EXPECT_STREQ(caption, "KORRIN 3D");
    Spy_Fail("acc_dexo.dll ACC_LOADTEXTURE");
    boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(KRN_ReadTexture(krn_, System("big.bmp").c_str(), 0), 0u);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << "the memory message, once";
    WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text);
    EXPECT_STREQ(caption, "big") << "captioned with the file's stem";
    EXPECT_EQ(KRN_ReadTexture(krn_, System("big.bmp").c_str(), 0), 0u);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    EXPECT_EQ(KRN_EnumTexture(krn_, nullptr), 0) << "failed slots stay free";
}

struct PutCase {
    int x, y;
    RECT* src;
    int result;
    const char* call;
};
RECT kPart{10, 10, 60, 40};
const PutCase kPut[] = {
    {-20, -10, nullptr, 1, "at 0,0 from 20,10,100,100"},
    {600, 450, nullptr, 1, "at 600,450 from 0,0,40,30"},
    {640, 0, nullptr, 0, ""},
    {-100, 0, nullptr, 0, ""},
    {5, 5, &kPart, 1, "at 15,15 from 10,10,60,40"},
    {-12, 0, &kPart, 1, "at 0,10 from 12,10,60,40"},
};

TEST_F(EngineCase, PutScreenCutsTheCellToTheView) {
    ASSERT_NE(Start(), nullptr);
    RECT rc{0, 0, 640, 480};
    KRN_ViewPort(krn_, 0, reinterpret_cast<HWND>(1), &rc);
    tagCELL cell;
    std::memset(&cell, 0, sizeof cell);
    cell.xsize = 100;
    cell.ysize = 100;
    for (const auto& c : kPut) {
        Spy_Clear();
        EXPECT_EQ(KRN_PutScreen(krn_, 0, c.x, c.y, &cell, c.src), c.result) << c.x << "," << c.y;
        auto l = Lines("ACC_PUTSCREEN");
        if (c.result) {
            ASSERT_EQ(l.size(), 1u) << c.x << "," << c.y;
            EXPECT_EQ(l[0], std::string("acc_dexo.dll ACC_PUTSCREEN 0 ") + c.call)
                << c.x << "," << c.y;
        } else {
            EXPECT_TRUE(l.empty()) << c.x << "," << c.y;
        }
    }
    Spy_Clear();
    RECT part{100, 100, 200, 150};
    EXPECT_EQ(KRN_GetScreen(krn_, &cell, 0, 0, 0, &part), 1);
    EXPECT_EQ(Lines("ACC_GETSCREEN")[0], "acc_dexo.dll ACC_GETSCREEN 0 at 100,100 into 0,0,100,50");
    EXPECT_EQ(KRN_GetScreen(krn_, &cell, 0, 0, 11, nullptr), 0);
}

}  // namespace
