// The driver dialog's template and texts, in Traditional Chinese: this file is built with the
// Big5 execution character set, like the engine's messages.
#include "dialog.h"

namespace krn::text {

const char kDriverDialogTemplate[] = R"TPL(; the driver choice dialog
DIALOG 0 0 252 80
CAPTION "選擇驅動程式 "
FONT 10 "MS UI Gothic"
CONTROL LTEXT 65535 "３次元演算" 6 8 56 10
CONTROL COMBO 101 "" 64 6 182 80 GROUP
CONTROL LTEXT 65535 "光源計算" 6 24 56 10
CONTROL COMBO 102 "" 64 22 182 80 GROUP
CONTROL LTEXT 65535 "3d塊面繪製" 6 40 56 10
CONTROL COMBO 103 "" 64 38 182 80 GROUP
CONTROL CHECK 201 "列出所有驅動    " 6 60 100 10 GROUP
CONTROL BUTTON 2 "取　消  " 128 58 56 16 GROUP
CONTROL BUTTON 1 "變　更" 190 58 56 16 DEFAULT
)TPL";
const size_t kDriverDialogTemplateSize = sizeof kDriverDialogTemplate - 1;

const char* const kDriverNotUse = "不能指定%s無法選擇驅動。";
const char* const kKindNames[3] = {"３次元演算", "光源計算", "晶片繪圖"};
const char* const kUsableMark = "○";
const char* const kUnusableMark = "×";

}  // namespace krn::text
