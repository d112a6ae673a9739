// The settings dialog's texts in one language: its template and the texts the library puts
// into it. The Japanese set is Shift-JIS, the Chinese set Big5; WYN2.DLL declares its texts in
// the code page of the set the user's language chooses.
#pragma once

#include <cstddef>

namespace wyn2 {

struct ConfigTexts {
    const char* dialogTemplate;  // the layer's template form of "WYN2CONFIG"
    size_t dialogTemplateSize;
    const char* detail[4];       // combo box 401, lowest to highest detail
    const char* textures[3];     // combo box 402: standard, small, smallest
    const char* volumeNames[3];  // labels of trackbars 511, 512, 513
    const char* volumeFormat;    // "%s（%d%%）": name and position
    const char* radarSplitText;  // the information box of check box 436
    const char* radarSplitCaption;
};

extern const ConfigTexts kJapaneseTexts;
extern const ConfigTexts kChineseTexts;

}  // namespace wyn2
