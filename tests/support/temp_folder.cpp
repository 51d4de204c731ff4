// Temporary folders for tests.
#include "support/temp_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvan-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path = pattern;
    previousFolder = std::filesystem::current_path().string();
    std::filesystem::current_path(path);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::current_path(previousFolder, ignored);
    std::filesystem::remove_all(path, ignored);
}

void TempFolder::WriteFile(const std::string& relativeName, const std::string& bytes) const
{
    std::filesystem::path full = std::filesystem::path(path) / relativeName;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::ReadFile(const std::string& relativeName) const
{
    std::ifstream in(std::filesystem::path(path) / relativeName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
