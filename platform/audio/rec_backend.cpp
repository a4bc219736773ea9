// The recording audio backend: a silent output whose state tests can read and
// steer, and the log of BASS_* calls.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "platform/audio/device.h"
#include "platform/audio/recording.h"
#include "platform/crt.h"

namespace platform {
namespace audio {
namespace {

std::unique_ptr<AudioRecorder> g_recorder;

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string BaseNameOf(const char* path)
{
    std::string p = path ? path : "";
    size_t cut = p.find_last_of("\\/");
    return cut == std::string::npos ? p : p.substr(cut + 1);
}

bool Listed(const std::set<std::string>& names, const std::string& name)
{
    for (const std::string& n : names)
        if (Lower(n) == Lower(name))
            return true;
    return false;
}

bool FileOpens(const char* path)
{
    FILE* f = crt::fopen(path, "rb");
    if (!f)
        return false;
    fclose(f);
    return true;
}

struct RecSample
{
    std::string name;
    uint32_t frames;
};

struct RecMusic
{
    std::string name;
};

struct RecChannel
{
    bool playing = false;
    bool paused = false;
    bool loop = false;
    int volume = 0;
    int pan = 0;
    uint64_t start = 0;
    uint32_t frames = 0;
};

class ScriptedDecoder : public Decoder
{
public:
    explicit ScriptedDecoder(const ScriptedDecode& s) : script_(s) {}
    uint32_t Rate() const override { return script_.rate; }
    uint32_t Channels() const override { return script_.channels; }
    uint64_t TotalBytes() const override { return script_.bytes; }
    long Read(uint8_t* buffer, uint32_t length) override
    {
        // Small pieces, as a real decoder hands them out.
        uint32_t n = std::min<uint32_t>({length, 4096, script_.bytes - pos_});
        if (script_.failAtByte >= 0 && int64_t(pos_) + n > script_.failAtByte)
            return -1;
        for (uint32_t i = 0; i < n; ++i)
            buffer[i] = uint8_t((pos_ + i) & 0xFF);
        pos_ += n;
        return long(n);
    }

private:
    ScriptedDecode script_;
    uint32_t pos_ = 0;
};

class RecDevice : public Device
{
public:
    explicit RecDevice(AudioRecorder* rec) : rec_(rec) {}

    bool Open(uint32_t) override
    {
        if (rec_->failInit)
            return false;
        open_ = true;
        clock_ = 0;
        channels_.assign(128, RecChannel{});
        return true;
    }
    bool Silent() const override { return rec_->silentInit; }
    void Close() override
    {
        open_ = false;
        music_ = nullptr;
    }
    int MixingChannels() const override { return 128; }
    uint64_t FramesMixed() override { return clock_; }

    void* LoadSample(const char* path, uint32_t* frames, uint32_t* bytes, uint32_t* rate) override
    {
        std::string name = BaseNameOf(path);
        if (Listed(rec_->failLoads, name) || !FileOpens(path))
            return nullptr;
        *frames = rec_->sampleFrames;
        *bytes = rec_->sampleFrames * 4;
        *rate = 44100;
        return new RecSample{name, rec_->sampleFrames};
    }
    void FreeSample(void* sample) override { delete static_cast<RecSample*>(sample); }

    bool StartChannel(int ch, void* sample, bool loop, int volume, int pan) override
    {
        RecChannel& c = channels_[size_t(ch)];
        c = RecChannel{};
        c.playing = true;
        c.loop = loop;
        c.volume = volume;
        c.pan = pan;
        c.start = clock_;
        c.frames = static_cast<RecSample*>(sample)->frames;
        return true;
    }
    bool IsPlaying(int ch) override { return channels_[size_t(ch)].playing; }
    void HaltChannel(int ch) override { channels_[size_t(ch)].playing = false; }
    void SetChannelVolume(int ch, int volume) override { channels_[size_t(ch)].volume = volume; }
    void PauseChannel(int ch) override { channels_[size_t(ch)].paused = true; }
    void PauseAll() override
    {
        paused_ = true;
        for (RecChannel& c : channels_)
            if (c.playing)
                c.paused = true;
    }
    void ResumeAll() override
    {
        paused_ = false;
        for (RecChannel& c : channels_)
            c.paused = false;
    }

    void* LoadMusic(const char* path) override
    {
        std::string name = BaseNameOf(path);
        if (Listed(rec_->failLoads, name) || !FileOpens(path))
            return nullptr;
        return new RecMusic{name};
    }
    void FreeMusic(void* music) override
    {
        if (music_ == music)
            music_ = nullptr;
        delete static_cast<RecMusic*>(music);
    }
    bool Refuses(const char* call) override
    {
        return rec_->failStreamPlay && std::string(call) == "BASS_StreamPlay";
    }
    bool PlayMusic(void* music, bool) override
    {
        music_ = static_cast<RecMusic*>(music);
        musicPaused_ = false;
        return true;
    }
    void PauseMusic() override { musicPaused_ = true; }
    void ResumeMusic() override { musicPaused_ = false; }
    void HaltMusic() override { music_ = nullptr; }
    void SetMusicVolume(int volume) override { musicVolume_ = volume; }

    std::unique_ptr<Decoder> OpenDecoder(const char* path) override
    {
        std::string name = BaseNameOf(path);
        if (Listed(rec_->failLoads, name))
            return nullptr;
        for (const auto& kv : rec_->decodes)
            if (Lower(kv.first) == Lower(name))
                return std::make_unique<ScriptedDecoder>(kv.second);
        return OpenVorbisDecoder(path);
    }

    void Advance(uint32_t frames)
    {
        clock_ += frames;
        for (RecChannel& c : channels_)
            if (c.playing && !c.loop && !c.paused && clock_ - c.start >= c.frames)
                c.playing = false;
    }

    AudioRecorder* rec_;
    bool open_ = false;
    bool paused_ = false;
    uint64_t clock_ = 0;
    std::vector<RecChannel> channels_;
    RecMusic* music_ = nullptr;
    bool musicPaused_ = false;
    int musicVolume_ = 100;
};

RecDevice* g_device = nullptr;

const RecChannel* ChannelOf(HCHANNEL h)
{
    int ch = MixingChannelOf(h);
    if (!g_device || ch < 0)
        return nullptr;
    return &g_device->channels_[size_t(ch)];
}

}  // namespace

void ReportCall(const char* name, std::initializer_list<int64_t> args, const std::string& text, uint32_t result)
{
    if (!g_recorder)
        return;
    AudioCall call;
    call.name = name;
    call.args.assign(args.begin(), args.end());
    call.text = text;
    call.result = result;
    g_recorder->calls.push_back(std::move(call));
}

std::vector<AudioCall> AudioRecorder::Calls(const std::string& name) const
{
    std::vector<AudioCall> out;
    for (const AudioCall& c : calls)
        if (c.name == name)
            out.push_back(c);
    return out;
}

int AudioRecorder::Count(const std::string& name) const { return int(Calls(name).size()); }

const AudioCall* AudioRecorder::Last(const std::string& name) const
{
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->name == name)
            return &*it;
    return nullptr;
}

void AudioRecorder::Advance(uint32_t frames)
{
    if (g_device)
        g_device->Advance(frames);
}

void AudioRecorder::EndChannel(HCHANNEL channel)
{
    int ch = MixingChannelOf(channel);
    if (g_device && ch >= 0)
        g_device->channels_[size_t(ch)].playing = false;
}

void AudioRecorder::EndAll()
{
    if (g_device)
        for (RecChannel& c : g_device->channels_)
            c.playing = false;
}

bool AudioRecorder::IsOpen() const { return g_device && g_device->open_; }
bool AudioRecorder::IsPaused() const { return g_device && g_device->paused_; }

int AudioRecorder::LiveChannels() const
{
    int n = 0;
    if (g_device)
        for (const RecChannel& c : g_device->channels_)
            n += c.playing ? 1 : 0;
    return n;
}

int AudioRecorder::ChannelVolume(HCHANNEL channel) const
{
    const RecChannel* c = ChannelOf(channel);
    return c ? c->volume : -1;
}

int AudioRecorder::ChannelPan(HCHANNEL channel) const
{
    const RecChannel* c = ChannelOf(channel);
    return c ? c->pan : 0;
}

bool AudioRecorder::ChannelLoops(HCHANNEL channel) const
{
    const RecChannel* c = ChannelOf(channel);
    return c && c->loop;
}

std::string AudioRecorder::MusicPlaying() const
{
    return g_device && g_device->music_ ? g_device->music_->name : std::string();
}

int AudioRecorder::MusicVolume() const { return g_device ? g_device->musicVolume_ : -1; }
bool AudioRecorder::MusicPaused() const { return g_device && g_device->musicPaused_; }

AudioRecorder& UseRecordingBackend()
{
    SetDevice(nullptr);  // frees a started library with the old device
    g_recorder = std::make_unique<AudioRecorder>();
    auto device = std::make_unique<RecDevice>(g_recorder.get());
    g_device = device.get();
    SetDevice(std::move(device));
    return *g_recorder;
}

void UseMixerBackend()
{
    SetDevice(MakeMixerDevice());
    g_device = nullptr;
    g_recorder.reset();
}

}  // namespace audio
}  // namespace platform
