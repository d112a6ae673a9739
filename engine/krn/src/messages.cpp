// The engine's own texts, in Traditional Chinese: this file is built with the Big5 execution
// character set (some of its characters do not exist in Shift-JIS).
#include "messages.h"

namespace krn::text {

const char* const kDriverCaption = "Korrin 3D";
const char* const kTextureCaption = "KORRIN 3D";

const char* const kDriverCanNotUse = "指定的驅動(%s)無效、將使用\n標準驅動(%s)。";
const char* const kDriverNotFound = "指定的驅動(%s)沒有找到。";
const char* const kCheckFunctionNotFound = "指定的驅動(%s)沒有檢查關數。";

const char* const kSmallTextures =
    "因為使用縮小影像、會出現一部份畫像混亂的場合。\n還有、讀取影像多少會花點時間。";
const char* const kReducedTextures =
    "現在的硬體、無法使用高解像度影像。\n將使用更低的低解析度的影像。";
const char* const kTextureNotFound = "影像 %s 沒有找到。";
const char* const kTextureNoMemory =
    "因為顯示卡記憶體不足、影像 %s "
    "無法讀取。\n畫面解析度太高、也可能是壁紙太大。\n推薦使用指定縮小影像。";

}  // namespace krn::text
