// A temporary folder for a test, made the current folder while it lives
// and removed with everything in it afterwards.
#pragma once

#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path; }
    // Writes a file below the folder (relative name, '/' separators).
    void WriteFile(const std::string& relativeName, const std::string& bytes) const;
    std::string ReadFile(const std::string& relativeName) const;

private:
    std::string path;
    std::string previousFolder;
};
