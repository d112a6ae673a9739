// Fuzz target of the ini reader and writer: any bytes as an ini file, read every way the
// system reads one, then written to and read again. The file lives for one input only, so a
// run leaves nothing in the temporary folder.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include <windows.h>

namespace {

// A file of the input's bytes, removed again when the input is done.
class InputFile {
  public:
    InputFile(const uint8_t* data, size_t size) {
        const char* tmp = getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/wyn-ini-fuzz-XXXXXX";
        int fd = mkstemp(name.data());
        if (fd < 0) return;
        path_ = name;
        ok_ = write(fd, data, size) == static_cast<ssize_t>(size);
        close(fd);
    }
    ~InputFile() {
        if (!path_.empty()) unlink(path_.c_str());
    }
    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    bool ok_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputFile input(data, size);
    if (!input.ok()) return 0;
    const std::string& file = input.path();
    char sections[512], keys[512], value[64], tiny[3];
    for (DWORD cap : {1u, 2u, 3u})
        GetPrivateProfileStringA(nullptr, nullptr, "", tiny, cap, file.c_str());
    GetPrivateProfileStringA(nullptr, nullptr, "", sections, sizeof sections, file.c_str());
    // The first section and its first key, read every way.
    std::string section = sections;
    GetPrivateProfileStringA(section.c_str(), nullptr, "", keys, sizeof keys, file.c_str());
    GetPrivateProfileStringA(section.c_str(), nullptr, "", tiny, sizeof tiny, file.c_str());
    std::string key = keys;
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "default", value, sizeof value,
                             file.c_str());
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "default", tiny, sizeof tiny,
                             file.c_str());
    GetPrivateProfileIntA(section.c_str(), key.c_str(), 5, file.c_str());
    WritePrivateProfileStringA(section.c_str(), key.c_str(), "written", file.c_str());
    WritePrivateProfileStringA(section.c_str(), "added", "1", file.c_str());
    WritePrivateProfileStringA("new section", "k", "v", file.c_str());
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, sizeof value, file.c_str());
    WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str());
    WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str());
    GetPrivateProfileStringA(nullptr, nullptr, "", sections, sizeof sections, file.c_str());
    return 0;
}
