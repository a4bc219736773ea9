#include "platform/crt.h"

#include "platform/files/cp1251.h"
#include "platform/files/path.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace crt {

namespace {

// A text-mode read stream over the file's bytes with the CR of each CR LF removed.
struct TextCookie
{
    std::string data;
    size_t pos = 0;
};

ssize_t CookieRead(void* c, char* buf, size_t size)
{
    TextCookie* t = static_cast<TextCookie*>(c);
    size_t n = std::min(size, t->data.size() - t->pos);
    std::memcpy(buf, t->data.data() + t->pos, n);
    t->pos += n;
    return ssize_t(n);
}

int CookieSeek(void* c, off64_t* offset, int whence)
{
    TextCookie* t = static_cast<TextCookie*>(c);
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(t->pos) : int64_t(t->data.size());
    int64_t to = base + *offset;
    if (to < 0)
        return -1;
    t->pos = size_t(std::min<int64_t>(to, int64_t(t->data.size())));
    *offset = off64_t(t->pos);
    return 0;
}

int CookieClose(void* c)
{
    delete static_cast<TextCookie*>(c);
    return 0;
}

std::string StripCrOfCrLf(const std::string& in)
{
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i)
    {
        if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n')
            continue;
        out += in[i];
    }
    return out;
}

uint32_t g_randState = 1;

// What marks a temporary file of the atomic writer: "." + name + mark + six
// characters that mkstemp picks.
const char kTemporaryMark[] = ".partial-";
const size_t kTemporaryTail = 6;

bool IsOurTemporary(const std::string& name)
{
    const size_t markLength = sizeof(kTemporaryMark) - 1;
    if (name.size() < 2 + markLength + kTemporaryTail || name[0] != '.')
        return false;
    return name.compare(name.size() - kTemporaryTail - markLength, markLength, kTemporaryMark) == 0;
}

struct FindList
{
    std::vector<_finddata_t> entries;
    size_t next = 0;
};

FileFaults g_faults;

void BeforeStep(const char* step, const char* path)
{
    if (g_faults.beforeStep)
        g_faults.beforeStep(step, path ? path : "");
}

// False when a test's write budget cannot take `size` more bytes (a full disk).
bool TakeFromWriteBudget(size_t size)
{
    if (g_faults.writeBudget < 0)
        return true;
    if (int64_t(size) > g_faults.writeBudget)
    {
        g_faults.writeBudget = 0;
        return false;
    }
    g_faults.writeBudget -= int64_t(size);
    return true;
}

std::map<intptr_t, FindList> g_finds;
intptr_t g_nextFind = 1;

bool WildMatch(const char* pat, const char* name)
{
    // Iterative '*' and '?' matching, letters compared without case.
    const char* starPat = nullptr;
    const char* starName = nullptr;
    while (*name)
    {
        if (*pat == '*')
        {
            starPat = pat++;
            starName = name;
        }
        else if (*pat == '?' ||
                 (*pat && platform::Cp1251Upper((unsigned char)*pat) == platform::Cp1251Upper((unsigned char)*name)))
        {
            ++pat;
            ++name;
        }
        else if (starPat)
        {
            pat = starPat + 1;
            name = ++starName;
        }
        else
        {
            return false;
        }
    }
    while (*pat == '*')
        ++pat;
    return *pat == 0;
}

} // namespace

FILE* fopen(const char* path, const char* mode)
{
    if (!path || !mode)
        return nullptr;
    std::string native = platform::NativePath(path);
    std::string m;
    for (const char* p = mode; *p; ++p)
        if (*p != 't')
            m += *p;
    const bool textRead = m == "r";
    if (!textRead)
        return std::fopen(native.c_str(), m.c_str());

    TextCookie* cookie = new TextCookie;
    std::string raw;
    if (!platform::ReadWholeFile(native, raw))
    {
        delete cookie;
        return nullptr;
    }
    cookie->data = StripCrOfCrLf(raw);
    cookie_io_functions_t io = {};
    io.read = CookieRead;
    io.seek = CookieSeek;
    io.close = CookieClose;
    FILE* f = ::fopencookie(cookie, "r", io);
    if (!f)
        delete cookie;
    return f;
}

void SetFileFaults(const FileFaults& faults)
{
    g_faults = faults;
}

int remove(const char* path)
{
    BeforeStep("remove", path);
    return std::remove(platform::NativePath(path).c_str());
}

int rename(const char* from, const char* to)
{
    return std::rename(platform::NativePath(from).c_str(), platform::NativePath(to).c_str());
}

int rand()
{
    g_randState = g_randState * 214013u + 2531011u;
    return int((g_randState >> 16) & 0x7fff);
}

void srand(unsigned seed)
{
    g_randState = seed;
}

intptr_t _findfirst(const char* spec, _finddata_t* data)
{
    if (!spec || !data)
        return -1;
    std::string s(spec);
    size_t cut = s.find_last_of("\\/");
    std::string dir = cut == std::string::npos ? std::string() : s.substr(0, cut + 1);
    std::string pattern = cut == std::string::npos ? s : s.substr(cut + 1);
    std::string native = platform::NativePath(dir.empty() ? "." : dir);

    DIR* d = ::opendir(native.c_str());
    if (!d)
        return -1;
    std::vector<_finddata_t> list;
    while (dirent* e = ::readdir(d))
    {
        bool ok = true;
        std::string name = platform::Utf8ToCp1251(e->d_name, &ok);
        if (!ok || name.size() >= sizeof(data->name))
            continue; // a name the game could not spell
        if (pattern != "*.*" && !WildMatch(pattern.c_str(), name.c_str()))
            continue;
        _finddata_t fd = {};
        std::memcpy(fd.name, name.c_str(), name.size() + 1);
        std::string full = native;
        if (!full.empty() && full.back() != '/')
            full += '/';
        full += e->d_name;
        struct stat st;
        if (::lstat(full.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            fd.attrib |= _A_LINK;
        if (::stat(full.c_str(), &st) == 0)
        {
            if (S_ISDIR(st.st_mode))
                fd.attrib |= _A_SUBDIR;
            if (::access(full.c_str(), W_OK) != 0)
                fd.attrib |= _A_RDONLY;
            fd.size = uint32_t(st.st_size);
            fd.time_write = int64_t(st.st_mtime);
        }
        list.push_back(fd);
    }
    ::closedir(d);
    if (list.empty())
    {
        errno = ENOENT;
        return -1;
    }
    std::sort(list.begin(), list.end(),
              [](const _finddata_t& a, const _finddata_t& b) { return std::strcmp(a.name, b.name) < 0; });
    intptr_t h = g_nextFind++;
    FindList& fl = g_finds[h];
    fl.entries = std::move(list);
    *data = fl.entries[0];
    fl.next = 1;
    return h;
}

int _findnext(intptr_t handle, _finddata_t* data)
{
    auto it = g_finds.find(handle);
    if (it == g_finds.end() || !data || it->second.next >= it->second.entries.size())
    {
        errno = ENOENT;
        return -1;
    }
    *data = it->second.entries[it->second.next++];
    return 0;
}

int _findclose(intptr_t handle)
{
    return g_finds.erase(handle) ? 0 : -1;
}

int _mkdir(const char* path)
{
    return ::mkdir(platform::NativePath(path).c_str(), 0777);
}

int _rmdir(const char* path)
{
    return ::rmdir(platform::NativePath(path).c_str());
}

bool WriteFileAtomic(const char* path, const void* data, size_t size)
{
    if (!path || (!data && size))
        return false;
    std::string target = platform::NativePath(path);
    if (target.empty() || target.back() == '/')
        return false;
    size_t slash = target.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tmp = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + "." + name +
                      kTemporaryMark + "XXXXXX";

    std::vector<char> tmpl(tmp.begin(), tmp.end());
    tmpl.push_back(0);
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return false;

    // Keep the old file's permissions; a new file gets the usual 0644.
    struct stat st;
    mode_t perms = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    ::fchmod(fd, perms);

    const char* p = static_cast<const char*>(data);
    size_t left = size;
    bool ok = TakeFromWriteBudget(size);
    while (ok && left > 0)
    {
        ssize_t n = ::write(fd, p, left);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        p += n;
        left -= size_t(n);
    }
    if (ok)
        BeforeStep("fsync", path);
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (ok)
        BeforeStep("rename", path);
    if (ok && ::rename(tmpl.data(), target.c_str()) != 0)
        ok = false;
    if (!ok)
    {
        ::unlink(tmpl.data());
        return false;
    }
    // Make the rename itself durable; a folder that cannot be synced is not an error.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0)
    {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

int RemoveStaleTemporaries(const char* folder)
{
    if (!folder)
        return 0;
    std::string native = platform::NativePath(*folder ? folder : ".");
    DIR* d = ::opendir(native.c_str());
    if (!d)
        return 0;
    if (native.back() != '/')
        native += '/';
    int removed = 0;
    while (dirent* e = ::readdir(d))
    {
        const std::string name = e->d_name;
        struct stat st;
        if (!IsOurTemporary(name) || ::lstat((native + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (::unlink((native + name).c_str()) == 0)
            ++removed;
    }
    ::closedir(d);
    return removed;
}

bool IsRealFolder(const char* path)
{
    struct stat st;
    if (!path)
        return false;
    std::string native = platform::NativePath(path);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    return ::lstat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace crt
