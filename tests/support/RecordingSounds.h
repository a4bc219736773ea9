// A sound bank on the recording audio backend: each named slot loads a stub wave
// file, and what the game plays is heard back by file name.
#pragma once

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "audio/SoundBank.h"
#include "platform/audio/recording.h"

namespace test_support {

class RecordingSounds
{
public:
    struct Slot
    {
        const char* name;
        CRefPtr<CSound> CSoundBank::*slot;
    };

    RecordingSounds() : rec(&platform::audio::UseRecordingBackend()) {}
    ~RecordingSounds()
    {
        bank.Reset();
        platform::audio::UseMixerBackend();
    }
    RecordingSounds(const RecordingSounds&) = delete;
    RecordingSounds& operator=(const RecordingSounds&) = delete;

    // Makes the bank with "<name>.wav" stubs in `folder` for the slots; the name of
    // the first slot that does not load, empty when all did.
    std::string Load(const std::string& folder, std::initializer_list<Slot> slots)
    {
        std::filesystem::create_directories(folder);
        bank = CRefPtr<CSoundBank>(new CSoundBank());
        bank->Init(nullptr);
        for (const Slot& s : slots)
        {
            const std::string file = std::string(s.name) + ".wav";
            std::ofstream(folder + file) << "RIFF";
            (*bank).*s.slot = bank->LoadSound(folder.c_str(), file.c_str(), 6, 8, 0);
            if (!((*bank).*s.slot))
                return s.name;
        }
        return std::string();
    }

    // The file names of the sounds started since the last Clear.
    std::vector<std::string> Heard() const
    {
        std::vector<std::string> out;
        for (const platform::audio::AudioCall& c : rec->calls)
            if (c.name == "BASS_SamplePlay" || c.name == "BASS_SamplePlayEx")
                out.push_back(c.text);
        return out;
    }

    void Clear() { rec->Clear(); }

    platform::audio::AudioRecorder* rec;
    CRefPtr<CSoundBank> bank;
};

} // namespace test_support
