// The recording audio backend, for tests: every BASS_* call is logged with its
// arguments and result; nothing is heard. Samples and music "load" when their
// file can be opened; playbacks run on a clock that only the test advances.
// A test can make BASS_Init or chosen loads fail, end playbacks, and script
// decode-only streams (rate, channels, length, a failure part-way).
//
//     platform::audio::AudioRecorder& rec = platform::audio::UseRecordingBackend();
//     ... game code calls BASS_* ...
//     EXPECT_EQ(rec.Count("BASS_SamplePlayEx"), 1);
//     platform::audio::UseMixerBackend();
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/bass.h"

namespace platform {
namespace audio {

struct AudioCall
{
    std::string name;           // "BASS_SamplePlayEx"
    std::vector<int64_t> args;  // the numeric arguments, in order (handles as numbers)
    std::string text;           // file name of the path or handle involved ("" when none)
    uint32_t result = 0;

    int64_t Arg(size_t i) const { return i < args.size() ? args[i] : INT64_MIN; }
};

// A scripted decode-only stream, used in place of decoding the file.
struct ScriptedDecode
{
    uint32_t rate = 44100;
    uint32_t channels = 2;
    uint32_t bytes = 0;            // decoded length; data bytes are (offset & 0xFF)
    int64_t failAtByte = -1;       // reading past this offset reports a decoding error
};

class AudioRecorder
{
public:
    std::vector<AudioCall> calls;

    // Scripted failures.
    bool failInit = false;
    bool silentInit = false;  // BASS_Init finds no sound device and plays silently
    std::set<std::string> failLoads;  // file names (last path part, any case) whose load fails
    bool failStreamPlay = false;      // BASS_StreamPlay returns 0
    uint32_t sampleFrames = 44100;    // length of every loaded sample, in output frames
    std::map<std::string, ScriptedDecode> decodes;  // by file name (any case)

    // Calls with this name, in order; Count gives their number.
    std::vector<AudioCall> Calls(const std::string& name) const;
    int Count(const std::string& name) const;
    const AudioCall* Last(const std::string& name) const;
    void Clear() { calls.clear(); }

    // The playback clock: advancing it ends non-looping playbacks whose sample
    // has run out.
    void Advance(uint32_t frames);
    // Ends one playback (as if it had finished) or all of them.
    void EndChannel(HCHANNEL channel);
    void EndAll();

    // State of the fake output, for checks.
    bool IsOpen() const;
    bool IsPaused() const;                   // whole output paused
    int LiveChannels() const;                // playbacks still running
    int ChannelVolume(HCHANNEL channel) const;  // -1 for an ended or stale handle
    int ChannelPan(HCHANNEL channel) const;
    bool ChannelLoops(HCHANNEL channel) const;
    std::string MusicPlaying() const;        // file name of the playing music, "" when none
    int MusicVolume() const;
    bool MusicPaused() const;
};

// Installs a fresh recorder as the audio backend (freeing the library if it was
// started) and returns it. It stays valid until the next Use*Backend call.
AudioRecorder& UseRecordingBackend();
// Back to SDL2_mixer (freeing the library if it was started).
void UseMixerBackend();

}  // namespace audio
}  // namespace platform
