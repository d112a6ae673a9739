// The open and save dialogs: a scripted answer when one is given (always headless), else the
// layer's own chooser: the files of the initial folder that match the chosen filter, in a
// dialog box of the layer.
#include <commdlg.h>
#include <windows.h>
#include <wynplat.h>

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "dialogs/template.h"

namespace wyn::dlg {
namespace {

std::mutex g_m;
std::deque<std::string> g_answers;
bool g_answersLoaded = false;
DWORD g_error = 0;

void LoadAnswers(const char* text) {
    g_answers.clear();
    if (!text) return;
    std::string all = text;
    size_t i = 0;
    while (i <= all.size()) {
        size_t j = all.find(';', i);
        if (j == std::string::npos) j = all.size();
        std::string a = all.substr(i, j - i);
        while (!a.empty() && (a.back() == ' ' || a.back() == '\n' || a.back() == '\r'))
            a.pop_back();
        while (!a.empty() && (a.front() == ' ' || a.front() == '\n')) a.erase(a.begin());
        if (!a.empty()) g_answers.push_back(a);
        i = j + 1;
    }
}

bool NextAnswer(std::string* out) {
    std::lock_guard<std::mutex> g(g_m);
    if (!g_answersLoaded) {
        g_answersLoaded = true;
        LoadAnswers(std::getenv("WYN_FILE_DIALOG_ANSWERS"));
    }
    if (g_answers.empty()) return false;
    *out = g_answers.front();
    g_answers.pop_front();
    return true;
}

struct Filter {
    std::string title;
    std::vector<std::string> patterns;
};

// "title\0pat;pat\0title\0pat\0\0", read up to its double zero (at most 64 pairs).
std::vector<Filter> ReadFilters(LPCSTR list) {
    std::vector<Filter> out;
    if (!list) return out;
    const char* p = list;
    while (*p && out.size() < 64) {
        Filter f;
        f.title = p;
        p += f.title.size() + 1;
        std::string pats = p;
        p += pats.size() + 1;
        size_t i = 0;
        while (i <= pats.size()) {
            size_t j = pats.find(';', i);
            if (j == std::string::npos) j = pats.size();
            if (j > i) f.patterns.push_back(pats.substr(i, j - i));
            i = j + 1;
        }
        out.push_back(f);
        if (pats.empty()) break;
    }
    return out;
}

std::string InitialDir(const OPENFILENAMEA& o) {
    if (o.lpstrInitialDir && *o.lpstrInitialDir) return o.lpstrInitialDir;
    char cwd[1024] = {};
    GetCurrentDirectoryA(sizeof cwd, cwd);
    return cwd;
}

bool IsAbsolute(const std::string& p) {
    return (p.size() >= 2 && p[1] == ':') || (!p.empty() && (p[0] == '\\' || p[0] == '/'));
}

bool Exists(const std::string& systemPath) {
    char linux[4096];
    struct stat st;
    return WynPlat_ResolvePath(systemPath.c_str(), linux, sizeof linux) && stat(linux, &st) == 0 &&
           S_ISREG(st.st_mode);
}

// The name part's offset in a system path (after the last '\' or '/', Shift-JIS aware).
size_t NameOffset(const std::string& p) {
    size_t cut = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || (c == ':' && i == 1)) cut = i + 1;
    }
    return cut;
}

// Fills the record from a chosen path; false (with the error) when a buffer is too small.
bool Fill(OPENFILENAMEA* o, std::string path) {
    size_t name = NameOffset(path);
    if (o->lpstrDefExt && *o->lpstrDefExt && path.find('.', name) == std::string::npos)
        path += std::string(".") + o->lpstrDefExt;
    if (!o->lpstrFile || path.size() + 1 > o->nMaxFile) {
        if (o->lpstrFile && o->nMaxFile >= 2) {
            o->lpstrFile[0] = static_cast<char>((path.size() + 1) & 0xFF);
            o->lpstrFile[1] = static_cast<char>(((path.size() + 1) >> 8) & 0xFF);
        }
        g_error = FNERR_BUFFERTOOSMALL;
        return false;
    }
    std::memcpy(o->lpstrFile, path.c_str(), path.size() + 1);
    size_t dot = path.rfind('.');
    o->nFileOffset = static_cast<WORD>(name);
    o->nFileExtension =
        static_cast<WORD>(dot != std::string::npos && dot >= name ? dot + 1 : path.size());
    if (o->lpstrFileTitle && o->nMaxFileTitle > 0) {
        std::string title = path.substr(name);
        size_t n = std::min<size_t>(title.size(), o->nMaxFileTitle - 1);
        std::memcpy(o->lpstrFileTitle, title.c_str(), n);
        o->lpstrFileTitle[n] = 0;
    }
    return true;
}

// ---- the chooser ----

constexpr int kDirLabel = 10, kFiles = 11, kFilters = 12;

struct Chooser {
    OPENFILENAMEA* ofn;
    std::string dir;  // system form
    std::vector<Filter> filters;
    std::vector<std::string> names;  // Shift-JIS
    std::string chosen;
};

void FillFiles(HWND h, Chooser& c) {
    c.names.clear();
    SendDlgItemMessageA(h, kFiles, CB_RESETCONTENT, 0, 0);
    int f = static_cast<int>(SendDlgItemMessageA(h, kFilters, CB_GETCURSEL, 0, 0));
    char linux[4096];
    if (!WynPlat_ResolvePath(c.dir.c_str(), linux, sizeof linux)) return;
    if (DIR* d = opendir(linux)) {
        while (dirent* e = readdir(d)) {
            std::string full = std::string(linux) + "/" + e->d_name;
            struct stat st;
            if (stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            bool match =
                f < 0 || f >= static_cast<int>(c.filters.size()) || c.filters[f].patterns.empty();
            if (!match)
                for (const std::string& pat : c.filters[f].patterns) {
                    char utf[512];
                    WynPlat_ToUtf8(pat.c_str(), 932, utf, sizeof utf);
                    if (fnmatch(utf, e->d_name, FNM_CASEFOLD) == 0) match = true;
                }
            if (!match) continue;
            char sjis[512];
            WynPlat_FromUtf8(e->d_name, 932, sjis, sizeof sjis);
            c.names.push_back(sjis);
        }
        closedir(d);
    }
    std::sort(c.names.begin(), c.names.end());
    for (const std::string& n : c.names)
        SendDlgItemMessageA(h, kFiles, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
    if (!c.names.empty()) SendDlgItemMessageA(h, kFiles, CB_SETCURSEL, 0, 0);
}

INT_PTR CALLBACK ChooserProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* c = reinterpret_cast<Chooser*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    switch (m) {
        case WM_INITDIALOG: {
            c = reinterpret_cast<Chooser*>(l);
            SetWindowLongPtrA(h, GWLP_USERDATA, l);
            for (const Filter& f : c->filters)
                SendDlgItemMessageA(h, kFilters, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(f.title.c_str()));
            DWORD index = c->ofn->nFilterIndex;
            SendDlgItemMessageA(h, kFilters, CB_SETCURSEL,
                                index >= 1 && index <= c->filters.size() ? index - 1 : 0, 0);
            FillFiles(h, *c);
            return TRUE;
        }
        case WM_COMMAND:
            if (!c) return FALSE;
            if (LOWORD(w) == kFilters && HIWORD(w) == CBN_SELCHANGE) FillFiles(h, *c);
            if (LOWORD(w) == IDOK) {
                int sel = static_cast<int>(SendDlgItemMessageA(h, kFiles, CB_GETCURSEL, 0, 0));
                if (sel < 0 || sel >= static_cast<int>(c->names.size()))
                    return TRUE;  // nothing chosen: stay
                c->chosen = c->names[sel];
                int f = static_cast<int>(SendDlgItemMessageA(h, kFilters, CB_GETCURSEL, 0, 0));
                if (f >= 0) c->ofn->nFilterIndex = static_cast<DWORD>(f + 1);
                EndDialog(h, IDOK);
            }
            if (LOWORD(w) == IDCANCEL) EndDialog(h, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        if (ch == '"') out += '"';
        if (ch == '\n' || ch == '\r') continue;
        out += ch;
    }
    return out + "\"";
}

bool RunChooser(OPENFILENAMEA* o, bool save, std::string* path) {
    Chooser c{o, InitialDir(*o), ReadFilters(o->lpstrFilter), {}, {}};
    std::string title = o->lpstrTitle && *o->lpstrTitle
                            ? o->lpstrTitle
                            : (save ? "名前を付けて保存" : "ファイルを開く");
    std::string text = "DIALOG 20 20 220 92\nCAPTION " + Quoted(title.substr(0, 200)) +
                       "\nFONT 9 \"MS UI Gothic\"\n";
    text += "CONTROL LTEXT 10 " + Quoted(c.dir.substr(0, 200)) + " 4 4 212 10\n";
    text += "CONTROL COMBO 11 \"\" 4 18 212 80\n";
    text += "CONTROL COMBO 12 \"\" 4 38 212 80\n";
    text += "CONTROL BUTTON 1 \"OK\" 100 70 54 14 DEFAULT\n";
    text += "CONTROL BUTTON 2 \"キャンセル\" 160 70 54 14\n";
    DialogDef def;
    std::string error;
    if (!ParseTemplate(text.data(), text.size(), &def, &error)) return false;
    if (RunDialog(nullptr, def, save ? "save" : "open", o->hwndOwner, ChooserProc,
                  reinterpret_cast<LPARAM>(&c)) != IDOK)
        return false;
    *path = c.dir;
    if (!path->empty() && path->back() != '\\') *path += '\\';
    *path += c.chosen;
    return true;
}

BOOL Run(LPOPENFILENAMEA o, bool save) {
    g_error = 0;
    if (!o) {
        g_error = CDERR_INITIALIZATION;
        return FALSE;
    }
    if (o->lStructSize != sizeof(OPENFILENAMEA)) {
        g_error = CDERR_STRUCTSIZE;
        return FALSE;
    }
    std::string answer;
    bool scripted = NextAnswer(&answer);
    std::string path;
    if (scripted) {
        if (answer == "cancel") return FALSE;
        std::string dir = InitialDir(*o);
        if (!dir.empty() && dir.back() != '\\') dir += '\\';
        path = IsAbsolute(answer) ? answer : dir + answer;
        if ((o->Flags & OFN_FILEMUSTEXIST) && !Exists(path)) {
            // The system's dialog refuses the name and stays open; the script has no more to say.
            return FALSE;
        }
    } else if (wynplat::DisplayIsHeadless() || !RunChooser(o, save, &path)) {
        return FALSE;
    }
    return Fill(o, path) ? TRUE : FALSE;
}

}  // namespace
}  // namespace wyn::dlg

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn) { return wyn::dlg::Run(ofn, false); }
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn) { return wyn::dlg::Run(ofn, true); }
DWORD WINAPI CommDlgExtendedError(void) { return wyn::dlg::g_error; }

void WynPlat_SetFileDialogAnswers(const char* answers) {
    std::lock_guard<std::mutex> g(wyn::dlg::g_m);
    wyn::dlg::g_answersLoaded = true;
    wyn::dlg::LoadAnswers(answers);
}
