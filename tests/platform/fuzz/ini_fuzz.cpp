// Fuzz target of the ini reader and writer: any bytes as an ini file, read every way the
// system reads one, then written to and read again, in a scratch folder of one input.
#include <cstdint>
#include <string>

#include <windows.h>

#include "fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzscratch::Folder scratch;
    const std::string file = scratch.Put("fuzz.ini", data, size);
    if (file.empty()) return 0;
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
