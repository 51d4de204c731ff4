// File claims as advisory locks (flock) on a descriptor kept open: a lock
// belongs to its open file, so opening and closing the same file elsewhere
// in the program (the debug log is reopened for every line) keeps it.
#include "platform/file_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/files.h"

namespace platform {

namespace {

// Opens the file for the claim: created when missing, never through a
// symbolic link, never blocking (a named pipe in its place is refused).
int OpenForClaim(const std::string& path)
{
    return open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
}

} // namespace

FileClaim::Result FileClaim::Take(std::string_view gamePath, bool empty)
{
    Release();
    std::string path = NativePath(gamePath);
    int fd = OpenForClaim(path);
    struct stat status {};
    // A symbolic link, or a second name of a file that lives elsewhere too,
    // is taken away rather than written through: the claimed file is the
    // program's own.
    bool foreign = fd < 0 ? errno == ELOOP : fstat(fd, &status) == 0 && status.st_nlink > 1;
    if (foreign) {
        if (fd >= 0)
            close(fd);
        unlink(path.c_str());
        fd = OpenForClaim(path);
    }
    if (fd < 0)
        return Failed;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? HeldByAnother : Failed;
    }
    if (empty && ftruncate(fd, 0) != 0) {
        close(fd);
        return Failed;
    }
    descriptor = fd;
    return Taken;
}

void FileClaim::Release()
{
    if (descriptor >= 0) {
        close(descriptor);
        descriptor = -1;
    }
}

} // namespace platform
