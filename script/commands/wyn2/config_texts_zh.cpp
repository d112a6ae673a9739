// The settings dialog in Traditional Chinese: built with the Big5 execution character set.
#include "config_texts.h"

namespace wyn2 {
namespace {

// The title's brackets are two characters of Big5's user-defined area (U+EEED, U+EEEE).
#define WYN2_TITLE \
    "\x81\x75"     \
    "WYN2 option"  \
    "\x81\x76"

const char kTemplate[] =
    "; the settings dialog\n"
    "DIALOG 40 40 244 212\n"
    "CAPTION \"" WYN2_TITLE
    "\"\n"
    R"TPL(FONT 10 "PMingLiU"
CONTROL GROUPBOX 100 "困難度" 6 4 112 36
CONTROL RADIO 101 "普通" 14 14 96 10 GROUP
CONTROL RADIO 102 "專家" 14 26 96 10
CONTROL GROUPBOX 65535 "雷達" 6 42 112 36
CONTROL RADIO 301 "普通模式" 14 52 96 10 GROUP
CONTROL RADIO 302 "地圖模式" 14 64 96 10
CONTROL GROUPBOX 65535 "航空無線電" 126 4 112 74
CONTROL RADIO 202 "中文" 134 14 96 10 GROUP
CONTROL RADIO 203 "英文" 134 26 96 10
CONTROL RADIO 201 "無" 134 38 96 10
CONTROL CHECK 211 "多重對話" 134 58 96 10 GROUP
CONTROL GROUPBOX 65535 "顯示設定" 6 80 232 76
CONTROL COMBO 401 "" 12 90 104 60 GROUP
CONTROL BUTTON 421 "Driver 更換" 124 89 70 13 GROUP
CONTROL CHECK 431 "透視健築物" 12 106 108 10 GROUP
CONTROL CHECK 432 "氣候與燈光" 124 106 108 10
CONTROL CHECK 433 "分割顯示窗" 12 118 108 10
CONTROL CHECK 434 "最大顯示窗" 124 118 108 10
CONTROL CHECK 435 "視角順暢度" 12 130 108 10
CONTROL CHECK 436 "分割雷達" 124 130 108 10
CONTROL CHECK 437 "情況顯示" 12 142 108 10
CONTROL COMBO 402 "" 124 141 104 60 GROUP
CONTROL GROUPBOX 65535 "聲音" 6 158 232 34
CONTROL LTEXT 501 "無線電(100％)" 12 167 72 9 GROUP
CONTROL TRACKBAR 511 "" 12 177 72 12
CONTROL LTEXT 502 "BGM(100％)" 88 167 72 9
CONTROL TRACKBAR 512 "" 88 177 72 12
CONTROL LTEXT 503 "環境音效(100％)" 164 167 72 9
CONTROL TRACKBAR 513 "" 164 177 72 12
CONTROL BUTTON 902 "預設" 6 196 56 13 GROUP
CONTROL BUTTON 901 "取消" 124 196 56 13
CONTROL BUTTON 900 "設定" 182 196 56 13 DEFAULT
)TPL";

#undef WYN2_TITLE

}  // namespace

const ConfigTexts kChineseTexts = {
    kTemplate,
    sizeof kTemplate - 1,
    {"最低", "低", "普通※", "高"},
    {"標準結構※", "低圖結構", "最低結構"},
    {"無線電", "BGM", "環境音效"},
    "%s（%d%%）",
    "分割雷達，建議在解析度1280x1024以上使用。",
    "分割雷達",
};

}  // namespace wyn2
