// Hand-over between copies over Unix domain sockets, one per running copy,
// polled by the running copy's main loop.
#include "platform/handover.h"

#include "platform/clock.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// A request on the wire: a 4-byte mark, the kind (32-bit, low byte first)
// and the name, zero filled. The answer is one 32-bit value, low byte first.
constexpr char RequestMark[4] = {'Q', 'V', 'N', 0};
constexpr size_t RequestSize = 4 + 4 + HandOverNameSize;
constexpr const char* SocketPrefix = "QVN.";
// A connection that has not sent its whole request by then is dropped, so
// that a stuck sender cannot hold the receiver's resources.
constexpr uint32_t PendingLimitMs = 2000;
// Connections read at once; more wait in the socket's queue.
constexpr size_t MaxPending = 16;

struct PendingRequest {
    int socket = -1;
    uint32_t acceptedMs = 0;
    size_t received = 0;
    unsigned char bytes[RequestSize] = {};
};

int ListenSocket = -1;
std::string ListenPath;
std::vector<PendingRequest> Pending;

void PutInt32(unsigned char* out, int value)
{
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(v >> (8 * i));
}

int GetInt32(const unsigned char* in)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(in[i]) << (8 * i);
    return static_cast<int>(v);
}

// Makes the folder when missing and checks that it is a folder of ours that
// nobody else may enter.
bool MakePrivateFolder(const std::string& folder)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info;
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return false;
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0)
        return false;
    return true;
}

bool FillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Connects to a socket; returns the descriptor, -1 when refused or absent.
int ConnectTo(const std::string& path, bool& refused)
{
    refused = false;
    sockaddr_un address;
    if (!FillAddress(path, address))
        return -1;
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return -1;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        refused = errno == ECONNREFUSED;
        close(s);
        return -1;
    }
    return s;
}

bool SendAll(int s, const unsigned char* bytes, size_t size)
{
    while (size > 0) {
        ssize_t sent = send(s, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

void Drop(PendingRequest& request)
{
    if (request.socket >= 0)
        close(request.socket);
    request.socket = -1;
}

} // namespace

std::string HandOverFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder;
    if (runtime != nullptr && runtime[0] == '/')
        folder = std::string(runtime) + "/quorvan";
    else
        folder = "/tmp/quorvan-" + std::to_string(getuid());
    return MakePrivateFolder(folder) ? folder : std::string();
}

int FindRunningCopy(HandOverPeer& peer)
{
    std::string folder = HandOverFolder();
    if (folder.empty())
        return 0;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return 0;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, SocketPrefix, std::strlen(SocketPrefix)) == 0)
            names.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::string path = folder + "/" + name;
        if (path == ListenPath)
            continue;
        bool refused = false;
        int s = ConnectTo(path, refused);
        if (s >= 0) {
            close(s);
            peer.address = path;
            return 1;
        }
        if (refused)
            unlink(path.c_str());  // its copy has gone
    }
    return 0;
}

int SendHandOver(const HandOverPeer& peer, int kind, std::string_view name)
{
    if (name.size() >= static_cast<size_t>(HandOverNameSize))
        return 0;
    unsigned char request[RequestSize] = {};
    std::memcpy(request, RequestMark, 4);
    PutInt32(request + 4, kind);
    std::memcpy(request + 8, name.data(), name.size());

    bool refused = false;
    int s = ConnectTo(peer.address, refused);
    if (s < 0)
        return 0;
    int answer = 0;
    if (SendAll(s, request, sizeof request)) {
        answer = HandOverNoAnswer;
        unsigned char reply[4];
        size_t got = 0;
        uint32_t start = NowMs();
        while (got < sizeof reply) {
            uint32_t waited = NowMs() - start;
            if (waited >= HandOverReplyTimeoutMs)
                break;
            pollfd p{s, POLLIN, 0};
            int ready = poll(&p, 1, static_cast<int>(HandOverReplyTimeoutMs - waited));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            ssize_t n = recv(s, reply + got, sizeof reply - got, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        if (got == sizeof reply)
            answer = GetInt32(reply);
    }
    close(s);
    return answer;
}

int HandOverListen()
{
    if (ListenSocket >= 0)
        return 1;
    std::string folder = HandOverFolder();
    if (folder.empty())
        return 0;
    std::string path = folder + "/" + SocketPrefix + std::to_string(getpid());
    sockaddr_un address;
    if (!FillAddress(path, address))
        return 0;
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0)
        return 0;
    unlink(path.c_str());  // left by an earlier process with our number
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 8) != 0) {
        close(s);
        return 0;
    }
    ListenSocket = s;
    ListenPath = path;
    return 1;
}

int HandOverPoll(HandOverHandler handler)
{
    if (ListenSocket < 0)
        return 0;
    while (Pending.size() < MaxPending) {
        int s = accept4(ListenSocket, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (s < 0)
            break;
        PendingRequest request;
        request.socket = s;
        request.acceptedMs = NowMs();
        Pending.push_back(request);
    }
    int served = 0;
    for (PendingRequest& request : Pending) {
        for (;;) {
            ssize_t n = recv(request.socket, request.bytes + request.received, RequestSize - request.received, 0);
            if (n > 0) {
                request.received += static_cast<size_t>(n);
                if (request.received == RequestSize)
                    break;
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                Drop(request);  // closed early (a copy looking for us) or failed
            break;
        }
        if (request.socket < 0)
            continue;
        if (request.received == RequestSize) {
            if (std::memcmp(request.bytes, RequestMark, 4) == 0) {
                const char* name = reinterpret_cast<const char*>(request.bytes + 8);
                bool terminated = std::memchr(name, 0, HandOverNameSize) != nullptr;
                int answer = handler(GetInt32(request.bytes + 4), terminated ? name : nullptr);
                unsigned char reply[4];
                PutInt32(reply, answer);
                SendAll(request.socket, reply, sizeof reply);
                ++served;
            }
            Drop(request);
        } else if (NowMs() - request.acceptedMs > PendingLimitMs) {
            Drop(request);
        }
    }
    Pending.erase(std::remove_if(Pending.begin(), Pending.end(),
                                 [](const PendingRequest& r) { return r.socket < 0; }),
                  Pending.end());
    return served;
}

void HandOverClose()
{
    for (PendingRequest& request : Pending)
        Drop(request);
    Pending.clear();
    if (ListenSocket >= 0) {
        close(ListenSocket);
        unlink(ListenPath.c_str());
    }
    ListenSocket = -1;
    ListenPath.clear();
}

} // namespace platform
