#include "temp_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <wynplat.h>

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wynplat-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    char buf[1024];
    if (!WynPlat_ToSystemPath(root_.c_str(), buf, sizeof buf))
        throw std::runtime_error("ToSystemPath failed");
    sys_ = buf;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::string TempFolder::Sys(const std::string& rel) const {
    return rel.empty() ? sys_ : sys_ + "\\" + rel;
}

void TempFolder::MakeDir(const std::string& rel) const {
    std::filesystem::create_directories(Linux(rel));
}

void TempFolder::Write(const std::string& rel, const std::string& bytes) const {
    std::ofstream out(Linux(rel), std::ios::binary);
    out << bytes;
}

std::string TempFolder::Read(const std::string& rel) const {
    std::ifstream in(Linux(rel), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempFolder::Exists(const std::string& rel) const {
    return std::filesystem::exists(Linux(rel));
}

KeepCurrentFolder::KeepCurrentFolder() : saved_(std::filesystem::current_path().string()) {}
KeepCurrentFolder::~KeepCurrentFolder() {
    std::error_code ec;
    std::filesystem::current_path(saved_, ec);
}
