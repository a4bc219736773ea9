// Shell open: only http(s) addresses reach xdg-open, as one argument, never through a shell;
// programs and other schemes are refused.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win32.h"
#include "platform/win32/window_internal.h"

namespace fs = std::filesystem;

namespace {

std::string g_shellLogged;
void CaptureShellLog(const char* text) { g_shellLogged += text; }

void WriteFile(const fs::path& path, const std::string& bytes, bool executable = false)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    if (executable)
        chmod(path.c_str(), 0755);
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A temporary game folder as the current directory, and a stand-in xdg-open first on
// PATH that writes each argument it gets on a line of its own.
class Win32Shell : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/orb-shell-XXXXXX";
        dir_ = mkdtemp(pattern);
        oldCwd_ = fs::current_path();
        fs::current_path(dir_);
        oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        WriteFile(dir_ / "bin" / "xdg-open",
                  "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" +
                      (dir_ / "opened.txt").string() + "'; done\n",
                  true);
        setenv("PATH", ((dir_ / "bin").string() + ":" + oldPath_).c_str(), 1);
        g_shellLogged.clear();
        platform::SetLogSink(CaptureShellLog);
    }

    void TearDown() override
    {
        platform::WaitShellChildren();
        platform::SetLogSink(nullptr);
        setenv("PATH", oldPath_.c_str(), 1);
        fs::current_path(oldCwd_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    intptr_t Open(const char* file)
    {
        intptr_t r = reinterpret_cast<intptr_t>(
            ShellExecuteA(GetDesktopWindow(), "open", file, nullptr, nullptr, SW_SHOWNORMAL));
        platform::WaitShellChildren();
        return r;
    }

    std::string Opened() { return ReadFile(dir_ / "opened.txt"); }

    fs::path dir_;
    fs::path oldCwd_;
    std::string oldPath_;
};

TEST_F(Win32Shell, WebAddressesOpenAsOneArgument)
{
    struct Case
    {
        const char* file;
        const char* opened;
    } cases[] = {
        {"https://orblight.example/play?a=1&b=2", "https://orblight.example/play?a=1&b=2\n"},
        {"HTTP://orblight.example/", "HTTP://orblight.example/\n"},
        // Shell syntax stays inert text inside the one argument.
        {"http://x.example/$(touch${IFS}pwned);`touch${IFS}pwned`|true",
         "http://x.example/$(touch${IFS}pwned);`touch${IFS}pwned`|true\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        fs::remove(dir_ / "opened.txt");
        EXPECT_GT(Open(c.file), 32);
        EXPECT_EQ(Opened(), c.opened);
    }
    EXPECT_FALSE(fs::exists(dir_ / "pwned"));
}

TEST_F(Win32Shell, ShortcutFilesOpenTheirAddress)
{
    WriteFile(dir_ / "play.url", "[InternetShortcut]\r\nURL=https://orblight.example/more\r\n");
    WriteFile(dir_ / "Data" / "Txt" / "WebSite.URL",
              "[InternetShortcut]\nIconIndex=0\n  url = http://orblight.example/site  \n");
    EXPECT_GT(Open("play.url"), 32);
    // Backslashes and case go through the file layer.
    EXPECT_GT(Open("data\\txt\\website.url"), 32);
    EXPECT_EQ(Opened(), "https://orblight.example/more\nhttp://orblight.example/site\n");
}

TEST_F(Win32Shell, ProgramsOtherSchemesAndBadShortcutsAreRefused)
{
    // A program that would leave a mark if it ever ran.
    WriteFile(dir_ / "fscommand" / "wgame.exe",
              "#!/bin/sh\ntouch '" + (dir_ / "ran").string() + "'\n", true);
    WriteFile(dir_ / "local.url", "[InternetShortcut]\nURL=file:///bin/sh\n");
    WriteFile(dir_ / "empty.url", "[InternetShortcut]\nIconIndex=0\n");

    struct Case
    {
        const char* file;
        intptr_t result;
    } cases[] = {
        {"fscommand\\wgame.exe", SE_ERR_ACCESSDENIED},
        {"xdg-open", SE_ERR_ACCESSDENIED},
        {"/bin/sh", SE_ERR_ACCESSDENIED},
        {"file:///etc/passwd", SE_ERR_ACCESSDENIED},
        {"ftp://orblight.example/", SE_ERR_ACCESSDENIED},
        {"javascript:alert(1)", SE_ERR_ACCESSDENIED},
        {"https://", SE_ERR_ACCESSDENIED},
        {"https://a.example/two words", SE_ERR_ACCESSDENIED},
        {"https://a.example/\nline", SE_ERR_ACCESSDENIED},
        {"-https://a.example/", SE_ERR_ACCESSDENIED},
        {"local.url", SE_ERR_ACCESSDENIED},
        {"empty.url", SE_ERR_FNF},
        {"missing.url", SE_ERR_FNF},
        {"", SE_ERR_FNF},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(Open(c.file), c.result);
    }
    EXPECT_EQ(Open(nullptr), SE_ERR_FNF);
    EXPECT_FALSE(fs::exists(dir_ / "opened.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "ran"));
    EXPECT_NE(g_shellLogged.find("refusing to launch fscommand\\wgame.exe"), std::string::npos);
}

}  // namespace
