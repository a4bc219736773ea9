#include "platform/files/path.h"

#include "platform/files/cp1251.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

namespace platform {

namespace {

bool Exists(const std::string& p)
{
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

std::string Join(const std::string& base, const std::string& name)
{
    if (base.empty())
        return name;
    if (base.back() == '/')
        return base + name;
    return base + "/" + name;
}

// Every entry of dir whose cp1251 name matches want ignoring case; sorted, so the
// choice between several is the same on every run.
std::string FindIgnoringCase(const std::string& dir, const std::string& wantCp1251)
{
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return std::string();
    std::vector<std::string> hits;
    while (dirent* e = ::readdir(d))
    {
        bool ok = true;
        std::string name = Utf8ToCp1251(e->d_name, &ok);
        if (ok && SameNameIgnoringCase(name, wantCp1251))
            hits.push_back(e->d_name);
    }
    ::closedir(d);
    if (hits.empty())
        return std::string();
    std::sort(hits.begin(), hits.end());
    return hits.front();
}

} // namespace

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Cp1251Upper((unsigned char)a[i]) != Cp1251Upper((unsigned char)b[i]))
            return false;
    return true;
}

std::string TranslatePath(const std::string& path)
{
    std::string out = Cp1251ToUtf8(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string NativePath(const std::string& path)
{
    std::string direct = TranslatePath(path);
    if (direct.empty() || Exists(direct))
        return direct;

    // Split the cp1251 form, so that names compare byte for byte in the code page.
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path)
    {
        if (c == '\\' || c == '/')
        {
            parts.push_back(cur);
            cur.clear();
        }
        else
        {
            cur += c;
        }
    }
    parts.push_back(cur);

    const bool absolute = direct[0] == '/';
    std::string base = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i)
    {
        const std::string& part = parts[i];
        if (part.empty())
        {
            if (i + 1 == parts.size() && i > 0)
                base += '/'; // keep a trailing separator
            continue;
        }
        std::string utf = Cp1251ToUtf8(part);
        std::string exact = Join(base, utf);
        if (part == "." || part == ".." || Exists(exact))
        {
            base = exact;
            continue;
        }
        std::string found = FindIgnoringCase(base, part);
        if (found.empty())
        {
            // Nothing to match below a missing folder: the rest stays as spelled.
            base = exact;
            for (size_t k = i + 1; k < parts.size(); ++k)
                base += "/" + Cp1251ToUtf8(parts[k]);
            return base;
        }
        base = Join(base, found);
    }
    return base;
}

std::string NativePath(const char* path)
{
    return NativePath(std::string(path ? path : ""));
}

bool ReadWholeFile(const std::string& nativePath, std::string& out)
{
    FILE* f = std::fopen(nativePath.c_str(), "rb");
    if (!f)
        return false;
    out.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

} // namespace platform
