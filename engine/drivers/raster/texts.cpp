// Built with the Big5 execution character set.
#include "texts.h"

namespace acc::text {

const char* const kCheckDescription = "0200Direct3D HAL（硬體支援）";
const char* const kHelReason =
    "DirectX無法利用硬體３Ｄ機能。\n原因是顯示卡記憶體不足、顯示卡無法支援24‧32BIT色彩\n"
    "的硬體３Ｄ機能。\n、程式可以執行、但會有無法正常顯示的場合。";

}  // namespace acc::text
