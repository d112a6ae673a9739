// A scratch folder in the program folder for one test case, named after it, removed after.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class Scratch {
  public:
    Scratch() {
        const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
        name_ = std::string("scratch_") + t->test_suite_name() + "_" + t->name() + "_" +
                std::to_string(getpid());
        std::filesystem::remove_all(name_);
        std::filesystem::create_directories(name_);
    }
    ~Scratch() { std::filesystem::remove_all(name_); }

    // Writes a file at `rel` ('/'-separated, inside the scratch folder).
    void Put(const std::string& rel, const std::vector<uint8_t>& bytes) const {
        std::filesystem::path p = std::filesystem::path(name_) / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void Put(const std::string& rel, const std::string& text) const {
        Put(rel, std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::vector<uint8_t> Get(const std::string& rel) const {
        std::ifstream in(std::filesystem::path(name_) / rel, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    // The system's form of `rel`: relative to the current (program) folder, '\' separated.
    std::string Sys(const std::string& rel) const {
        std::string s = name_ + "\\" + rel;
        for (char& c : s)
            if (c == '/') c = '\\';
        return s;
    }
    const std::string& Name() const { return name_; }

  private:
    std::string name_;
};
