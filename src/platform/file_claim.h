// A file that one running copy of the program claims for itself, such as
// its debug log: copies that share a folder ask before they write, and a
// copy that finds the file claimed by another leaves it alone. The claim
// is an advisory lock held until it is released or the process ends (a
// crashed copy releases it too).
#pragma once

#include <string_view>

namespace platform {

class FileClaim {
public:
    enum Result {
        Taken,           // this copy holds the file now
        HeldByAnother,   // another running copy holds it
        Failed,          // the file cannot be created or is not a plain file
    };

    FileClaim() = default;
    ~FileClaim() { Release(); }
    FileClaim(const FileClaim&) = delete;
    FileClaim& operator=(const FileClaim&) = delete;
    // A claim moved to another record stays held; the old record holds none.
    FileClaim(FileClaim&& other) noexcept : descriptor(other.descriptor) { other.descriptor = -1; }
    FileClaim& operator=(FileClaim&& other) noexcept
    {
        if (this != &other) {
            Release();
            descriptor = other.descriptor;
            other.descriptor = -1;
        }
        return *this;
    }

    // Claims the file, creating it when missing. A symbolic link in its
    // place is removed, never followed, so that a claim cannot reach a
    // file elsewhere. When taken and empty is set, the file is emptied.
    // A claim already held is released first.
    Result Take(std::string_view gamePath, bool empty);
    void Release();
    bool Held() const { return descriptor >= 0; }

private:
    int descriptor = -1;
};

} // namespace platform
