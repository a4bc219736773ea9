// Shell open: http(s) addresses, given directly or as the URL= line of a .url file, go to
// the desktop's browser through xdg-open. Nothing else is ever launched: no shell runs, and
// programs are refused.
#include <spawn.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/crt.h"
#include "platform/win32/window_internal.h"

extern char** environ;

namespace {

std::vector<pid_t> g_children;

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

bool EndsWithNoCase(const std::string& s, const char* suffix)
{
    size_t n = std::strlen(suffix);
    return s.size() >= n && Lower(s.substr(s.size() - n)) == suffix;
}

// Only plain http(s) addresses: no blanks or control bytes, something after the scheme.
bool IsWebAddress(const std::string& url)
{
    std::string lower = Lower(url);
    size_t start;
    if (lower.compare(0, 7, "http://") == 0)
        start = 7;
    else if (lower.compare(0, 8, "https://") == 0)
        start = 8;
    else
        return false;
    if (url.size() <= start)
        return false;
    for (unsigned char c : url)
        if (c <= 0x20 || c == 0x7F)
            return false;
    return true;
}

// The URL= line of an Internet shortcut ([InternetShortcut] section), or "".
std::string ReadShortcutUrl(const char* file)
{
    FILE* f = crt::fopen(file, "r");
    if (!f)
        return "";
    std::string url;
    char line[2048];
    while (std::fgets(line, sizeof(line), f))
    {
        std::string text = line;
        size_t eq = text.find('=');
        if (eq != std::string::npos && Lower(Trim(text.substr(0, eq))) == "url")
        {
            url = Trim(text.substr(eq + 1));
            break;
        }
    }
    std::fclose(f);
    return url;
}

void Refuse(const char* what, const char* file)
{
    std::string line = std::string("ShellExecute: ") + what + " " + (file ? file : "") + "\n";
    platform::LogToSink(line.c_str());
}

HINSTANCE Result(int code) { return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(code)); }

}  // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    if (operation && Lower(operation) != "open")
        return Result(SE_ERR_NOASSOC);
    if (!file || !*file)
        return Result(SE_ERR_FNF);

    std::string url = file;
    if (!IsWebAddress(url))
    {
        if (!EndsWithNoCase(url, ".url"))
        {
            Refuse("refusing to launch", file);
            return Result(SE_ERR_ACCESSDENIED);
        }
        url = ReadShortcutUrl(file);
        if (url.empty())
        {
            Refuse("no address in", file);
            return Result(SE_ERR_FNF);
        }
        if (!IsWebAddress(url))
        {
            Refuse("refusing to open", url.c_str());
            return Result(SE_ERR_ACCESSDENIED);
        }
    }

    platform::ReapShellChildren();
    std::string program = "xdg-open";
    std::vector<char*> argv{program.data(), url.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv.data(), environ) != 0)
    {
        Refuse("cannot start xdg-open for", url.c_str());
        return Result(SE_ERR_FNF);
    }
    g_children.push_back(pid);
    return Result(42);
}

namespace platform {

void ReapShellChildren()
{
    for (auto it = g_children.begin(); it != g_children.end();)
    {
        pid_t done = waitpid(*it, nullptr, WNOHANG);
        it = (done == *it || done < 0) ? g_children.erase(it) : it + 1;
    }
}

// For tests: waits for every launched child.
void WaitShellChildren()
{
    for (pid_t pid : g_children)
        waitpid(pid, nullptr, 0);
    g_children.clear();
}

}  // namespace platform
