// Ini files (private profiles) with the system's rules: sections and keys without regard to case,
// blanks around names and values ignored, one pair of quotes around a value dropped, CRLF or LF
// lines, and every line a write does not touch kept byte for byte.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <wynplat.h>

#include "kernel/paths.h"
#include "kernel/text.h"

namespace wynplat {
namespace {

std::mutex g_writeLock;

struct IniLine {
    std::string raw;  // with its line end, exactly as read
    enum Kind { Other, Section, Key } kind = Other;
    std::string name;   // section or key name, trimmed
    std::string value;  // trimmed, quotes not yet dropped
};

// The line end of a line as read: CRLF, LF, or none for an unended last line.
std::string EolOf(const std::string& raw) {
    if (raw.size() >= 2 && raw.compare(raw.size() - 2, 2, "\r\n") == 0) return "\r\n";
    if (!raw.empty() && raw.back() == '\n') return "\n";
    return "";
}

bool IsBlank(const std::string& raw) {
    return raw.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

struct IniFile {
    std::vector<IniLine> lines;
    std::string eol = "\r\n";

    void Parse(const std::string& bytes) {
        size_t i = 0;
        bool first = true;
        while (i < bytes.size()) {
            size_t j = bytes.find('\n', i);
            size_t next = j == std::string::npos ? bytes.size() : j + 1;
            IniLine line;
            line.raw = bytes.substr(i, next - i);
            std::string text = bytes.substr(i, (j == std::string::npos ? bytes.size() : j) - i);
            if (!text.empty() && text.back() == '\r') text.pop_back();
            if (first && j != std::string::npos)
                eol = (j > i && bytes[j - 1] == '\r') ? "\r\n" : "\n";
            first = false;
            Classify(text, &line);
            lines.push_back(std::move(line));
            i = next;
        }
    }

    static void Classify(const std::string& text, IniLine* line) {
        std::string t = Trim(text);
        if (!t.empty() && t[0] == '[') {
            size_t close = t.find(']');
            line->kind = IniLine::Section;
            line->name =
                Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            return;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos || eq == 0) return;
        line->kind = IniLine::Key;
        line->name = Trim(t.substr(0, eq));
        line->value = Trim(t.substr(eq + 1));
    }

    // The lines [begin, end) of the first section named `section`; false when there is none.
    bool FindSection(const std::string& section, size_t* begin, size_t* end) const {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].kind != IniLine::Section || !EqualNoCaseSjis(lines[i].name, section))
                continue;
            size_t e = i + 1;
            while (e < lines.size() && lines[e].kind != IniLine::Section) ++e;
            *begin = i;
            *end = e;
            return true;
        }
        return false;
    }

    int FindKey(size_t begin, size_t end, const std::string& key) const {
        for (size_t i = begin + 1; i < end; ++i)
            if (lines[i].kind == IniLine::Key && EqualNoCaseSjis(lines[i].name, key))
                return static_cast<int>(i);
        return -1;
    }

    std::string Bytes() const {
        std::string out;
        for (const IniLine& l : lines) out += l.raw;
        return out;
    }
};

std::string ReadAll(const std::string& path, bool* exists) {
    std::string bytes;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    *exists = fd >= 0;
    if (fd < 0) return bytes;
    char buf[16384];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.append(buf, n);
    }
    close(fd);
    return bytes;
}

bool IsBareName(const char* file) { return !strpbrk(file, "\\/:"); }

// The Linux path of an ini file: a bare name lies in the Windows folder.
bool IniPath(const char* file, std::string* path, bool* isWinIni) {
    if (!file) file = "win.ini";
    *isWinIni = false;
    if (IsBareName(file)) {
        if (strlen(file) >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        FullPath full = LinuxToFullPath(WindowsDirLinux());
        std::string name = DecodeSystemPath(file);
        *isWinIni = EqualNoCaseUtf8(name, "win.ini");
        full.parts.push_back(name);
        return FullPathToLinux(full, path);
    }
    return ResolveSystemPath(file, path);
}

std::string DropQuotes(const std::string& v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

// One language setting answers for the country of the user's profile.
bool LanguageValue(const std::string& section, const std::string& key, std::string* value) {
    if (!EqualNoCaseSjis(section, "intl") || !EqualNoCaseSjis(key, "iCountry")) return false;
    *value = WynPlat_IsJapanese() ? "81" : "1";
    return true;
}

// Writes names, each ending with a zero, and a final zero; cut as the system cuts lists.
DWORD CopyList(const std::vector<std::string>& names, char* buf, DWORD cap) {
    if (cap == 1) {
        buf[0] = 0;
        return 0;
    }
    DWORD pos = 0;
    for (const std::string& n : names) {
        if (pos + n.size() + 1 + 1 > cap) {
            // Out of room: fill up to two bytes short of the end, then two zeros.
            size_t room = pos < cap - 2 ? cap - 2 - pos : 0;
            if (room > n.size()) room = n.size();
            memcpy(buf + pos, n.data(), room);
            buf[cap - 2] = 0;
            buf[cap - 1] = 0;
            return cap - 2;
        }
        memcpy(buf + pos, n.c_str(), n.size() + 1);
        pos += static_cast<DWORD>(n.size() + 1);
    }
    buf[pos] = 0;
    if (pos == 0 && cap >= 2) buf[1] = 0;
    return pos;
}

DWORD CopyValue(const std::string& v, char* buf, DWORD cap) {
    size_t n = v.size() < cap - 1 ? v.size() : cap - 1;
    memcpy(buf, v.data(), n);
    buf[n] = 0;
    return static_cast<DWORD>(n);
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno, path));
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetLastError(n < 0 ? ErrorFromErrno(errno, path) : ERROR_DISK_FULL);
            close(fd);
            return false;
        }
        done += n;
    }
    close(fd);
    return true;
}

}  // namespace
}  // namespace wynplat

using namespace wynplat;

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buf, DWORD cap,
                                      LPCSTR file) {
    if (!buf || cap == 0) return 0;
    buf[0] = 0;
    std::string path;
    bool isWinIni = false;
    bool fileOk = IniPath(file, &path, &isWinIni);
    IniFile ini;
    bool exists = false;
    if (fileOk) ini.Parse(ReadAll(path, &exists));
    if (!section) {
        std::vector<std::string> names;
        for (const IniLine& l : ini.lines)
            if (l.kind == IniLine::Section) names.push_back(l.name);
        return CopyList(names, buf, cap);
    }
    size_t begin = 0, end = 0;
    bool hasSection = ini.FindSection(section, &begin, &end);
    if (!key) {
        std::vector<std::string> names;
        if (hasSection)
            for (size_t i = begin + 1; i < end; ++i)
                if (ini.lines[i].kind == IniLine::Key) names.push_back(ini.lines[i].name);
        return CopyList(names, buf, cap);
    }
    std::string value;
    if (isWinIni && LanguageValue(section, key, &value)) return CopyValue(value, buf, cap);
    int at = hasSection ? ini.FindKey(begin, end, key) : -1;
    if (at >= 0) return CopyValue(DropQuotes(ini.lines[at].value), buf, cap);
    // The default loses its trailing blanks, as the system does.
    std::string d = def ? def : "";
    while (!d.empty() && d.back() == ' ') d.pop_back();
    SetLastError(ERROR_FILE_NOT_FOUND);
    return CopyValue(d, buf, cap);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file) {
    if (!section || !key) return static_cast<UINT>(def);
    char buf[256];
    DWORD n = GetPrivateProfileStringA(section, key, "", buf, sizeof buf, file);
    if (n == 0) return static_cast<UINT>(def);
    const char* p = buf;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    uint32_t v = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        for (p += 2;; ++p) {
            int d = (*p >= '0' && *p <= '9')   ? *p - '0'
                    : (*p >= 'a' && *p <= 'f') ? *p - 'a' + 10
                    : (*p >= 'A' && *p <= 'F') ? *p - 'A' + 10
                                               : -1;
            if (d < 0) break;
            v = v * 16 + static_cast<uint32_t>(d);
        }
    } else {
        for (; *p >= '0' && *p <= '9'; ++p) v = v * 10 + static_cast<uint32_t>(*p - '0');
    }
    return negative ? 0u - v : v;
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    if (!section) {
        if (!key && !value) return TRUE;  // only asks to flush: nothing is cached
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path;
    bool isWinIni = false;
    if (!IniPath(file, &path, &isWinIni)) return FALSE;
    std::lock_guard<std::mutex> guard(g_writeLock);
    bool exists = false;
    IniFile ini;
    ini.Parse(ReadAll(path, &exists));
    size_t begin = 0, end = 0;
    bool hasSection = ini.FindSection(section, &begin, &end);
    auto& lines = ini.lines;
    if (!key) {
        if (!hasSection) return TRUE;
        lines.erase(lines.begin() + begin, lines.begin() + end);
        return WriteAll(path, ini.Bytes());
    }
    int at = hasSection ? ini.FindKey(begin, end, key) : -1;
    if (!value) {
        if (at < 0) return TRUE;
        lines.erase(lines.begin() + at);
        return WriteAll(path, ini.Bytes());
    }
    IniLine line;
    if (at >= 0) {
        // The rewritten line keeps its own line end (none on an unended last line).
        std::string eol = EolOf(lines[at].raw);
        line.raw = lines[at].name + "=" + value + eol;
        IniFile::Classify(lines[at].name + "=" + value, &line);
        lines[at] = line;
    } else if (hasSection) {
        // After the section's last entry, before the blank lines that part it from the next.
        size_t pos = end;
        while (pos > begin + 1 && IsBlank(lines[pos - 1].raw)) --pos;
        std::string& prev = lines[pos - 1].raw;
        if (EolOf(prev).empty()) prev += ini.eol;  // the file's unended last line
        line.raw = std::string(key) + "=" + value + EolOf(prev);
        IniFile::Classify(std::string(key) + "=" + value, &line);
        lines.insert(lines.begin() + pos, line);
    } else {
        std::string added;
        if (!lines.empty() && EolOf(lines.back().raw).empty()) lines.back().raw += ini.eol;
        // A blank line parts the new section from the one before, unless one is there already.
        if (!lines.empty() && !IsBlank(lines.back().raw)) added += ini.eol;
        added += std::string("[") + section + "]" + ini.eol + key + "=" + value + ini.eol;
        IniLine tail;
        tail.raw = added;
        lines.push_back(tail);
    }
    return WriteAll(path, ini.Bytes());
}

DWORD WINAPI GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buf, DWORD cap) {
    return GetPrivateProfileStringA(section, key, def, buf, cap, "win.ini");
}

UINT WINAPI GetProfileIntA(LPCSTR section, LPCSTR key, INT def) {
    return GetPrivateProfileIntA(section, key, def, "win.ini");
}
