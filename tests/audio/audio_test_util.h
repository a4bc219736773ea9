// Shared by the audio tests: a scratch folder, the captured log, and a sound
// folder holding every file the bank loads.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "audio/SoundBank.h"
#include "engine/Log.h"

namespace audiotest {

namespace fs = std::filesystem;

class ScratchDir
{
public:
    explicit ScratchDir(const std::string& tag)
    {
        static int serial = 0;
        path_ = fs::temp_directory_path() /
                ("orb_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir() { fs::remove_all(path_); }

    // The folder as the game spells folders: ending in a separator.
    std::string Folder() const { return path_.string() + "/"; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    bool Exists(const std::string& name) const { return fs::exists(path_ / name); }

    void Write(const std::string& name, const std::string& text) const
    {
        fs::create_directories((path_ / name).parent_path());
        std::ofstream(path_ / name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(path_ / name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

private:
    fs::path path_;
};

// Sends the log to a file of its own for the test's lifetime.
class LogCapture
{
public:
    LogCapture() : dir_("log")
    {
        SetLogFile(dir_.File("Objects.log").c_str());
        ResetLog();
    }
    ~LogCapture() { SetLogFile(""); }
    std::string Text() const { return dir_.Read("Objects.log"); }
    void Clear() const { ResetLog(); }

private:
    ScratchDir dir_;
};

// Every file name the bank loads, in load order, with n numbered files for
// each of the two multi-variant slots.
inline std::vector<std::string> BankFiles(int terminators = 8, int combos = 8)
{
    std::vector<std::string> names;
    for (const CSoundBank::Slot& slot : CSoundBank::kSlots)
    {
        if (slot.firstNumber < 0)
        {
            names.push_back(slot.file);
            continue;
        }
        int count = slot.firstNumber == 0 ? terminators : combos;
        for (int i = 0; i < count; ++i)
        {
            char name[64];
            std::snprintf(name, sizeof(name), slot.file, slot.firstNumber + i);
            names.push_back(name);
        }
    }
    return names;
}

inline void WriteBankFiles(const ScratchDir& dir, int terminators = 8, int combos = 8)
{
    for (const std::string& name : BankFiles(terminators, combos))
        dir.Write(name, "");
}

}  // namespace audiotest
