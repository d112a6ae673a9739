// The game's command library: the stand-by commands against the real stand-by program, and the
// settings dialog driven headless by a dialog script, its final state read from the dialog log
// and its writes from config.ini and krn2.ini.
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../common/program_output.h"
#include "vsk_host_support.h"

using namespace vsktest;

namespace {

using programrun::ReadText;

class Wyn2Host : public ScriptHost {
  public:
    Wyn2Host() { Link(fs::path(VSK_TEST_BIN_DIR) / "WYN2.DLL", "WYN2.DLL"); }
    ~Wyn2Host() {
        if (HWND s = FindWindowA("STANDBY", nullptr)) SendMessageA(s, WM_CLOSE, 0, 0);
    }
};

// The text of the dialog's language: the Japanese template, or (not Japanese) the Chinese one.
std::string ByLanguage(const char8_t* japanese, const char8_t* chinese) {
    return U8(WYN2_TEST_JAPANESE ? japanese : chinese);
}

// Each language's build names its dialog cases apart (their environments differ).
#if WYN2_TEST_JAPANESE
#define Wyn2Config Wyn2ConfigJa
#else
#define Wyn2Config Wyn2ConfigZh
#endif

// ---- stand-by commands (the same in every language: in the Japanese build only) ----
#if WYN2_TEST_JAPANESE

int Number(const std::string& text) { return std::atoi(text.c_str()); }

TEST(Wyn2Standby, SendWithoutAWindowGivesZeroAfterThreeSeconds) {
    Wyn2Host h;
    h.Write("MAIN.SNA",
            "$9 = SystemTime(0); $1 = WYN2:StandbySend(); $2 = SystemTime(0) - $9;"
            " $3 = WYN2:StandbyEnd();");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(1), "0");
    EXPECT_GE(Number(h.UserText(2)), 3000) << "waited on the process clock";
    EXPECT_LT(Number(h.UserText(2)), 4000);
    EXPECT_EQ(h.UserText(3), "1") << "ending without a window still answers 1";
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(Wyn2Standby, ArgumentsTheCommandsDoNotTakeStopTheTask) {
    Wyn2Host h;
    for (const char* call :
         {"WYN2:StandbySend(1)", "WYN2:StandbyEnd(\"x\")", "WYN2:StandbyStart(\"wyntower\")"}) {
        h.Write("MAIN.SNA", std::string("$1 = 1; ") + call + "; $1 = 2;");
        Boxes boxes;
        h.Run("MAIN");
        EXPECT_EQ(h.UserText(1), "1") << call;
        EXPECT_EQ(boxes.Count(), 1u) << call;
    }
    h.Write("MAIN.SNA", "$1 = 1; WYN2:StandbySend(1); $1 = 2;");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 U8(u8"関数(WYN2:StandbySend)において引数の数が多すぎます。")});
}

TEST(Wyn2Standby, StartShowsTheStandbyWindowAndTheStartBox) {
    Wyn2Host h;
    ASSERT_EQ(FindWindowA("STANDBY", nullptr), nullptr);
    h.Write("MAIN.SNA",
            "$1 = WYN2:StandbyStart(\"wyntower\", \"rjtt stage01\");"
            " $3 = WYN2:StandbyEnd();");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(1), "1");
    EXPECT_EQ(h.UserText(3), "1");
    ASSERT_EQ(boxes.All().size(), 1u);
    EXPECT_EQ(boxes.All()[0].caption, "START");
    EXPECT_EQ(boxes.All()[0].text, "START");
    // The window closes on WM_CLOSE; nothing was launched.
    for (int i = 0; i < 5000 && FindWindowA("STANDBY", nullptr); ++i) Sleep(1);
    EXPECT_EQ(FindWindowA("STANDBY", nullptr), nullptr);
}

TEST(Wyn2Standby, ALineTheStandbyWindowCannotTakeStartsNothing) {
    Wyn2Host h;
    h.Write("MAIN.SNA", "$1 = WYN2:StandbyStart(\"wyntower\", \"" + std::string(260, 'a') + "\");");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(1), "0");
    EXPECT_EQ(FindWindowA("STANDBY", nullptr), nullptr);
    EXPECT_EQ(boxes.Count(), 1u) << "the client says the line is too long";
}

#endif

// ---- the settings dialog ----

// The log line of a control without its leading blanks, and its state: the line without the
// quoted text ("" when the control is missing).
std::string Line(const std::string& log, int id) {
    std::string head = "  " + std::to_string(id) + " ";
    size_t at = log.find(head);
    if (at == std::string::npos) return "";
    size_t end = log.find('\n', at);
    return log.substr(at + 2, end - at - 2);
}
std::string State(const std::string& log, int id) {
    std::string line = Line(log, id);
    return line.substr(0, line.find(" \""));
}
std::string Text(const std::string& log, int id) {
    std::string line = Line(log, id);
    size_t quote = line.find(" \"");
    return quote == std::string::npos ? "" : line.substr(quote + 2, line.size() - quote - 3);
}

// A run of WYN2:Config over CONFIG.INI and KRN2.INI in the host's folder, with a dialog script.
struct ConfigRun {
    std::string log;     // the dialog log
    std::string result;  // $1
    std::vector<std::string> boxes;
};

class Wyn2Config : public ::testing::Test {
  protected:
    ConfigRun Run(const std::string& dialogScript, const char* configIni = nullptr,
                  const char* engineIni = "[TEXTURE]\r\nSMALL=0\r\n",
                  const char* engineFile = "KRN2.INI") {
        if (configIni) std::ofstream(h.dir() / "CONFIG.INI", std::ios::binary) << configIni;
        if (engineIni) std::ofstream(h.dir() / "KRN2.INI", std::ios::binary) << engineIni;
        fs::path log = h.dir() / "dialog.log";
        fs::remove(log);
        WynPlat_SetDialogLog(log.c_str());
        WynPlat_SetDialogScript(dialogScript.c_str());
        h.Write("MAIN.SNA", std::string("$1 = WYN2:Config(#11 + \"\\CONFIG.INI\", #11 + \"\\") +
                                engineFile + "\");");
        Boxes boxes;
        h.Run("MAIN");
        WynPlat_SetDialogLog(nullptr);
        WynPlat_SetDialogScript("");
        return {ReadText(log), h.UserText(1), boxes.Texts()};
    }
    std::string Ini(const char* file, const char* section, const char* key) const {
        char text[64] = {};
        char sys[MAX_PATH] = {};
        WynPlat_ToSystemPath((h.dir() / file).c_str(), sys, sizeof sys);
        GetPrivateProfileStringA(section, key, "(none)", text, sizeof text, sys);
        return text;
    }
    std::string Config(const char* section, const char* key) const {
        return Ini("CONFIG.INI", section, key);
    }
    Wyn2Host h;
};

// What an empty config.ini shows: the defaults.
const std::pair<int, const char*> kDefaultControls[] = {
    {101, "101 radio checked"},
    {102, "102 radio unchecked"},
    {201, "201 radio unchecked"},
    {202, "202 radio checked"},
    {203, "203 radio unchecked"},
    {211, "211 check checked"},
    {301, "301 radio checked"},
    {302, "302 radio unchecked"},
    {401, "401 combo sel 2"},
    {431, "431 check checked"},
    {432, "432 check checked"},
    {433, "433 check unchecked"},
    {434, "434 check unchecked disabled"},
    {435, "435 check checked"},
    {436, "436 check unchecked disabled"},
    {437, "437 check checked"},
    {402, "402 combo sel 0"},
    {511, "511 trackbar pos 80"},
    {512, "512 trackbar pos 40"},
    {513, "513 trackbar pos 60"},
};

void ExpectDefaults(const std::string& log, const std::string& what) {
    ASSERT_NE(log.find("dialog \"WYN2CONFIG\" ended"), std::string::npos) << what << "\n" << log;
    for (auto& [id, want] : kDefaultControls) EXPECT_EQ(State(log, id), want) << what;
}

// The keys Set writes, with what the defaults give.
struct KeyValue {
    const char* section;
    const char* key;
    const char* value;
};
const KeyValue kDefaultWrites[] = {
    {"GAME", "level", "0"},          {"ATC", "language", "1"},
    {"ATC", "multi", "2"},           {"GAME", "radar", "0"},
    {"DISPLAY", "resolution", "3"},  {"DISPLAY", "ex_resolution", "0"},
    {"DISPLAY", "through", "1"},     {"DISPLAY", "cloud", "1"},
    {"DISPLAY", "separate", "0"},    {"DISPLAY", "maxmize", "0"},
    {"DISPLAY", "radarL", "0"},      {"DISPLAY", "cameramove", "1"},
    {"DISPLAY", "eventwindow", "1"}, {"DISPLAY", "smalltexture", "0"},
    {"VOLUME", "atc", "80"},         {"VOLUME", "bgm", "40"},
    {"VOLUME", "env", "60"},
};

TEST_F(Wyn2Config, AnEmptyFileShowsTheDefaultsAndCancelWritesNothing) {
    ConfigRun r = Run("", "");
    ExpectDefaults(r.log, "empty config.ini");
    EXPECT_EQ(r.result, "0") << "cancelled";
    EXPECT_EQ(ReadText(h.dir() / "CONFIG.INI"), "");
    // The labels name each volume with its position, in the library's own words.
    EXPECT_EQ(Text(r.log, 501), U8(u8"無線電（80%）"));
    EXPECT_EQ(Text(r.log, 502), U8(u8"BGM（40%）"));
    EXPECT_EQ(Text(r.log, 503), U8(u8"環境音效（60%）"));
    EXPECT_EQ(Line(r.log, 401), U8(u8"401 combo sel 2 \"普通※\""));
    EXPECT_EQ(Line(r.log, 402), U8(u8"402 combo sel 0 \"標準結構※\""));
    EXPECT_EQ(Text(r.log, 202), ByLanguage(u8"日本語表示※", u8"中文"));
    EXPECT_EQ(Text(r.log, 100), ByLanguage(u8"ゲームレベル", u8"困難度"));
    EXPECT_EQ(Text(r.log, 900), ByLanguage(u8"設 定", u8"設定"));
}

TEST_F(Wyn2Config, SetWritesEveryKeyAndTheEnginesTextureSize) {
    ConfigRun r = Run("select 402 2; click 900", nullptr, "[DRIVER]\r\nDRV=x\r\n");
    EXPECT_EQ(r.result, "1");
    for (const KeyValue& k : kDefaultWrites) {
        std::string want = std::string(k.key) == "smalltexture" ? "2" : k.value;
        EXPECT_EQ(Config(k.section, k.key), want) << k.section << " " << k.key;
    }
    EXPECT_EQ(Config("GAME", "dsound"), "(none)") << "the game's own key is never written";
    EXPECT_EQ(Ini("KRN2.INI", "TEXTURE", "SMALL"), "2");
    EXPECT_EQ(Ini("KRN2.INI", "DRIVER", "DRV"), "x") << "the engine's other keys stay";
}

TEST_F(Wyn2Config, TheHighestDetailIsResolutionThreeWithExResolution) {
    ConfigRun r = Run("click 900", "[DISPLAY]\r\nresolution=1\r\nex_resolution=1\r\n");
    EXPECT_EQ(State(r.log, 401), "401 combo sel 3");
    EXPECT_EQ(Config("DISPLAY", "resolution"), "3");
    EXPECT_EQ(Config("DISPLAY", "ex_resolution"), "1");
    r = Run("select 401 0; click 900");
    EXPECT_EQ(Config("DISPLAY", "resolution"), "1");
    EXPECT_EQ(Config("DISPLAY", "ex_resolution"), "0");
}

TEST_F(Wyn2Config, SeparateWindowsEnableTheMaximiseAndRadarSplitBoxes) {
    ConfigRun r = Run("check 433 1; click 901", "[DISPLAY]\r\nseparate=0\r\n");
    EXPECT_EQ(State(r.log, 433), "433 check checked");
    EXPECT_EQ(State(r.log, 434), "434 check unchecked");
    EXPECT_EQ(State(r.log, 436), "436 check unchecked");
    // Checking the radar split shows its advice; unchecking shows nothing.
    r = Run("check 436 1; check 436 0; check 436 1; check 433 0; click 900",
            "[DISPLAY]\r\nseparate=1\r\n");
    EXPECT_EQ(r.boxes,
              (std::vector<std::string>(2, U8(u8"分割雷達，建議在解析度1280x1024以上使用。"))));
    EXPECT_EQ(State(r.log, 434), "434 check unchecked disabled");
    EXPECT_EQ(State(r.log, 436), "436 check checked disabled");
    EXPECT_EQ(Config("DISPLAY", "separate"), "0");
    EXPECT_EQ(Config("DISPLAY", "radarL"), "1");
}

TEST_F(Wyn2Config, DefaultsThenCancelLeavesTheFilesAsTheyWere) {
    const char* config =
        "; the player's settings\r\n[GAME]\r\nlevel=1\r\ndsound=1\r\n[VOLUME]\r\natc=5\r\n"
        "[DISPLAYEX]\r\nw2xm=12\r\n";
    ConfigRun r = Run("click 902; click 901", config, "[TEXTURE]\r\nSMALL=1\r\n");
    EXPECT_EQ(r.result, "0");
    ExpectDefaults(r.log, "after Defaults");
    EXPECT_EQ(ReadText(h.dir() / "CONFIG.INI"), config);
    EXPECT_EQ(ReadText(h.dir() / "KRN2.INI"), "[TEXTURE]\r\nSMALL=1\r\n");
}

TEST_F(Wyn2Config, AMovedTrackbarsLabelFollowsIt) {
    ConfigRun r = Run("track 512 55; track 513 0; click 900");
    EXPECT_EQ(Text(r.log, 502), U8(u8"BGM（55%）"));
    EXPECT_EQ(Text(r.log, 503), U8(u8"環境音效（0%）"));
    EXPECT_EQ(Config("VOLUME", "bgm"), "55");
    EXPECT_EQ(Config("VOLUME", "env"), "0");
}

TEST_F(Wyn2Config, ValuesOutOfRangeComeUpAsDefaultsAndAreWrittenSo) {
    ConfigRun r = Run("click 900",
                      "[GAME]\r\nlevel=5\r\nradar=-1\r\n[ATC]\r\nlanguage=3\r\nmulti=0\r\n"
                      "[DISPLAY]\r\nresolution=9\r\nex_resolution=-2\r\nthrough=2\r\n"
                      "smalltexture=3\r\nseparate=-1\r\n[VOLUME]\r\natc=150\r\nbgm=-5\r\n");
    ExpectDefaults(r.log, "out of range");
    for (const KeyValue& k : kDefaultWrites)
        EXPECT_EQ(Config(k.section, k.key), k.value) << k.section << " " << k.key;
    EXPECT_EQ(Ini("KRN2.INI", "TEXTURE", "SMALL"), "0");
}

TEST_F(Wyn2Config, AFailedWriteAnswersZero) {
    ConfigRun r = Run("click 900", nullptr, nullptr, "NOFOLDER\\KRN2.INI");
    EXPECT_NE(r.log.find("ended 1"), std::string::npos) << r.log;
    EXPECT_EQ(r.result, "0") << "the engine's file could not be written";
    EXPECT_EQ(Config("VOLUME", "atc"), "80") << "config.ini was written";

    // The game's file cannot be written (a folder stands in its place, which holds for any
    // user): the answer is 0 too, and the engine's key is still written.
    fs::remove(h.dir() / "CONFIG.INI");
    fs::create_directories(h.dir() / "CONFIG.INI");
    r = Run("select 402 1; click 900");
    EXPECT_NE(r.log.find("ended 1"), std::string::npos) << r.log;
    EXPECT_EQ(r.result, "0") << "config.ini could not be written";
    EXPECT_EQ(Ini("KRN2.INI", "TEXTURE", "SMALL"), "1");
}

}  // namespace
