// Process services: log sink, message box, timer, sleeping, the single-instance lock and
// its show-window requests, GUIDs and file security.
#include <SDL.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/files/cp1251.h"
#include "platform/win32/sdl_window.h"
#include "platform/win32/window_internal.h"

namespace {

void (*g_logSink)(const char*) = nullptr;

// A lock file standing in for a named mutex. Its holder also listens on a datagram
// socket beside the lock, where a copy that found the lock taken asks it to show its
// window.
struct MutexHandle
{
    int fd = -1;
    int showFd = -1;
    std::string showPath;
};

std::vector<std::unique_ptr<MutexHandle>>& Mutexes()
{
    static std::vector<std::unique_ptr<MutexHandle>> mutexes;
    return mutexes;
}

// The runtime folder's file for a named object ("<name><suffix>"), else /tmp's
// ("<name>-<uid><suffix>").
std::string RuntimePath(const char* name, const char* suffix)
{
    std::string file = name;
    for (char& c : file)
        if (c == '/' || c == '\\')
            c = '_';
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime && *runtime && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return std::string(runtime) + "/" + file + suffix;
    return "/tmp/" + file + "-" + std::to_string(getuid()) + suffix;
}

std::string LockPath(const char* name) { return RuntimePath(name, ".lock"); }
std::string ShowRequestPath(const char* name) { return RuntimePath(name, ".show"); }

// Fills a socket address; false when the path does not fit.
bool SocketAddress(const std::string& path, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// The lock holder's listening socket (non-blocking); -1 when it cannot be had, which
// only costs the show requests. A socket left by a holder that died is replaced: the
// lock proves nobody else listens there.
int ListenForShowRequests(const std::string& path)
{
    sockaddr_un address;
    if (!SocketAddress(path, address))
        return -1;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
    {
        close(fd);
        return -1;
    }
    chmod(path.c_str(), 0600);
    return fd;
}

void StopListening(MutexHandle& handle)
{
    if (handle.showFd < 0)
        return;
    close(handle.showFd);
    unlink(handle.showPath.c_str());
    handle.showFd = -1;
}

bool MessageBoxToStderr()
{
    const char* mode = std::getenv("PLATFORM_MSGBOX");
    return mode && std::strcmp(mode, "stderr") == 0;
}

}  // namespace

namespace platform {

void SetLogSink(void (*sink)(const char* text)) { g_logSink = sink; }

void LogToSink(const char* text)
{
    if (g_logSink && text)
        g_logSink(text);
}

}  // namespace platform

// With no display (or PLATFORM_MSGBOX=stderr) the box becomes a line on standard error
// and in the log, so a headless run never waits for a click.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    std::string utf8Text = platform::Cp1251ToUtf8(text ? text : "");
    std::string utf8Caption = platform::Cp1251ToUtf8(caption ? caption : "");
    if (!MessageBoxToStderr())
    {
        Uint32 flags = (type & 0xF0u) == MB_ICONHAND          ? SDL_MESSAGEBOX_ERROR
                       : (type & 0xF0u) == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING
                                                              : SDL_MESSAGEBOX_INFORMATION;
        SDL_Window* parent = platform::SdlWindowOf(owner);
        if (parent && !(SDL_GetWindowFlags(parent) & SDL_WINDOW_SHOWN))
            parent = nullptr;
        if (SDL_ShowSimpleMessageBox(flags, utf8Caption.c_str(), utf8Text.c_str(), parent) == 0)
            return IDOK;
    }
    std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
    std::fflush(stderr);
    std::string line = std::string(caption ? caption : "") + ": " + (text ? text : "") + "\n";
    platform::LogToSink(line.c_str());
    return IDOK;
}

DWORD timeGetTime()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size)
{
    if (!caps || size < sizeof(TIMECAPS))
        return TIMERR_NOCANDO;
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period) { return period ? TIMERR_NOERROR : TIMERR_NOCANDO; }
MMRESULT timeEndPeriod(UINT period) { return period ? TIMERR_NOERROR : TIMERR_NOCANDO; }

namespace {
std::atomic<void (*)(DWORD)> g_sleepHandler{nullptr};
}

void platform::SetSleepHandler(void (*handler)(DWORD milliseconds)) { g_sleepHandler = handler; }

void Sleep(DWORD milliseconds)
{
    if (void (*handler)(DWORD) = g_sleepHandler.load())
        handler(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// flock belongs to the open file, so a second CreateMutexA, in this process or another,
// finds the lock taken. The descriptor is closed on exec so a launched browser never
// inherits it.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name)
{
    if (!name || !*name)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    int fd = open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    int rc;
    do
        rc = flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno != EWOULDBLOCK)
    {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    bool held = rc == 0;
    if (!held)
    {
        // Someone else owns it: hand back a handle that holds nothing.
        close(fd);
        fd = -1;
    }
    auto handle = std::make_unique<MutexHandle>();
    handle->fd = fd;
    if (held)
    {
        handle->showPath = ShowRequestPath(name);
        handle->showFd = ListenForShowRequests(handle->showPath);
    }
    HANDLE result = handle.get();
    Mutexes().push_back(std::move(handle));
    SetLastError(held ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return result;
}

BOOL CloseHandle(HANDLE handle)
{
    auto& all = Mutexes();
    for (auto it = all.begin(); it != all.end(); ++it)
    {
        if (it->get() != handle)
            continue;
        StopListening(**it);
        if ((*it)->fd >= 0)
            close((*it)->fd);
        all.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

namespace platform {

bool AskMutexOwnerToShowWindow(LPCSTR mutexName)
{
    sockaddr_un address;
    if (!mutexName || !*mutexName || !SocketAddress(ShowRequestPath(mutexName), address))
        return false;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const char request = 'S';
    const ssize_t sent = sendto(fd, &request, 1, MSG_DONTWAIT | MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    close(fd);
    return sent == 1;
}

bool TakeShowRequest()
{
    bool asked = false;
    for (auto& handle : Mutexes())
    {
        if (handle->showFd < 0)
            continue;
        char buffer[16];
        while (recv(handle->showFd, buffer, sizeof(buffer), 0) >= 0)
            asked = true;
    }
    return asked;
}

}  // namespace platform

HRESULT CoCreateGuid(GUID* guid)
{
    if (!guid)
        return E_FAIL;
    unsigned char bytes[16];
    size_t got = 0;
    while (got < sizeof(bytes))
    {
        ssize_t n = getrandom(bytes + got, sizeof(bytes) - got, 0);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return E_FAIL;
        }
        got += static_cast<size_t>(n);
    }
    // A random (version 4, variant 1) identifier, like the ones the platform makes.
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    guid->Data1 = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                  static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    guid->Data2 = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
    guid->Data3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
    std::memcpy(guid->Data4, bytes + 8, 8);
    return S_OK;
}

DWORD SetNamedSecurityInfoA(LPSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL)
{
    return ERROR_SUCCESS;
}
