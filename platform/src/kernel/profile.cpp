// Ini files (private profiles) with the system's rules: sections and keys without regard to case,
// blanks around names and values ignored, one pair of quotes around a value dropped, CRLF or LF
// lines, and every line a write does not touch kept byte for byte.
//
// A write never leaves a part of a file: the new contents go to a file beside the old one, reach
// the disk, and are renamed over it, so a reader (or the next start after a crash) finds the old
// file or the new one. Writers of the programs of the set take the folder's lock around their
// read-modify-write, so two programs writing one file at once lose neither's keys. Readers keep
// one parsed copy per file, checked against the file's identity, size and modification time.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <wynplat.h>

#include "kernel/paths.h"
#include "kernel/text.h"
#include "user/own_box.h"

namespace wynplat {
namespace {

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

// A settings file larger than this is refused rather than read: a damaged or runaway file
// would otherwise stall every program that reads its settings.
constexpr off_t kMaxIniBytes = 1 << 20;

// One state of a file on disk: a rewrite (a new file renamed over the old) or an outside edit
// changes at least one of these.
struct Stamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    time_t mtimeSec = 0;
    long mtimeNsec = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const struct stat& st) {
    return Stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

struct ParsedFile {
    Stamp stamp;
    bool refused = false;  // too large: reads give the defaults
    std::shared_ptr<const IniFile> ini;
};

struct Store {
    std::mutex m;                             // guards the fields below up to writeLock
    std::map<std::string, ParsedFile> files;  // by Linux path
    long parses = 0;
    int writes = 0;          // ini files written so far by this process
    int faultAt = 0;         // the write that fails part-way (0: none)
    bool faultKill = false;  // ... by ending the process, as a crash would
    bool faultEnvRead = false;
    std::mutex writeLock;  // one read-modify-write of this process at a time
};

Store& S() {
    static Store* s = new Store;
    return *s;
}

const std::shared_ptr<const IniFile>& EmptyIni() {
    static const auto* empty = new std::shared_ptr<const IniFile>(std::make_shared<IniFile>());
    return *empty;
}

enum class ReadResult { kOk, kMissing, kTooLarge, kError };

// Reads a whole ini file, never more than the limit allows. `err` is the errno of a failure.
ReadResult ReadIni(const std::string& path, std::string* bytes, struct stat* st, int* err) {
    bytes->clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return errno == ENOENT ? ReadResult::kMissing : ReadResult::kError;
    }
    const bool status = fstat(fd, st) == 0;
    if (!status || S_ISDIR(st->st_mode)) {
        *err = status ? EISDIR : errno;
        close(fd);
        return ReadResult::kError;
    }
    if (st->st_size > kMaxIniBytes) {
        close(fd);
        return ReadResult::kTooLarge;
    }
    char buf[16384];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *err = errno;
            close(fd);
            return ReadResult::kError;
        }
        if (n == 0) break;
        bytes->append(buf, static_cast<size_t>(n));
        if (bytes->size() > static_cast<size_t>(kMaxIniBytes)) {  // it grew while being read
            close(fd);
            return ReadResult::kTooLarge;
        }
    }
    close(fd);
    return ReadResult::kOk;
}

// Notes that the file in the state `stamp` is too large; the first time for that state the
// user is told, so that many reads of it give one message.
void RefuseTooLarge(const std::string& path, const Stamp& stamp) {
    Store& s = S();
    bool tell;
    {
        std::lock_guard<std::mutex> g(s.m);
        ParsedFile& f = s.files[path];
        tell = !(f.refused && f.stamp == stamp);
        f = ParsedFile{stamp, true, nullptr};
    }
    if (!tell) return;
    std::string name = FromUtf8(path, 932);
    if (WynPlat_IsJapanese())
        ShowOwnBox("設定ファイルが大きすぎるため読み込みません（1 MB まで）。\n" + name,
                   MB_OK | MB_ICONWARNING);
    else
        ShowOwnBox("The settings file is too large to be read (1 MB at most).\n" + name,
                   MB_OK | MB_ICONWARNING);
}

// The parsed file for reading: the copy kept for it while the file is unchanged, else the file
// parsed anew. A missing, unreadable or refused file reads as an empty one.
std::shared_ptr<const IniFile> ParsedForReading(const std::string& path) {
    Store& s = S();
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return EmptyIni();
    {
        std::lock_guard<std::mutex> g(s.m);
        auto it = s.files.find(path);
        if (it != s.files.end() && it->second.stamp == StampOf(st))
            return it->second.refused ? EmptyIni() : it->second.ini;
    }
    std::string bytes;
    int err = 0;
    switch (ReadIni(path, &bytes, &st, &err)) {
        case ReadResult::kOk:
            break;
        case ReadResult::kTooLarge:
            RefuseTooLarge(path, StampOf(st));
            return EmptyIni();
        default:
            return EmptyIni();
    }
    auto ini = std::make_shared<IniFile>();
    ini->Parse(bytes);
    std::lock_guard<std::mutex> g(s.m);
    ++s.parses;
    s.files[path] = ParsedFile{StampOf(st), false, ini};
    return ini;
}

// Whether this write is the one the test fault names (WYN_INI_WRITE_FAULT "n" or "n:kill", or
// WynPlat_SetIniWriteFault); counts the write.
bool TakeWriteFault(bool* kill) {
    Store& s = S();
    std::lock_guard<std::mutex> g(s.m);
    if (!s.faultEnvRead) {
        s.faultEnvRead = true;
        if (const char* env = getenv("WYN_INI_WRITE_FAULT"); env && *env && !s.faultAt) {
            s.faultAt = atoi(env);
            s.faultKill = strstr(env, "kill") != nullptr;
        }
    }
    ++s.writes;
    *kill = s.faultKill;
    return s.faultAt > 0 && s.writes == s.faultAt;
}

// The lock that the writers of every program of the set take on a folder around their
// read-modify-write of an ini file in it; held for the life of the object.
class FolderLock {
  public:
    explicit FolderLock(const std::string& dir) {
        fd_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) return;
        int r;
        while ((r = flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {}
        held_ = r == 0;
    }
    ~FolderLock() {
        if (fd_ < 0) return;
        if (held_) flock(fd_, LOCK_UN);
        close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return held_; }

  private:
    int fd_ = -1;
    bool held_ = false;
};

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".")
           : slash == 0               ? std::string("/")
                                      : path.substr(0, slash);
}

// Puts `bytes` in place of the file at `target`: written beside it, on the disk, then renamed
// over it. On failure the old file is untouched, nothing is left beside it, and the last error
// says why. `old` is the old file's status (its permissions carry over), or null.
bool WriteReplacing(const std::string& target, const std::string& bytes, const struct stat* old,
                    bool folderLocked) {
    const std::string dir = FolderOf(target);
    const std::string name = target.substr(target.find_last_of('/') + 1);
    // Under the folder's lock one name serves every program; without it each has its own.
    std::string part = JoinLinux(dir, "." + name + ".part");
    if (!folderLocked) part += std::to_string(getpid());
    int fd = open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno, target));
        return false;
    }
    if (old) fchmod(fd, old->st_mode & 07777);
    bool kill = false;
    const bool fault = TakeWriteFault(&kill);
    const size_t end = fault ? bytes.size() / 2 : bytes.size();
    int err = 0;
    size_t done = 0;
    while (done < end) {
        ssize_t n = write(fd, bytes.data() + done, end - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (!err && fault) {
        if (kill) ::kill(getpid(), SIGKILL);
        err = ENOSPC;  // as a full disk ends a write
    }
    if (!err && fsync(fd) != 0) err = errno;
    if (close(fd) != 0 && !err) err = errno;
    if (!err && rename(part.c_str(), target.c_str()) != 0) err = errno;
    if (err) {
        unlink(part.c_str());
        SetLastError(ErrorFromErrno(err, target));
        return false;
    }
    // The rename reaches the disk with its folder.
    int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

// The read-modify-write of one ini file: `edit` changes the parsed file and says whether
// anything is to be written (nothing written: TRUE without touching the file). An oversized
// file is told of after the locks are let go: a box may wait for the user.
BOOL RewriteIni(const std::string& path, const std::function<bool(IniFile&)>& edit) {
    Store& s = S();
    Stamp oversized;
    {
        std::lock_guard<std::mutex> guard(s.writeLock);
        // A link is followed, so that the file it names is replaced and the link stays.
        std::string target = path;
        struct stat lst;
        char real[PATH_MAX];
        if (lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode) && realpath(path.c_str(), real))
            target = real;
        FolderLock lock(FolderOf(target));
        std::string bytes;
        struct stat st;
        int err = 0;
        const ReadResult read = ReadIni(target, &bytes, &st, &err);
        if (read == ReadResult::kError) {  // writing back what could be read would lose the rest
            SetLastError(ErrorFromErrno(err, target));
            return FALSE;
        }
        if (read != ReadResult::kTooLarge) {
            IniFile ini;
            ini.Parse(bytes);
            if (!edit(ini)) return TRUE;
            const bool ok = WriteReplacing(target, ini.Bytes(),
                                           read == ReadResult::kOk ? &st : nullptr, lock.held());
            std::lock_guard<std::mutex> g(s.m);
            s.files.erase(path);
            s.files.erase(target);
            return ok ? TRUE : FALSE;
        }
        oversized = StampOf(st);
    }
    RefuseTooLarge(path, oversized);
    SetLastError(ERROR_FILE_TOO_LARGE);
    return FALSE;
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
    std::shared_ptr<const IniFile> parsed =
        IniPath(file, &path, &isWinIni) ? ParsedForReading(path) : EmptyIni();
    const IniFile& ini = *parsed;
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
        if (!key && !value) {
            // Only asks to flush: every write is on the disk already; the parsed copies go.
            std::lock_guard<std::mutex> g(S().m);
            S().files.clear();
            return TRUE;
        }
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path;
    bool isWinIni = false;
    if (!IniPath(file, &path, &isWinIni)) return FALSE;
    return RewriteIni(path, [&](IniFile& ini) {
        size_t begin = 0, end = 0;
        bool hasSection = ini.FindSection(section, &begin, &end);
        auto& lines = ini.lines;
        if (!key) {
            if (!hasSection) return false;
            lines.erase(lines.begin() + begin, lines.begin() + end);
            return true;
        }
        int at = hasSection ? ini.FindKey(begin, end, key) : -1;
        if (!value) {
            if (at < 0) return false;
            lines.erase(lines.begin() + at);
            return true;
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
            // A blank line parts the new section from the one before, unless one is there.
            if (!lines.empty() && !IsBlank(lines.back().raw)) added += ini.eol;
            added += std::string("[") + section + "]" + ini.eol + key + "=" + value + ini.eol;
            IniLine tail;
            tail.raw = added;
            lines.push_back(tail);
        }
        return true;
    });
}

DWORD WINAPI GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buf, DWORD cap) {
    return GetPrivateProfileStringA(section, key, def, buf, cap, "win.ini");
}

UINT WINAPI GetProfileIntA(LPCSTR section, LPCSTR key, INT def) {
    return GetPrivateProfileIntA(section, key, def, "win.ini");
}

long WynPlat_IniParseCount(void) {
    Store& s = S();
    std::lock_guard<std::mutex> g(s.m);
    return s.parses;
}

void WynPlat_SetIniWriteFault(int n, int kill) {
    Store& s = S();
    std::lock_guard<std::mutex> g(s.m);
    s.faultEnvRead = true;  // the test's word wins over the environment's
    s.faultAt = n > 0 ? s.writes + n : 0;
    s.faultKill = kill != 0;
}
