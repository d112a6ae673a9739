// Scratch files for the fuzz targets whose readers take a path or a file handle: a folder of
// the process's own in the temporary folder, made for one input and removed with all it holds
// when that input is done, so that no run leaves a file behind.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <windows.h>
#include <wynplat.h>

namespace fuzzscratch {

class Folder {
  public:
    Folder() {
        const char* tmp = std::getenv("TMPDIR");
        dir_ = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") /
               ("wyn-fuzz-" + std::to_string(getpid()));
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        std::filesystem::create_directories(dir_, ec);
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // Writes the bytes as `name` (a path inside the folder, '/' between its parts) and gives
    // its system path, or "" when it cannot be written or named.
    std::string Put(const std::string& name, const uint8_t* data, size_t size) {
        const std::filesystem::path p = dir_ / name;
        std::error_code ec;
        std::filesystem::create_directories(p.parent_path(), ec);
        std::ofstream f(p, std::ios::binary);
        if (size) f.write(reinterpret_cast<const char*>(data), std::streamsize(size));
        f.close();
        return f ? Sys(name) : std::string();
    }
    // The system path of `name` inside the folder (which need not exist), or "".
    std::string Sys(const std::string& name) const {
        char sys[MAX_PATH];
        if (!WynPlat_ToSystemPath((dir_ / name).c_str(), sys, sizeof sys)) return "";
        return sys;
    }

  private:
    std::filesystem::path dir_;
};

}  // namespace fuzzscratch
