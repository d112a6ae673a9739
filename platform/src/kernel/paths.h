// The one path resolver of the platform layer: the system's paths ("C:\DATA\x.bmp", "data/x",
// "D:sub\y", Shift-JIS names, any case) become Linux paths. Every file function goes through it.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace wynplat {

// A path in its full Windows form: a drive letter and its components (UTF-8), already
// normalised ("." dropped, ".." applied, trailing dots and blanks cut as the system does).
struct FullPath {
    char drive = 'C';
    std::vector<std::string> parts;
};

// The text of a system path as UTF-8: Shift-JIS unless the bytes are valid UTF-8 (a Linux path
// handed through). Decoding comes before splitting, so a trail byte 0x5C never splits a name.
std::string DecodeSystemPath(const char* path);

// The full form of `utf8Path` against the current folder, by text alone (nothing is looked up
// on disk). Returns false and sets the last error when the path cannot be one.
bool MakeFullPath(const std::string& utf8Path, FullPath* out);

// "C:\a\b" in UTF-8, or in Shift-JIS.
std::string FullPathText(const FullPath& path);
std::string FullPathSystemText(const FullPath& path);

// The letter of the virtual CD drive: WYN_CDROM_DRIVE, else the first from D: that no
// WYN_DRIVE_<letter> takes. Its disc is the folder WYN_CDROM names (none: no disc).
char CdDriveLetter();

// The Linux folder standing for `drive` (C: is "/"). Returns false when the drive does not exist.
bool DriveRoot(char drive, std::string* root);

// Maps a full path onto the disk, matching every existing component without regard to case
// (an exact match wins). Returns false and sets the last error when the drive does not exist.
bool FullPathToLinux(const FullPath& path, std::string* linuxPath);

// The whole resolver: system path in, Linux path out. Checks the length limit of the system
// (ERROR_FILENAME_EXCED_RANGE) and, unless `allowWildcards`, the characters names may not hold
// (ERROR_INVALID_NAME). Returns false with the last error set on failure.
bool ResolveSystemPath(const char* path, std::string* linuxPath, bool allowWildcards = false);

// A Linux path in the full form (drive C:), and as the system sees it: "C:\..." in Shift-JIS.
FullPath LinuxToFullPath(const std::string& linuxPath);
std::string LinuxToSystemPath(const std::string& linuxPath);

// The last error for a failed call on `linuxPath` that set `err`: a missing file is
// ERROR_FILE_NOT_FOUND when its folder exists, else ERROR_PATH_NOT_FOUND.
DWORD ErrorFromErrno(int err, const std::string& linuxPath);

// The program folder (Linux, no trailing '/').
const std::string& ProgramDirLinux();
// The runtime folder where the programs of the set meet (WYN_RUNTIME_DIR, else
// $XDG_RUNTIME_DIR/wyn, else /tmp/wyn-<uid>), made on first use, without a trailing '/'.
// Empty when it cannot be made or written: nothing of the set may then land anywhere else.
std::string RuntimeDirLinux();
// The same check with its findings: the folder chosen (always set), and when it is not
// usable, false and the errno that says why.
bool RuntimeDirStatus(std::string* dir, int* err);
// The folder that stands for the Windows folder, created on demand.
std::string WindowsDirLinux();

// Joins a folder and a name with one '/'.
std::string JoinLinux(const std::string& dir, const std::string& name);

// Copies `text` and its terminating zero into `buf` when it fits: returns its length; else
// returns the size needed including the zero (the convention of the folder queries).
DWORD CopyPathResult(const std::string& text, char* buf, DWORD cap);

}  // namespace wynplat
