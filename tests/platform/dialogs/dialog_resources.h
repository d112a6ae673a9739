// The resources the dialog tests and the dialog demo register in their program module: a
// settings-like dialog with Japanese labels, an icon, a cursor and a bitmap.
#pragma once

#include <windows.h>
#include <wynplat.h>

namespace dlgtest {

enum : int {
    kGroup = 100,
    kNormal = 101,
    kExpert = 102,
    kMulti = 211,
    kDetail = 401,
    kLabel = 501,
    kVolume = 511,
    kSet = 900,
    kCancel = 901
};

// The Japanese message box's text (the game's close question).
inline const char kBoxText[] = "終了しますか？";

inline const char kSettings[] = R"TPL(; a dialog in the layer's template form
DIALOG 40 40 200 120
CAPTION "環境設定"
FONT 10 "MS UI Gothic"
CONTROL GROUPBOX 100 "ゲームレベル" 4 4 90 40
CONTROL RADIO 101 "通常※" 10 14 70 10 GROUP
CONTROL RADIO 102 "エキスパート" 10 26 70 10
CONTROL CHECK 211 "多重再生※" 100 10 90 10 GROUP
CONTROL COMBO 401 "" 100 26 90 60 GROUP
CONTROL LTEXT 501 "航空無線(100％)" 4 50 90 10 GROUP
CONTROL TRACKBAR 511 "" 4 62 190 16
CONTROL BUTTON 900 "設 定" 60 96 60 14 DEFAULT GROUP
CONTROL BUTTON 901 "ｷｬﾝｾﾙ" 130 96 60 14
)TPL";

// A 1x1 BMP of one red pixel (24 bits).
inline const unsigned char kRedPixel[58] = {
    'B', 'M', 58,   0,    0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40, 0, 0,    0, 1,    0,
    0,   0,   1,    0,    0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,  0, 0,    0, 0x13, 0x0B,
    0,   0,   0x13, 0x0B, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 0,  0, 0xFF, 0};

}  // namespace dlgtest
