// Directory calls, file copies and the per-user application-data folder.
#include "platform/files/api.h"

#include "platform/crt.h"
#include "platform/files/cp1251.h"
#include "platform/files/path.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool MakeDirs(const std::string& native)
{
    std::string cur;
    size_t i = 0;
    while (i <= native.size())
    {
        size_t slash = native.find('/', i);
        if (slash == std::string::npos)
            slash = native.size();
        cur = native.substr(0, slash);
        if (!cur.empty() && ::mkdir(cur.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        i = slash + 1;
    }
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DataHome()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/')
        return std::string();
    std::string h(home);
    if (h.size() > 1 && h.back() == '/')
        h.pop_back();
    return (h == "/" ? std::string() : h) + "/.local/share";
}

} // namespace

BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists)
{
    if (!existing || !target)
        return FALSE;
    std::string data;
    if (!platform::ReadWholeFile(platform::NativePath(existing), data))
        return FALSE;
    if (failIfExists)
    {
        struct stat st;
        if (::stat(platform::NativePath(target).c_str(), &st) == 0)
            return FALSE;
    }
    return crt::WriteFileAtomic(target, data.data(), data.size()) ? TRUE : FALSE;
}

BOOL CreateDirectoryA(LPCSTR path, LPVOID)
{
    return path && crt::_mkdir(path) == 0 ? TRUE : FALSE;
}

BOOL RemoveDirectoryA(LPCSTR path)
{
    return path && crt::_rmdir(path) == 0 ? TRUE : FALSE;
}

BOOL DeleteFileA(LPCSTR path)
{
    return path && ::unlink(platform::NativePath(path).c_str()) == 0 ? TRUE : FALSE;
}

DWORD GetFileAttributesA(LPCSTR path)
{
    struct stat st;
    if (!path || ::stat(platform::NativePath(path).c_str(), &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL create)
{
    if (!path || (csidl != CSIDL_APPDATA && csidl != CSIDL_COMMON_APPDATA))
        return FALSE;
    std::string native = DataHome();
    if (native.empty())
        return FALSE;
    bool ok = true;
    std::string cp = platform::Utf8ToCp1251(native, &ok);
    if (!ok || cp.size() >= MAX_PATH)
        return FALSE;
    if (create)
    {
        if (!MakeDirs(native))
            return FALSE;
    }
    else
    {
        struct stat st;
        if (::stat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return FALSE;
    }
    std::memcpy(path, cp.c_str(), cp.size() + 1);
    return TRUE;
}

DWORD GetVersion()
{
    return 0x0A280105; // 5.1
}
