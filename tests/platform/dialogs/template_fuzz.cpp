// The dialog template reader on arbitrary bytes: it must refuse or read within its bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dialogs/template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    wyn::dlg::DialogDef def;
    std::string error;
    if (wyn::dlg::ParseTemplate(reinterpret_cast<const char*>(data), size, &def, &error)) {
        if (def.controls.size() > 255 || def.cx < 1 || def.cy < 1) __builtin_trap();
        for (auto& c : def.controls)
            if (c.text.size() > 255 || c.cx < 0 || c.cy < 0) __builtin_trap();
    } else if (error.empty()) {
        __builtin_trap();  // a refusal always says why
    }
    return 0;
}
