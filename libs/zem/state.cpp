// Library-wide state: colour tables, the live screens, the language and the message texts.
#include <algorithm>
#include <memory>
#include <vector>

#include "internal.h"

namespace zem {

int g_depth = 16;

namespace {
std::unique_ptr<Tables> g_tables;
int g_tableRefs = 0;
std::vector<tagZEMSCREEN*> g_live;
int g_language = -1;  // -1 not read yet, 1 Japanese, 0 English

struct Text {
    const char* ja;
    const char* en;
};
const Text kTexts[] = {
    {"現在の画面モードはハイカラー(32768色)"
     "以下です。\n動作はしますが、正常に色が表示されない場合があります。",
     "The current display mode has fewer than 32768 colours.\nThe program runs, but colours may "
     "not be shown correctly."},
    {"ﾒﾓﾘ不足のため仮想画面が生成できません", "It can not create screen because out of memory."},
    {"副仮想画面数が20個を超えています。", "Out of sub screen more than 20."},
    {"このデバイスではズーム表示はサポートされていません。",
     "Zoom function is not suported on this device."},
    {"このデバイスでは全画面表示はサポートされていません。",
     "Full Screen function is not suported on this device."},
    {"ﾒﾓﾘが不足しています。\n他のｱﾌﾟﾘｹｰｼｮﾝを終了して[再試行]してください。\n[ｷｬﾝｾﾙ]"
     "を選ぶと強制的に処理を継続しますが\nその後の動作は保証されません。",
     "Out of Memory.\nQuit another apprications, and push [Retry].\nif you select [Cancel], it is "
     "executed compulsory, but no guarantee."},
};
}  // namespace

Tables* AcquireTables() {
    if (!g_tables) {
        g_tables = std::make_unique<Tables>();
        FillRgbTable(g_tables->rgb);
    }
    ++g_tableRefs;
    return g_tables.get();
}

void ReleaseTables() {
    if (g_tableRefs > 0 && --g_tableRefs == 0) g_tables.reset();
}

Tables* CurrentTables() { return g_tables.get(); }

bool IsLiveScreen(const void* p) {
    return p && std::find(g_live.begin(), g_live.end(), p) != g_live.end();
}
void AddLiveScreen(tagZEMSCREEN* scr) { g_live.push_back(scr); }
void RemoveLiveScreen(tagZEMSCREEN* scr) { std::erase(g_live, scr); }

bool Japanese() {
    if (g_language < 0) g_language = GetProfileIntA("intl", "iCountry", 0) == 81 ? 1 : 0;
    return g_language == 1;
}

const char* MessageText(Msg m) {
    const Text& t = kTexts[static_cast<int>(m)];
    return Japanese() ? t.ja : t.en;
}

int ShowMessage(HWND owner, Msg m, UINT type) {
    return MessageBoxA(owner, MessageText(m), ZEM_CAPTION, type);
}

}  // namespace zem
