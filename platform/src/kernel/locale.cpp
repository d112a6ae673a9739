// The one language setting: WYN_LANG, else the user's locale; the system's own language
// (Japanese) where the locale says nothing (unset, C or POSIX).
#include <windows.h>
#include <wynplat.h>

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

bool StartsWithNoCase(const char* s, const char* prefix) {
    return strncasecmp(s, prefix, std::strlen(prefix)) == 0;
}

bool IsCLocale(const char* v) {
    return std::strcmp(v, "C") == 0 || std::strcmp(v, "POSIX") == 0 || StartsWithNoCase(v, "C.");
}

}  // namespace

int WynPlat_IsJapanese(void) {
    const char* lang = std::getenv("WYN_LANG");
    if (lang && StartsWithNoCase(lang, "ja")) return 1;
    if (lang && StartsWithNoCase(lang, "en")) return 0;
    // The locale variables in the order the C library itself asks them.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (!v || !*v) continue;
        if (IsCLocale(v)) return 1;
        return StartsWithNoCase(v, "ja") ? 1 : 0;
    }
    return 1;
}

LANGID WINAPI GetUserDefaultLangID(void) {
    return WynPlat_IsJapanese() ? MAKELANGID(LANG_JAPANESE, 1) : MAKELANGID(LANG_ENGLISH, 1);
}

LANGID WINAPI GetSystemDefaultLangID(void) { return GetUserDefaultLangID(); }

// The system's texts are Shift-JIS whatever the language.
UINT WINAPI GetACP(void) { return 932; }
