// A scratch folder for file-layer tests: made under the system's temp folder,
// optionally made the current directory and $XDG_DATA_HOME, and put back and
// removed at the end of the test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

class TestDir
{
public:
    TestDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "orbfilesXXXXXX").string();
        char* made = ::mkdtemp(tmpl.data());
        m_path = made ? made : "";
    }

    ~TestDir()
    {
        if (m_oldCwd)
            std::filesystem::current_path(*m_oldCwd);
        RestoreEnv("XDG_DATA_HOME", m_oldXdg);
        RestoreEnv("HOME", m_oldHome);
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& rel) const { return m_path + "/" + rel; }

    void EnterAsCurrentDir()
    {
        if (!m_oldCwd)
            m_oldCwd = std::filesystem::current_path().string();
        std::filesystem::current_path(m_path);
    }

    // Points $XDG_DATA_HOME (or, with an empty value, nothing) for the test's life.
    void SetEnv(const char* name, const std::optional<std::string>& value)
    {
        std::optional<std::string>& saved = std::string(name) == "HOME" ? m_oldHome : m_oldXdg;
        if (!saved)
        {
            const char* old = std::getenv(name);
            saved = old ? std::string(old) : std::string("\x01unset");
        }
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }

    void Write(const std::string& rel, const std::string& bytes) const
    {
        std::filesystem::path p = std::filesystem::path(m_path) / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }

    std::string Read(const std::string& rel) const { return ReadAbs(m_path + "/" + rel); }

    static std::string ReadAbs(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    static void RestoreEnv(const char* name, const std::optional<std::string>& saved)
    {
        if (!saved)
            return;
        if (*saved == "\x01unset")
            ::unsetenv(name);
        else
            ::setenv(name, saved->c_str(), 1);
    }

    std::string m_path;
    std::optional<std::string> m_oldCwd;
    std::optional<std::string> m_oldXdg;
    std::optional<std::string> m_oldHome;
};
