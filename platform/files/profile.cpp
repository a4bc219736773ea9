// The profile-string API over whole-file reads and atomic rewrites.
#include "platform/files/api.h"

#include "platform/crt.h"
#include "platform/files/path.h"

#include <cstdlib>
#include <sys/stat.h>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimView(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string Trim(const std::string& s)
{
    return std::string(TrimView(s));
}

// Names compare without regard to ASCII case.
bool SameAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 32);
        if (y >= 'a' && y <= 'z')
            y = char(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

// One line of the file: its bytes without the line end, and the line end itself.
struct Line
{
    std::string text;
    std::string end; // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& data)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < data.size())
    {
        size_t nl = data.find('\n', start);
        Line l;
        if (nl == std::string::npos)
        {
            l.text = data.substr(start);
            start = data.size();
        }
        else
        {
            l.text = data.substr(start, nl - start);
            l.end = "\n";
            start = nl + 1;
        }
        if (!l.text.empty() && l.text.back() == '\r' && !l.end.empty())
        {
            l.text.pop_back();
            l.end = "\r\n";
        }
        lines.push_back(l);
    }
    return lines;
}

// The section name of a "[name]" line.
bool SectionOf(const std::string& text, std::string& name)
{
    std::string t = Trim(text);
    if (t.empty() || t[0] != '[')
        return false;
    size_t close = t.find(']');
    name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// The key and value of a "key=value" line.
bool KeyOf(const std::string& text, std::string& key, std::string* value)
{
    size_t eq = text.find('=');
    if (eq == std::string::npos)
        return false;
    key = Trim(text.substr(0, eq));
    if (value)
        *value = Trim(text.substr(eq + 1));
    return true;
}

std::string Unquote(const std::string& v)
{
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

DWORD CopyOut(const std::string& value, LPSTR out, DWORD size)
{
    if (!out || size == 0)
        return 0;
    size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(out, value.data(), n);
    out[n] = 0;
    return DWORD(n);
}

// One pass over the file without copying lines: tuning files are read key by
// key, so this runs hundreds of times at start-up.
bool FindValue(const std::string& data, const std::string& section, const std::string& key, std::string& value)
{
    const std::string_view all(data);
    bool inSection = false;
    size_t start = 0;
    while (start < all.size())
    {
        size_t nl = all.find('\n', start);
        if (nl == std::string_view::npos)
            nl = all.size();
        std::string_view line = TrimView(all.substr(start, nl - start));
        start = nl + 1;
        if (!line.empty() && line[0] == '[')
        {
            size_t close = line.find(']');
            std::string_view name = TrimView(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            inSection = SameAscii(name, section);
            continue;
        }
        if (!inSection)
            continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos || !SameAscii(TrimView(line.substr(0, eq)), key))
            continue;
        value = Unquote(std::string(TrimView(line.substr(eq + 1))));
        return true;
    }
    return false;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size, LPCSTR file)
{
    std::string fallback = def ? def : "";
    if (!section || !key || !file)
        return CopyOut(fallback, out, size);
    std::string data, value;
    if (!platform::ReadWholeFile(platform::NativePath(file), data))
        return CopyOut(fallback, out, size);
    if (!FindValue(data, Trim(section), Trim(key), value))
        return CopyOut(fallback, out, size);
    return CopyOut(value, out, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file)
{
    char buf[256];
    char defText[32];
    std::snprintf(defText, sizeof defText, "%d", int(def));
    GetPrivateProfileStringA(section, key, defText, buf, sizeof buf, file);
    return UINT(std::atoi(buf));
}

namespace {

// Sets, adds or removes one key (or a whole section when key is NULL) in the lines
// of a profile file, as WritePrivateProfileStringA describes.
void EditLines(std::vector<Line>& lines, const std::string& eol, LPCSTR section, LPCSTR key, LPCSTR value)
{
    const std::string sec = Trim(section);
    const std::string k = key ? Trim(key) : std::string();
    const std::string newLine = k + "=" + (value ? value : "");

    // Locate the first matching section: its header and its last key line.
    int header = -1, lastKey = -1, found = -1, sectionEnd = int(lines.size());
    for (int i = 0; i < int(lines.size()); ++i)
    {
        std::string name;
        if (SectionOf(lines[i].text, name))
        {
            if (header >= 0)
            {
                sectionEnd = i;
                break;
            }
            if (SameAscii(name, sec))
                header = i;
            continue;
        }
        if (header < 0)
            continue;
        std::string lk;
        if (KeyOf(lines[i].text, lk, nullptr))
        {
            lastKey = i;
            if (key && found < 0 && SameAscii(lk, k))
                found = i;
        }
    }

    if (!key)
    {
        if (header >= 0)
            lines.erase(lines.begin() + header, lines.begin() + sectionEnd);
    }
    else if (!value)
    {
        if (found >= 0)
            lines.erase(lines.begin() + found);
    }
    else if (found >= 0)
    {
        lines[found].text = newLine;
    }
    else if (header >= 0)
    {
        int at = lastKey >= 0 ? lastKey : header;
        if (lines[at].end.empty())
            lines[at].end = eol;
        lines.insert(lines.begin() + at + 1, Line{newLine, eol});
    }
    else
    {
        if (!lines.empty() && lines.back().end.empty())
            lines.back().end = eol;
        lines.push_back(Line{"[" + sec + "]", eol});
        lines.push_back(Line{newLine, eol});
    }
}

} // namespace

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    const ProfileValue one = {section, key, value};
    return WritePrivateProfileValues(&one, 1, file);
}

BOOL WritePrivateProfileValues(const ProfileValue* values, size_t count, LPCSTR file)
{
    if (!file || (count && !values))
        return FALSE;
    for (size_t i = 0; i < count; ++i)
        if (!values[i].section)
            return FALSE;
    std::string data;
    std::string native = platform::NativePath(file);
    const bool existed = platform::ReadWholeFile(native, data);
    if (!existed)
    {
        // A file that is there but cannot be read is never replaced by a new one.
        struct stat st;
        if (::stat(native.c_str(), &st) == 0)
            return FALSE;
        bool adds = false;
        for (size_t i = 0; i < count; ++i)
            adds = adds || (values[i].key && values[i].value);
        if (!adds)
            return TRUE; // nothing to remove
    }
    std::vector<Line> lines = SplitLines(data);

    // New lines follow the file's own line ends.
    std::string eol = "\n";
    for (const Line& l : lines)
        if (!l.end.empty())
        {
            eol = l.end;
            break;
        }
    for (size_t i = 0; i < count; ++i)
        EditLines(lines, eol, values[i].section, values[i].key, values[i].value);

    std::string outData;
    outData.reserve(data.size() + 64);
    for (const Line& l : lines)
        outData += l.text + l.end;
    if (existed && outData == data)
        return TRUE; // nothing changed
    return crt::WriteFileAtomic(file, outData.data(), outData.size()) ? TRUE : FALSE;
}
