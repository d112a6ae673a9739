// Value files: the layout byte for byte, round trips of every type, skipping, counting,
// appending, the string key, unknown chunks, and damaged files refused without leaks.
#include <gtest/gtest.h>

#include <vector>

#include "scratch.h"
#include "umb33.h"
#include "vsk_test_support.h"
#include "vskfile.h"
#include "vsktask.h"

using namespace vsktest;

namespace {

using Chunk = std::pair<std::string, std::vector<uint8_t>>;

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

std::vector<uint8_t> ValueFile(const std::vector<Chunk>& chunks, bool end = true) {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'V', 'V', 'F', 'G'};
    for (const auto& [tag, data] : chunks) {
        out.insert(out.end(), tag.begin(), tag.end());
        Put32(out, uint32_t(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }
    if (end) out.insert(out.end(), {'E', 'N', 'D', ' ', 0, 0, 0, 0});
    uint32_t size = uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = uint8_t(size >> (8 * i));
    return out;
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> v;
    for (uint32_t w : words) Put32(v, w);
    return v;
}

class Slots {
  public:
    explicit Slots(tagVALUAREA* ctx) : ctx_(ctx) {}
    ~Slots() {
        for (tagVALUE& v : v_) VSKFAQ_Clear(ctx_, &v);
    }
    tagVALUE& operator[](int i) { return v_[i]; }
    const tagVALUEBLOCK* block() const { return &block_; }

  private:
    tagVALUAREA* ctx_;
    tagVALUE v_[16] = {};
    tagVALUEBLOCK block_{v_, 16, 0};
};

std::string Show(tagVALUAREA* ctx, tagVALUE v) {
    char text[2100];
    VSKVAL_DisplayValue(ctx, &v, text, sizeof text);
    return text;
}

TEST(VskValueFiles, TheLayoutByteForByte) {
    Context ctx;
    Scratch s;
    Slots v(ctx);
    v[0] = Num(ctx, "1.5");
    VSKRAQ_Rect(ctx, &v[1], 0, 0, 10, 10);
    v[2] = Str(ctx, "ab");
    std::string name = s.Sys("values.vvf");
    ASSERT_EQ(VSKFILE_WriteFAQ(ctx, name.c_str(), v.block(), 0, 0, 4), 4);
    std::vector<uint8_t> want = ValueFile({{"NUM ", Words({1, 500000000})},
                                           {"RECT", Words({0, 0, 10, 10})},
                                           {"STR ", {0x05, 0x64, 0x62, 0x06, 0x00, 0x06}},
                                           {"NULL", {}}});
    EXPECT_EQ(s.Get("VALUES.VVF"), want);
    EXPECT_EQ(VSKFILE_CountFAQ(ctx, name.c_str()), 4);

    Slots back(ctx);
    EXPECT_EQ(VSKFILE_ReadFAQ(ctx, name.c_str(), back.block(), 3, 1, 10), 3);
    EXPECT_EQ(Show(ctx, back[3]), "{0,0,10,10}");
    EXPECT_EQ(Show(ctx, back[4]), "\"ab\"");
    EXPECT_EQ(back[5].mode, VSK_MODE_EMPTY);
    EXPECT_EQ(back[6].mode, VSK_MODE_EMPTY);
}

TEST(VskValueFiles, EveryTypeRoundTrips) {
    Context ctx;
    Scratch s;
    Slots v(ctx);
    v[0] = Num(ctx, "-999999999.000000001");
    VSKRAQ_Rect(ctx, &v[1], -1, 2, -3, 40000);
    v[2] = Str(ctx, "\x82\xA0text\x82\xA2");
    auto* cell = static_cast<tagCELL*>(VSKTASK_AllocMemory(nullptr, sizeof(tagCELL)));
    UMBDLL_CreateCell(cell, 3, 2);
    for (int i = 0; i < 6; ++i) cell->bits[i] = ZEMPIXEL(0x8001 + i * 0x1111);
    cell->xpos = 7;
    cell->yoffset = -2;
    cell->mask = 0x1F;
    cell->user = 0xABCD;
    VskSetCaq(&v[3], cell);
    auto* memory = static_cast<BYTE*>(VSKTASK_AllocMemory(nullptr, 6));
    std::memcpy(memory, "\0\1\2\3\4\5", 6);
    VskSetMaq(&v[4], memory, 6, 3);
    v[5].mode = VSK_MODE_POINTER;  // kept as an empty value
    v[6] = Str(ctx, "");
    std::string name = s.Sys("all.vvf");
    ASSERT_EQ(VSKFILE_WriteFAQ(ctx, name.c_str(), v.block(), 0, 0, 7), 7);

    Slots back(ctx);
    back[0] = Str(ctx, "released before the read");
    ASSERT_EQ(VSKFILE_ReadFAQ(ctx, name.c_str(), back.block(), 0, 0, 7), 7);
    EXPECT_EQ(Text(ctx, back[0]), "-999999999.000000001");
    EXPECT_EQ(Show(ctx, back[1]), "{-1,2,-3,40000}");
    EXPECT_EQ(Bytes(ctx, back[2]), "\x82\xA0text\x82\xA2");
    const tagCELL* c = VskCaqCell(&back[3]);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->mode, 15u);
    EXPECT_EQ(c->xsize, 3);
    EXPECT_EQ(c->ysize, 2);
    EXPECT_EQ(c->xpos, 7);
    EXPECT_EQ(c->yoffset, -2);
    EXPECT_EQ(c->mask, 0x1F);
    EXPECT_EQ(c->user, 0xABCDu);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, c->bits), 12u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(c->bits[i], ZEMPIXEL(0x8001 + i * 0x1111)) << i;
    EXPECT_EQ(VskMaqSize(&back[4]), 6);
    EXPECT_EQ(VskMaqOffset(&back[4]), 0);
    EXPECT_EQ(std::memcmp(VskMaqMemory(&back[4]), "\0\1\2\3\4\5", 6), 0);
    EXPECT_EQ(back[5].mode, VSK_MODE_EMPTY);
    EXPECT_EQ(back[6].mode, VSK_MODE_STRING);
    EXPECT_EQ(VskSaqLength(&back[6]), 0);
}

TEST(VskValueFiles, AppendingCountingAndTheRuleThatFilesAreOnlyAppendedTo) {
    Context ctx;
    Scratch s;
    Slots v(ctx);
    for (int i = 0; i < 3; ++i) VSKFAQ_Number(ctx, &v[i], 1, i + 1, 0);
    std::string name = s.Sys("grow.vvf");
    ASSERT_EQ(VSKFILE_WriteFAQ(ctx, name.c_str(), v.block(), 0, 0, 3), 3);
    std::vector<uint8_t> three = s.Get("GROW.VVF");
    EXPECT_EQ(VSKFILE_WriteFAQ(ctx, name.c_str(), v.block(), 0, 0, 2), 0);
    EXPECT_EQ(VSKFILE_WriteFAQ(ctx, name.c_str(), v.block(), 0, 2, 2), 0);
    EXPECT_EQ(s.Get("GROW.VVF"), three);
    ASSERT_EQ(VSKFILE_WriteFAQ(ctx, name.c_str(), v.block(), 0, -1, 2), 2);
    EXPECT_EQ(VSKFILE_CountFAQ(ctx, name.c_str()), 5);
    std::vector<uint8_t> five = s.Get("GROW.VVF");
    EXPECT_EQ(five.size(), three.size() + 2 * 16);
    EXPECT_EQ(five[4] | five[5] << 8, int(five.size()) - 8);
    Slots back(ctx);
    EXPECT_EQ(VSKFILE_ReadFAQ(ctx, name.c_str(), back.block(), 0, 2, 10), 3);
    EXPECT_EQ(Text(ctx, back[0]), "3");
    EXPECT_EQ(Text(ctx, back[1]), "1");
    EXPECT_EQ(Text(ctx, back[2]), "2");
    // Skipping past the end reads nothing.
    EXPECT_EQ(VSKFILE_ReadFAQ(ctx, name.c_str(), back.block(), 0, 5, 1), 0);
    // A slot outside the block: nothing is written at all.
    Boxes boxes;
    EXPECT_EQ(VSKFILE_WriteFAQ(ctx, s.Sys("never.vvf").c_str(), v.block(), 15, 0, 2), 0);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(VSKFILE_Exist(nullptr, s.Sys("never.vvf").c_str()), 0);
}

TEST(VskValueFiles, AStringOf127UnitsIsScrambledWithKey255) {
    Context ctx;
    Scratch s;
    Slots v(ctx);
    v[0] = Str(ctx, std::string(127, 'k').c_str());
    ASSERT_EQ(VSKFILE_WriteFAQ(ctx, s.Sys("key.vvf").c_str(), v.block(), 0, 0, 1), 1);
    std::vector<uint8_t> file = s.Get("KEY.VVF");
    ASSERT_EQ(file.size(), 12u + 8 + 256 + 8);
    EXPECT_EQ(file[16] | file[17] << 8, 256);
    std::vector<uint8_t> data(file.begin() + 20, file.begin() + 276);
    VSKFILE_UnlockCode(data.data(), 256, 255);
    for (int i = 0; i < 127; ++i) ASSERT_EQ(data[2 * i] | data[2 * i + 1] << 8, 'k') << i;
    EXPECT_EQ(data[254] | data[255], 0);
}

TEST(VskValueFiles, AnUnknownChunkIsPassedOverWithItsMessage) {
    Context ctx;
    Scratch s;
    s.Put("mixed.vvf",
          ValueFile({{"NUM ", Words({2, 0})}, {"ABCD", {1, 2, 3}}, {"NUM ", Words({3, 0})}}));
    Slots back(ctx);
    Boxes boxes;
    EXPECT_EQ(VSKFILE_ReadFAQ(ctx, s.Sys("mixed.vvf").c_str(), back.block(), 0, 0, 5), 2);
    EXPECT_EQ(Text(ctx, back[0]), "2");
    EXPECT_EQ(back[1].mode, VSK_MODE_EMPTY);
    EXPECT_EQ(Text(ctx, back[2]), "3");
    auto all = boxes.All();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].caption, U8(u8"『Veskeran33』ファイルマネージャ(VSKFILE.DLL）"));
    EXPECT_EQ(all[0].text, U8(u8"未定義のデータ形式です。(Block=1, Name=ABCD)"));
    EXPECT_EQ(VSKFILE_CountFAQ(ctx, s.Sys("mixed.vvf").c_str()), 3);
}

std::vector<uint8_t> LockedString(std::vector<uint8_t> plain) {
    DWORD n = DWORD(plain.size());
    VSKFILE_LockCode(plain.data(), n, (n & 0xFF) ? int(n & 0xFF) : 255);
    return plain;
}

TEST(VskValueFiles, DamagedChunksFailTheReadAndLeaveNothingAllocated) {
    Context ctx;
    Scratch s;
    std::vector<uint8_t> longString(2002, 'a');
    longString[2000] = longString[2001] = 0;
    std::vector<uint8_t> cellHead = Words({15, 2, 2, 0, 0, 0, 0, 0, 0, 0});
    std::vector<uint8_t> negative = Words({15, uint32_t(-1), uint32_t(-2), 0, 0, 0, 0, 0, 0, 0});
    negative.resize(44);
    std::vector<uint8_t> shortCell = cellHead;
    shortCell.resize(39);
    std::vector<uint8_t> wrongCell = cellHead;
    wrongCell.resize(40 + 6);
    struct Case {
        const char* what;
        Chunk bad;
    };
    const Case kCases[] = {
        {"string above 2000 bytes", {"STR ", LockedString(longString)}},
        {"string of odd size", {"STR ", LockedString({'a', 0, 0})}},
        {"string without its 0 unit", {"STR ", LockedString({'a', 0, 'b', 0})}},
        {"cell below 40 bytes", {"CELL", shortCell}},
        {"cell whose pixels do not fit its size", {"CELL", wrongCell}},
        {"cell of negative sizes", {"CELL", negative}},
        {"number of 4 bytes", {"NUM ", Words({1})}},
        {"rectangle of 12 bytes", {"RECT", Words({1, 2, 3})}},
    };
    for (const Case& c : kCases) {
        s.Put("bad.vvf", ValueFile({{"NUM ", Words({1, 0})}, c.bad, {"NUM ", Words({2, 0})}}));
        Slots back(ctx);
        back[1] = Str(ctx, "old");
        Boxes boxes;
        EXPECT_EQ(VSKFILE_ReadFAQ(ctx, s.Sys("bad.vvf").c_str(), back.block(), 0, 0, 3), 0)
            << c.what;
        EXPECT_EQ(Text(ctx, back[0]), "1") << c.what;  // stored before the failure: kept
        EXPECT_EQ(back[1].mode, VSK_MODE_EMPTY) << c.what;
        EXPECT_EQ(back[2].mode, VSK_MODE_EMPTY) << c.what;
        EXPECT_EQ(boxes.Count(), 0u) << c.what;
    }
    // A chunk whose size runs past the end fails before its slot is touched.
    std::vector<uint8_t> cut = ValueFile({{"NUM ", Words({1, 0})}, {"MEM ", {1, 2, 3}}}, false);
    cut[12 + 16 + 4] = 200;
    s.Put("cut.vvf", cut);
    Slots back(ctx);
    back[1] = Str(ctx, "kept");
    EXPECT_EQ(VSKFILE_ReadFAQ(ctx, s.Sys("cut.vvf").c_str(), back.block(), 0, 0, 3), 0);
    EXPECT_EQ(Bytes(ctx, back[1]), "kept");
    EXPECT_EQ(VSKFILE_CountFAQ(ctx, s.Sys("cut.vvf").c_str()), 0);
    // Without "END " nothing counts.
    s.Put("open.vvf", ValueFile({{"NUM ", Words({1, 0})}}, false));
    EXPECT_EQ(VSKFILE_CountFAQ(ctx, s.Sys("open.vvf").c_str()), 0);
    EXPECT_EQ(VSKFILE_WriteFAQ(ctx, s.Sys("open.vvf").c_str(), back.block(), 0, -1, 1), 0);
}

}  // namespace
