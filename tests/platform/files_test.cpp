// Files through handles, the OpenFile family, operations on names and the folder queries.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <wynplat.h>

#include "temp_folder.h"

namespace {

HANDLE Open(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Files : public ::testing::Test {
  protected:
    void SetUp() override {
        t.MakeDir("Folder");
        t.Write("Folder/Ten.bin", "0123456789");
    }
    TempFolder t;
    KeepCurrentFolder keep;
};

TEST_F(Files, OpeningFailsWithTheSystemsCodes) {
    struct Case {
        std::string path;
        DWORD access;
        DWORD disposition;
        DWORD error;
    };
    const Case cases[] = {
        {t.Sys("Folder\\missing.bin"), GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {t.Sys("NoFolder\\x.bin"), GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {t.Sys("NoFolder\\x.bin"), GENERIC_WRITE, CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
        {t.Sys("Folder\\Ten.bin\\x"), GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {t.Sys("folder\\ten.BIN"), GENERIC_WRITE, CREATE_NEW, ERROR_FILE_EXISTS},
        {t.Sys("Folder"), GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
        {t.Sys("Folder\\Ten.bin"), GENERIC_READ, 99, ERROR_INVALID_PARAMETER},
        {"C:\\" + std::string(400, 'x'), GENERIC_READ, OPEN_EXISTING, ERROR_FILENAME_EXCED_RANGE},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(Open(c.path, c.access, c.disposition), INVALID_HANDLE_VALUE)
            << c.path.substr(0, 60);
        EXPECT_EQ(GetLastError(), c.error) << c.path.substr(0, 60);
    }
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
}

TEST_F(Files, ReportsFullDisksAndTooManyFiles) {
    // A full disk: every write to /dev/full fails as one.
    HANDLE full = Open("C:\\DEV\\FULL", GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(full, INVALID_HANDLE_VALUE);
    DWORD n = 99;
    SetLastError(0);
    EXPECT_FALSE(WriteFile(full, "abc", 3, &n, nullptr));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
    EXPECT_EQ(n, 0u);
    CloseHandle(full);

    // Too many open files: lower this process's limit, open until it refuses.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    struct rlimit low = saved;
    low.rlim_cur = 32;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<HANDLE> open;
    DWORD error = 0;
    for (int i = 0; i < 64; ++i) {
        HANDLE h = Open(t.Sys("Folder\\Ten.bin"), GENERIC_READ, OPEN_EXISTING);
        if (h == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            break;
        }
        open.push_back(h);
    }
    for (HANDLE h : open) CloseHandle(h);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(error, (DWORD)ERROR_TOO_MANY_OPEN_FILES);
}

TEST_F(Files, ReadsWritesAndSeeks) {
    HANDLE h = Open(t.Sys("FOLDER\\TEN.BIN"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(h, nullptr), 10u);
    char buf[32] = {};
    DWORD got = 99;
    ASSERT_TRUE(ReadFile(h, buf, 4, &got, nullptr));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_CURRENT), 6u);
    EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 7u);
    ASSERT_TRUE(ReadFile(h, buf, 20, &got, nullptr));  // past the end: success, fewer bytes
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(std::string(buf, 3), "789");
    ASSERT_TRUE(ReadFile(h, buf, 20, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(h, 5, &high, FILE_BEGIN), 5u);
    EXPECT_EQ(high, 0);
    EXPECT_FALSE(WriteFile(h, "x", 1, &got, nullptr));  // opened for reading only
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_TRUE(CloseHandle(h));

    SetLastError(0);
    h = Open(t.Sys("Folder\\Ten.bin"), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);  // succeeded on an existing file
    EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    ASSERT_TRUE(WriteFile(h, "ab", 2, &got, nullptr));
    EXPECT_EQ(got, 2u);
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 6u);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(t.Read("Folder/Ten.bin"), "0123ab");

    SetLastError(0);
    h = Open(t.Sys("Folder\\New.bin"), GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(WriteFile(h, "new", 3, &got, nullptr));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(t.Read("Folder/New.bin"), "new");  // created with the case it was given
}

TEST_F(Files, BadHandlesFailCleanly) {
    HANDLE find;
    WIN32_FIND_DATAA fd;
    find = FindFirstFileA(t.Sys("Folder\\*").c_str(), &fd);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    HANDLE closed = Open(t.Sys("Folder\\Ten.bin"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_TRUE(CloseHandle(closed));
    const HANDLE bad[] = {nullptr, INVALID_HANDLE_VALUE,        (HANDLE)(intptr_t)0x12345, closed,
                          find,    (HANDLE)(intptr_t)0x7FFFFFFC};
    for (HANDLE h : bad) {
        char buf[4];
        DWORD n = 7;
        SetLastError(0);
        EXPECT_FALSE(ReadFile(h, buf, 4, &n, nullptr)) << h;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE) << h;
        EXPECT_EQ(n, 0u);
        EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr)) << h;
        EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER) << h;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE) << h;
        EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE) << h;
        EXPECT_FALSE(SetEndOfFile(h)) << h;
        EXPECT_EQ(_lread(HFILE(intptr_t(h)), buf, 4), (UINT)HFILE_ERROR) << h;
        EXPECT_EQ(_llseek(HFILE(intptr_t(h)), 0, 0), HFILE_ERROR) << h;
        if (h != find) {
            EXPECT_FALSE(CloseHandle(h)) << h;
            EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE) << h;
            EXPECT_EQ(_lclose(HFILE(intptr_t(h))), HFILE_ERROR) << h;
        }
    }
    EXPECT_FALSE(FindClose(closed));
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

TEST_F(Files, OperatesOnNames) {
    t.Write("Folder/Other.bin", "o");
    struct Case {
        const char* what;
        bool ok;
        DWORD error;
    };
    auto check = [](const char* what, BOOL ok, bool expectOk, DWORD error) {
        EXPECT_EQ(ok != FALSE, expectOk) << what;
        if (!expectOk) {
            EXPECT_EQ(GetLastError(), error) << what;
        }
    };
    std::string ten = t.Sys("folder\\ten.bin"), other = t.Sys("Folder\\other.BIN");
    check("delete missing", DeleteFileA(t.Sys("Folder\\none").c_str()), false,
          ERROR_FILE_NOT_FOUND);
    check("delete in missing folder", DeleteFileA(t.Sys("None\\x").c_str()), false,
          ERROR_PATH_NOT_FOUND);
    check("delete folder", DeleteFileA(t.Sys("Folder").c_str()), false, ERROR_ACCESS_DENIED);
    check("move onto existing", MoveFileA(ten.c_str(), other.c_str()), false, ERROR_ALREADY_EXISTS);
    check("move missing", MoveFileA(t.Sys("x").c_str(), t.Sys("y").c_str()), false,
          ERROR_FILE_NOT_FOUND);
    check("copy onto existing", CopyFileA(ten.c_str(), other.c_str(), TRUE), false,
          ERROR_FILE_EXISTS);
    check("copy missing", CopyFileA(t.Sys("x").c_str(), t.Sys("y").c_str(), FALSE), false,
          ERROR_FILE_NOT_FOUND);
    check("copy over", CopyFileA(ten.c_str(), other.c_str(), FALSE), true, 0);
    EXPECT_EQ(t.Read("Folder/Other.bin"), "0123456789");
    check("move", MoveFileA(other.c_str(), t.Sys("Moved.bin").c_str()), true, 0);
    EXPECT_TRUE(t.Exists("Moved.bin"));
    EXPECT_FALSE(t.Exists("Folder/Other.bin"));
    check("rename in case only", MoveFileA(t.Sys("moved.bin").c_str(), t.Sys("MOVED.BIN").c_str()),
          true, 0);
    check("delete", DeleteFileA(t.Sys("moved.bin").c_str()), true, 0);
    check("mkdir", CreateDirectoryA(t.Sys("New").c_str(), nullptr), true, 0);
    check("mkdir again", CreateDirectoryA(t.Sys("NEW").c_str(), nullptr), false,
          ERROR_ALREADY_EXISTS);
    check("mkdir in missing", CreateDirectoryA(t.Sys("A\\B").c_str(), nullptr), false,
          ERROR_PATH_NOT_FOUND);
    check("rmdir full", RemoveDirectoryA(t.Sys("FOLDER").c_str()), false, ERROR_DIR_NOT_EMPTY);
    check("rmdir file", RemoveDirectoryA(ten.c_str()), false, ERROR_DIRECTORY);
    check("rmdir missing", RemoveDirectoryA(t.Sys("Gone").c_str()), false, ERROR_FILE_NOT_FOUND);
    check("rmdir", RemoveDirectoryA(t.Sys("new").c_str()), true, 0);
    EXPECT_FALSE(t.Exists("New"));

    EXPECT_EQ(GetFileAttributesA(t.Sys("folder").c_str()), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(ten.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(GetFileAttributesA(ten.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(t.Sys("none").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, OpenFileFamily) {
    OFSTRUCT of;
    memset(&of, 0xCC, sizeof of);
    std::string ten = t.Sys("folder\\TEN.bin");
    HFILE f = OpenFile(ten.c_str(), &of, OF_EXIST);
    EXPECT_NE(f, HFILE_ERROR);
    EXPECT_NE(f, 0);
    EXPECT_EQ(of.cBytes, sizeof(OFSTRUCT));
    EXPECT_EQ(std::string(of.szPathName), ten);  // the full path as given
    f = OpenFile(t.Sys("Folder\\none.bin").c_str(), &of, OF_EXIST);
    EXPECT_EQ(f, HFILE_ERROR);
    EXPECT_EQ(of.nErrCode, ERROR_FILE_NOT_FOUND);
    f = OpenFile(t.Sys("None\\none.bin").c_str(), &of, OF_READ);
    EXPECT_EQ(f, HFILE_ERROR);
    EXPECT_EQ(of.nErrCode, ERROR_PATH_NOT_FOUND);

    // Create, write, seek, cut, read back.
    f = OpenFile(t.Sys("Made.dat").c_str(), &of, OF_CREATE | OF_WRITE);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(_lwrite(f, "abcdefgh", 8), 8u);
    EXPECT_EQ(_hwrite(f, "ij", 2), 2);
    EXPECT_EQ(_llseek(f, 0, 1), 10);
    EXPECT_EQ(_llseek(f, -4, 2), 6);
    EXPECT_EQ(_lwrite(f, "", 0), 0u);  // writing nothing ends the file here
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(t.Read("Made.dat"), "abcdef");

    f = _lopen(t.Sys("made.DAT").c_str(), OF_READ);
    ASSERT_NE(f, HFILE_ERROR);
    char buf[16] = {};
    EXPECT_EQ(_lread(f, buf, 4), 4u);
    EXPECT_EQ(_hread(f, buf + 4, 10), 2);
    EXPECT_EQ(std::string(buf), "abcdef");
    EXPECT_EQ(_lread(f, buf, 4), 0u);
    EXPECT_EQ(_lwrite(f, "x", 1), (UINT)HFILE_ERROR);  // read-only
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(_lopen(t.Sys("none").c_str(), OF_READ), HFILE_ERROR);

    f = _lcreat(t.Sys("Made.dat").c_str(), 0);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(GetFileSize(HANDLE(intptr_t(f)), nullptr), 0u);  // the same handles as CreateFileA
    EXPECT_EQ(_lclose(f), 0);

    EXPECT_EQ(OpenFile(t.Sys("made.dat").c_str(), &of, OF_DELETE), 1);
    EXPECT_FALSE(t.Exists("Made.dat"));
    EXPECT_EQ(OpenFile(t.Sys("made.dat").c_str(), &of, OF_DELETE), HFILE_ERROR);
    EXPECT_EQ(OpenFile(ten.c_str(), nullptr, OF_EXIST), HFILE_ERROR);

    // A bare name not in the current folder is found in the program folder.
    ASSERT_EQ(chdir(t.Linux("Folder").c_str()), 0);
    std::string programFile = std::string(WynPlat_ProgramDir()) + "/wynplat-openfile-probe.txt";
    FILE* probe = fopen(programFile.c_str(), "w");
    ASSERT_NE(probe, nullptr);
    fclose(probe);
    f = OpenFile("WYNPLAT-OPENFILE-PROBE.TXT", &of, OF_EXIST);
    unlink(programFile.c_str());
    EXPECT_NE(f, HFILE_ERROR);
    char expected[1024];
    WynPlat_ToSystemPath(programFile.c_str(), expected, sizeof expected);
    EXPECT_EQ(strcasecmp(of.szPathName, expected), 0) << of.szPathName;
}

TEST_F(Files, FolderQueries) {
    char buf[1024];
    ASSERT_TRUE(SetCurrentDirectoryA(t.Sys("FOLDER").c_str()));
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    EXPECT_EQ(std::string(buf), t.Sys("Folder"));
    EXPECT_EQ(n, strlen(buf));
    EXPECT_EQ(GetCurrentDirectoryA(3, buf), n + 1);  // too small: the size needed
    EXPECT_FALSE(SetCurrentDirectoryA(t.Sys("none").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(SetCurrentDirectoryA(t.Sys("Folder\\Ten.bin").c_str()));

    char* filePart = nullptr;
    n = GetFullPathNameA("..\\x\\..\\Name.TXT", sizeof buf, buf, &filePart);
    EXPECT_EQ(std::string(buf), t.Sys("Name.TXT"));
    EXPECT_EQ(n, strlen(buf));
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, "Name.TXT");
    EXPECT_EQ(GetFullPathNameA("D:\\a\\b", 4, buf, &filePart), 7u);
    EXPECT_EQ(GetFullPathNameA("c:/A/", sizeof buf, buf, &filePart), 5u);
    EXPECT_STREQ(buf, "C:\\A\\");
    EXPECT_EQ(filePart, nullptr);

    n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    ASSERT_GT(n, 3u);
    std::string module = buf;
    char dir[1024];
    WynPlat_ToSystemPath(WynPlat_ProgramDir(), dir, sizeof dir);
    EXPECT_EQ(module.substr(0, module.find_last_of('\\')), std::string(dir));
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 4), 4u);  // cut, with the error said
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(buf), module.substr(0, 3));

    setenv("WYN_WINDOWS_DIR", t.Linux("win/dows").c_str(), 1);
    n = GetWindowsDirectoryA(buf, sizeof buf);
    EXPECT_EQ(std::string(buf), t.Sys("win\\dows"));
    EXPECT_TRUE(t.Exists("win/dows"));  // made on demand
    EXPECT_EQ(GetWindowsDirectoryA(buf, 2), n + 1);
    n = GetSystemDirectoryA(buf, sizeof buf);
    EXPECT_EQ(std::string(buf), t.Sys("win\\dows\\system"));
    unsetenv("WYN_WINDOWS_DIR");
    n = GetTempPathA(sizeof buf, buf);
    EXPECT_EQ(buf[n - 1], '\\');
    EXPECT_EQ(std::string(buf, 3), "C:\\");

    setenv("WYN_DRIVE_Q", t.Linux("Folder").c_str(), 1);
    EXPECT_EQ(GetDriveTypeA("C:\\"), (UINT)DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA(nullptr), (UINT)DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA("q:"), (UINT)DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA("R:\\"), (UINT)DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveTypeA("C:\\Folder"), (UINT)DRIVE_NO_ROOT_DIR);
    DWORD drives = GetLogicalDrives();
    EXPECT_TRUE(drives & (1u << 2));
    EXPECT_TRUE(drives & (1u << ('Q' - 'A')));
    EXPECT_FALSE(drives & (1u << ('R' - 'A')));
    HANDLE h = Open("Q:\\TEN.BIN", GENERIC_READ, OPEN_EXISTING);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    unsetenv("WYN_DRIVE_Q");

    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_EQ(SetErrorMode(old), (UINT)SEM_FAILCRITICALERRORS);
}

}  // namespace
