// The settings dialog in Japanese: built with the Shift-JIS execution character set.
#include "config_texts.h"

namespace wyn2 {
namespace {

const char kTemplate[] = R"TPL(; the settings dialog
DIALOG 40 40 244 212
CAPTION "「Wynmoor２」環境設定"
FONT 10 "MS UI Gothic"
CONTROL GROUPBOX 100 "ゲームレベル" 6 4 112 36
CONTROL RADIO 101 "通常※" 14 14 96 10 GROUP
CONTROL RADIO 102 "エキスパート" 14 26 96 10
CONTROL GROUPBOX 65535 "レーダー" 6 42 112 36
CONTROL RADIO 301 "モニタ型※" 14 52 96 10 GROUP
CONTROL RADIO 302 "ビジュアル型" 14 64 96 10
CONTROL GROUPBOX 65535 "航空無線" 126 4 112 74
CONTROL RADIO 202 "日本語表示※" 134 14 96 10 GROUP
CONTROL RADIO 203 "英語表示" 134 26 96 10
CONTROL RADIO 201 "表示なし" 134 38 96 10
CONTROL CHECK 211 "多重再生※" 134 58 96 10 GROUP
CONTROL GROUPBOX 65535 "表示設定" 6 80 232 76
CONTROL COMBO 401 "" 12 90 104 60 GROUP
CONTROL BUTTON 421 "ドライバ変更" 124 89 70 13 GROUP
CONTROL CHECK 431 "手前の建物透過※" 12 106 108 10 GROUP
CONTROL CHECK 432 "天候と照明※" 124 106 108 10
CONTROL CHECK 433 "ビューウインドウ分割" 12 118 108 10
CONTROL CHECK 434 "ビューウインドウ最大化" 124 118 108 10
CONTROL CHECK 435 "カメラスムーズ移動※" 12 130 108 10
CONTROL CHECK 436 "レーダー分割" 124 130 108 10
CONTROL CHECK 437 "イベントウインド表示※" 12 142 108 10
CONTROL COMBO 402 "" 124 141 104 60 GROUP
CONTROL GROUPBOX 65535 "ボリューム" 6 158 232 34
CONTROL LTEXT 501 "航空無線(100％)" 12 167 72 9 GROUP
CONTROL TRACKBAR 511 "" 12 177 72 12
CONTROL LTEXT 502 "ＢＧＭ(100％)" 88 167 72 9
CONTROL TRACKBAR 512 "" 88 177 72 12
CONTROL LTEXT 503 "環境音(100％)" 164 167 72 9
CONTROL TRACKBAR 513 "" 164 177 72 12
CONTROL BUTTON 902 "初期設定※" 6 196 56 13 GROUP
CONTROL BUTTON 901 "ｷｬﾝｾﾙ" 124 196 56 13
CONTROL BUTTON 900 "設 定" 182 196 56 13 DEFAULT
)TPL";

}  // namespace

// The library's own texts carry the same words as the Chinese set, in Shift-JIS.
const ConfigTexts kJapaneseTexts = {
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
