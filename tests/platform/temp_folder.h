// A scratch folder for one test, removed afterwards, with helpers to lay out files in it and
// to name them the way the system does.
#pragma once

#include <string>

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder as a Linux path (UTF-8).
    const std::string& linux() const { return root_; }
    // `rel` (UTF-8, '/' separators) inside the folder as a Linux path.
    std::string Linux(const std::string& rel) const {
        return rel.empty() ? root_ : root_ + "/" + rel;
    }
    // The folder, or `rel` (system bytes, any separators) inside it, as the system names it.
    std::string Sys(const std::string& rel = "") const;

    void MakeDir(const std::string& rel) const;
    void Write(const std::string& rel, const std::string& bytes) const;
    std::string Read(const std::string& rel) const;
    bool Exists(const std::string& rel) const;

  private:
    std::string root_;
    std::string sys_;
};

// Keeps the current folder and puts it back.
class KeepCurrentFolder {
  public:
    KeepCurrentFolder();
    ~KeepCurrentFolder();

  private:
    std::string saved_;
};
