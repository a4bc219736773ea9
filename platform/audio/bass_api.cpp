// The BASS_* calls: handle bookkeeping over an output device (device.h).
//
// Handle layout: kind in bits 28-31, generation in bits 12-27, index in bits 0-11.
// Samples take the library's start count as generation, so handles from before
// a BASS_Free stay dead; streams take a creation count, so a freed stream's
// handle never reaches the next stream in its slot; a channel handle takes its
// mixing channel's generation, bumped at every start, so an old handle never
// reaches a newer playback on the same mixing channel.
#include "platform/bass.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/device.h"

namespace platform {
namespace audio {
namespace {

enum Kind : uint32_t
{
    kKindSample = 1,
    kKindChannel = 2,
    kKindMusic = 3,
    kKindDecode = 4,
};

constexpr uint32_t kIndexMask = 0xFFF;
constexpr uint32_t kGenMask = 0xFFFF;

uint32_t MakeHandle(uint32_t kind, uint32_t gen, uint32_t index)
{
    return (kind << 28) | ((gen & kGenMask) << 12) | (index & kIndexMask);
}
uint32_t KindOf(uint32_t h) { return h >> 28; }
uint32_t GenOf(uint32_t h) { return (h >> 12) & kGenMask; }
uint32_t IndexOf(uint32_t h) { return h & kIndexMask; }

struct Sample
{
    void* data = nullptr;
    std::string name;
    BASS_SAMPLE info{};
    uint32_t frames = 0;
};

struct Channel
{
    uint32_t gen = 0;
    int sample = -1;         // owning sample index, -1 when never started
    uint64_t startClock = 0;
    uint64_t startSerial = 0;
    uint32_t frames = 0;     // length of the sample in output frames
    bool loop = false;
};

struct Stream
{
    bool used = false;
    uint32_t gen = 0;
    std::string name;
    void* music = nullptr;                 // music stream
    std::unique_ptr<Decoder> decoder;      // decode-only stream
    bool ended = false;                    // decoder reached the end
    uint64_t decodedBytes = 0;
    int volume = 100;
};

enum class MusicState
{
    None,
    Playing,
    Stopped,
};

struct Library
{
    std::unique_ptr<Device> device;
    bool started = false;
    bool paused = false;
    uint32_t epoch = 0;  // bumped at every start
    uint64_t startSerial = 0;
    uint32_t streamSerial = 0;  // generation of the next stream, never reused soon
    std::vector<Sample> samples;
    std::vector<Channel> channels;
    std::vector<Stream> streams;
    uint32_t music = 0;  // handle of the current music stream
    MusicState musicState = MusicState::None;
};

Library& Lib()
{
    static Library lib;
    return lib;
}

Device& Dev()
{
    Library& lib = Lib();
    if (!lib.device)
        lib.device = MakeMixerDevice();
    return *lib.device;
}

std::string BaseName(const char* path)
{
    std::string p = path ? path : "";
    size_t cut = p.find_last_of("\\/");
    return cut == std::string::npos ? p : p.substr(cut + 1);
}

Sample* FindSample(uint32_t h)
{
    Library& lib = Lib();
    if (!lib.started || KindOf(h) != kKindSample || GenOf(h) != (lib.epoch & kGenMask))
        return nullptr;
    uint32_t i = IndexOf(h);
    return i < lib.samples.size() && lib.samples[i].data ? &lib.samples[i] : nullptr;
}

// The mixing channel of a live playback, or -1.
int FindChannel(uint32_t h)
{
    Library& lib = Lib();
    if (!lib.started || KindOf(h) != kKindChannel)
        return -1;
    uint32_t i = IndexOf(h);
    if (i >= lib.channels.size() || lib.channels[i].gen != GenOf(h) || lib.channels[i].sample < 0)
        return -1;
    if (!Dev().IsPlaying(int(i)))
        return -1;
    return int(i);
}

Stream* FindStream(uint32_t h, uint32_t kind)
{
    Library& lib = Lib();
    if (!lib.started || KindOf(h) != kind)
        return nullptr;
    uint32_t i = IndexOf(h);
    if (i >= lib.streams.size() || !lib.streams[i].used || lib.streams[i].gen != GenOf(h))
        return nullptr;
    return &lib.streams[i];
}

uint64_t PositionOf(const Channel& c, uint64_t clock)
{
    uint64_t pos = clock - c.startClock;
    if (c.loop && c.frames > 0)
        pos %= c.frames;
    return pos;
}

void FreeAll()
{
    Library& lib = Lib();
    if (!lib.started)
        return;
    Device& dev = Dev();
    for (size_t i = 0; i < lib.channels.size(); ++i)
        if (dev.IsPlaying(int(i)))
            dev.HaltChannel(int(i));
    if (lib.music)
        dev.HaltMusic();
    for (Stream& s : lib.streams)
    {
        if (s.music)
            dev.FreeMusic(s.music);
        s = Stream{};
    }
    for (Sample& s : lib.samples)
        if (s.data)
            dev.FreeSample(s.data);
    lib.samples.clear();
    lib.streams.clear();
    lib.music = 0;
    lib.musicState = MusicState::None;
    lib.paused = false;
    dev.Close();
    lib.started = false;
}

int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

}  // namespace

void SetDevice(std::unique_ptr<Device> device)
{
    FreeAll();
    Lib().device = std::move(device);
}

std::string NameOfHandle(uint32_t handle)
{
    Library& lib = Lib();
    uint32_t i = IndexOf(handle);
    switch (KindOf(handle))
    {
    case kKindSample:
        return i < lib.samples.size() ? lib.samples[i].name : std::string();
    case kKindChannel:
        if (i < lib.channels.size() && lib.channels[i].sample >= 0 && size_t(lib.channels[i].sample) < lib.samples.size())
            return lib.samples[lib.channels[i].sample].name;
        return std::string();
    case kKindMusic:
    case kKindDecode:
        return i < lib.streams.size() ? lib.streams[i].name : std::string();
    default:
        return std::string();
    }
}

int MixingChannelOf(uint32_t handle) { return FindChannel(handle); }

uint32_t CurrentMusic() { return Lib().music; }

}  // namespace audio
}  // namespace platform

using namespace platform::audio;

namespace {

// Logs one call for the recorder and hands its result back.
template <typename R>
R Report(const char* name, std::initializer_list<int64_t> args, const std::string& text, R result)
{
    ReportCall(name, args, text, uint32_t(result));
    return result;
}

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND, const GUID*)
{
    Library& lib = Lib();
    if (lib.started)
        return Report<BOOL>("BASS_Init", {device, freq, flags}, "", FALSE);
    Device& dev = Dev();
    if (!dev.Open(freq ? freq : 44100))
        return Report<BOOL>("BASS_Init", {device, freq, flags}, "", FALSE);
    lib.started = true;
    lib.paused = false;
    lib.epoch = (lib.epoch + 1) & kGenMask;
    if (lib.epoch == 0)
        lib.epoch = 1;
    // Channel generations carry on from earlier starts, so old handles stay dead.
    lib.channels.resize(size_t(dev.MixingChannels()));
    for (Channel& c : lib.channels)
        c.sample = -1;
    return Report<BOOL>("BASS_Init", {device, freq, flags}, "", TRUE);
}

void BASS_Free()
{
    bool was = Lib().started;
    FreeAll();
    Report<int>("BASS_Free", {}, "", was ? 1 : 0);
}

DWORD BASS_GetDevice()
{
    const DWORD device = !Lib().started ? DWORD(-1) : Dev().Silent() ? 0 : 1;
    return Report<DWORD>("BASS_GetDevice", {}, "", device);
}

BOOL BASS_Pause()
{
    Library& lib = Lib();
    if (!lib.started)
        return Report<BOOL>("BASS_Pause", {}, "", FALSE);
    if (!lib.paused)
    {
        lib.paused = true;
        Dev().PauseAll();
        if (lib.musicState == MusicState::Playing)
            Dev().PauseMusic();
    }
    return Report<BOOL>("BASS_Pause", {}, "", TRUE);
}

BOOL BASS_Start()
{
    Library& lib = Lib();
    if (!lib.started)
        return Report<BOOL>("BASS_Start", {}, "", FALSE);
    if (lib.paused)
    {
        lib.paused = false;
        Dev().ResumeAll();
        // A music stopped before or during the pause stays stopped.
        if (lib.musicState == MusicState::Playing)
            Dev().ResumeMusic();
    }
    return Report<BOOL>("BASS_Start", {}, "", TRUE);
}

HSAMPLE BASS_SampleLoad(BOOL fromMemory, const void* file, DWORD offset, DWORD length, DWORD max, DWORD flags)
{
    Library& lib = Lib();
    const char* path = fromMemory ? nullptr : static_cast<const char*>(file);
    std::string name = BaseName(path);
    if (!lib.started || !path || lib.samples.size() > kIndexMask)
        return Report<HSAMPLE>("BASS_SampleLoad", {fromMemory, offset, length, max, flags}, name, 0);
    Sample s;
    s.name = name;
    uint32_t bytes = 0, rate = 0;
    s.data = Dev().LoadSample(path, &s.frames, &bytes, &rate);
    if (!s.data)
        return Report<HSAMPLE>("BASS_SampleLoad", {fromMemory, offset, length, max, flags}, name, 0);
    s.info.freq = rate;
    s.info.volume = 100;
    s.info.pan = 0;
    s.info.flags = flags;
    s.info.length = bytes;
    s.info.max = std::max<DWORD>(max, 1);
    lib.samples.push_back(s);
    HSAMPLE h = MakeHandle(kKindSample, lib.epoch, uint32_t(lib.samples.size() - 1));
    return Report<HSAMPLE>("BASS_SampleLoad", {fromMemory, offset, length, max, flags}, name, h);
}

BOOL BASS_SampleGetInfo(HSAMPLE sample, BASS_SAMPLE* info)
{
    Sample* s = FindSample(sample);
    if (!s || !info)
        return Report<BOOL>("BASS_SampleGetInfo", {sample}, NameOfHandle(sample), FALSE);
    *info = s->info;
    return Report<BOOL>("BASS_SampleGetInfo", {sample}, s->name, TRUE);
}

BOOL BASS_SampleSetInfo(HSAMPLE sample, const BASS_SAMPLE* info)
{
    Sample* s = FindSample(sample);
    if (!s || !info)
        return Report<BOOL>("BASS_SampleSetInfo", {sample, info ? int64_t(info->volume) : -1}, NameOfHandle(sample), FALSE);
    // Only the playback defaults can change; the data stays as loaded.
    s->info.volume = std::min<DWORD>(info->volume, 100);
    s->info.pan = Clamp(info->pan, -100, 100);
    s->info.max = std::max<DWORD>(info->max, 1);
    s->info.flags = info->flags;
    return Report<BOOL>("BASS_SampleSetInfo", {sample, int64_t(s->info.volume)}, s->name, TRUE);
}

namespace {

HCHANNEL StartSample(HSAMPLE sample, int volume, int pan, BOOL loop)
{
    Library& lib = Lib();
    Sample* s = FindSample(sample);
    if (!s)
        return 0;
    Device& dev = Dev();
    int sampleIndex = int(IndexOf(sample));
    uint64_t clock = dev.FramesMixed();

    // At most info.max playbacks of one sample; with the override flag the one
    // that has played the fewest frames makes room (the newest on a tie).
    int live = 0;
    int lowest = -1;
    uint64_t lowestPos = 0;
    for (size_t i = 0; i < lib.channels.size(); ++i)
    {
        const Channel& c = lib.channels[i];
        if (c.sample != sampleIndex || !dev.IsPlaying(int(i)))
            continue;
        ++live;
        uint64_t pos = PositionOf(c, clock);
        if (lowest < 0 || pos < lowestPos || (pos == lowestPos && c.startSerial > lib.channels[lowest].startSerial))
        {
            lowest = int(i);
            lowestPos = pos;
        }
    }
    int ch = -1;
    if (live >= int(s->info.max))
    {
        if (!(s->info.flags & BASS_FLAG_OVERRIDE_LOWEST) || lowest < 0)
            return 0;
        dev.HaltChannel(lowest);
        ch = lowest;
    }
    else
    {
        for (size_t i = 0; i < lib.channels.size(); ++i)
            if (!dev.IsPlaying(int(i)))
            {
                ch = int(i);
                break;
            }
        if (ch < 0)
            return 0;
    }

    int vol = volume < 0 ? int(s->info.volume) : Clamp(volume, 0, 100);
    int p = pan == BASS_KEEP_PAN ? s->info.pan : Clamp(pan, -100, 100);
    bool loops = loop == 1;
    if (!dev.StartChannel(ch, s->data, loops, vol, p))
        return 0;
    if (lib.paused)
        dev.PauseChannel(ch);

    Channel& c = lib.channels[size_t(ch)];
    c.gen = (c.gen + 1) & kGenMask;
    c.sample = sampleIndex;
    c.startClock = clock;
    c.startSerial = ++lib.startSerial;
    c.frames = s->frames;
    c.loop = loops;
    return MakeHandle(kKindChannel, c.gen, uint32_t(ch));
}

}  // namespace

HCHANNEL BASS_SamplePlay(HSAMPLE sample)
{
    HCHANNEL h = StartSample(sample, BASS_KEEP, BASS_KEEP_PAN, -1);
    return Report<HCHANNEL>("BASS_SamplePlay", {sample}, NameOfHandle(sample), h);
}

HCHANNEL BASS_SamplePlayEx(HSAMPLE sample, DWORD start, int freq, int volume, int pan, BOOL loop)
{
    HCHANNEL h = StartSample(sample, volume, pan, loop);
    return Report<HCHANNEL>("BASS_SamplePlayEx", {sample, start, freq, volume, pan, loop}, NameOfHandle(sample), h);
}

BOOL BASS_ChannelStop(DWORD handle)
{
    Library& lib = Lib();
    BOOL ok = FALSE;
    if (KindOf(handle) == kKindChannel)
    {
        int ch = FindChannel(handle);
        if (ch >= 0)
        {
            Dev().HaltChannel(ch);
            ok = TRUE;
        }
    }
    else if (KindOf(handle) == kKindMusic)
    {
        // A stopped music keeps its place: playing it again resumes.
        if (FindStream(handle, kKindMusic) && lib.music == handle && lib.musicState == MusicState::Playing)
        {
            if (!lib.paused)
                Dev().PauseMusic();
            lib.musicState = MusicState::Stopped;
            ok = TRUE;
        }
    }
    return Report<BOOL>("BASS_ChannelStop", {handle}, NameOfHandle(handle), ok);
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan)
{
    Library& lib = Lib();
    BOOL ok = FALSE;
    // Frequency changes are not supported; -101 keeps the pan.
    if (KindOf(handle) == kKindChannel)
    {
        int ch = FindChannel(handle);
        if (ch >= 0)
        {
            if (volume >= 0)
                Dev().SetChannelVolume(ch, Clamp(volume, 0, 100));
            ok = TRUE;
        }
    }
    else if (Stream* s = FindStream(handle, kKindMusic))
    {
        if (volume >= 0)
        {
            s->volume = Clamp(volume, 0, 100);
            if (lib.music == handle)
                Dev().SetMusicVolume(s->volume);
        }
        ok = TRUE;
    }
    return Report<BOOL>("BASS_ChannelSetAttributes", {handle, freq, volume, pan}, NameOfHandle(handle), ok);
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    Library& lib = Lib();
    DWORD state = 0;  // 0 stopped, 1 playing, 3 paused
    if (KindOf(handle) == kKindChannel)
    {
        if (FindChannel(handle) >= 0)
            state = lib.paused ? 3 : 1;
    }
    else if (KindOf(handle) == kKindMusic)
    {
        if (FindStream(handle, kKindMusic) && lib.music == handle && lib.musicState == MusicState::Playing)
            state = lib.paused ? 3 : 1;
    }
    else if (Stream* s = FindStream(handle, kKindDecode))
    {
        state = s->ended ? 0 : 1;
    }
    return Report<DWORD>("BASS_ChannelIsActive", {handle}, NameOfHandle(handle), state);
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info)
{
    BOOL ok = FALSE;
    if (info)
    {
        if (Stream* s = FindStream(handle, kKindDecode))
        {
            info->freq = s->decoder->Rate();
            info->chans = s->decoder->Channels();
            info->flags = 0;  // always 16-bit
            ok = TRUE;
        }
        else if (FindStream(handle, kKindMusic) || FindChannel(handle) >= 0)
        {
            info->freq = 44100;
            info->chans = 2;
            info->flags = 0;
            ok = TRUE;
        }
    }
    return Report<BOOL>("BASS_ChannelGetInfo", {handle}, NameOfHandle(handle), ok);
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length)
{
    Stream* s = FindStream(handle, kKindDecode);
    if (!s || !buffer)
        return Report<DWORD>("BASS_ChannelGetData", {handle, length}, NameOfHandle(handle), BASS_DATA_ERROR);
    DWORD got = 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    // Fill the buffer as far as the data goes; the decoder hands out small pieces.
    while (got < length && !s->ended)
    {
        long n = s->decoder->Read(out + got, length - got);
        if (n < 0)
            return Report<DWORD>("BASS_ChannelGetData", {handle, length}, s->name, BASS_DATA_ERROR);
        if (n == 0)
            s->ended = true;
        got += DWORD(n);
    }
    s->decodedBytes += got;
    return Report<DWORD>("BASS_ChannelGetData", {handle, length}, s->name, got);
}

DWORD BASS_ChannelGetPosition(DWORD handle)
{
    DWORD pos = 0;
    if (Stream* s = FindStream(handle, kKindDecode))
        pos = DWORD(s->decodedBytes);
    else if (int ch = FindChannel(handle); ch >= 0)
        pos = DWORD(PositionOf(Lib().channels[size_t(ch)], Dev().FramesMixed()) * 4);
    return Report<DWORD>("BASS_ChannelGetPosition", {handle}, NameOfHandle(handle), pos);
}

float BASS_ChannelBytes2Seconds(DWORD handle, DWORD position)
{
    float seconds = 0.0f;
    if (Stream* s = FindStream(handle, kKindDecode))
        seconds = float(position) / float(s->decoder->Rate() * s->decoder->Channels() * 2);
    else if (KindOf(handle) == kKindChannel || KindOf(handle) == kKindMusic)
        seconds = float(position) / (44100.0f * 4.0f);
    ReportCall("BASS_ChannelBytes2Seconds", {handle, position}, NameOfHandle(handle), 0);
    return seconds;
}

HSTREAM BASS_StreamCreateFile(BOOL fromMemory, const void* file, DWORD offset, DWORD length, DWORD flags)
{
    Library& lib = Lib();
    const char* path = fromMemory ? nullptr : static_cast<const char*>(file);
    std::string name = BaseName(path);
    if (!lib.started || !path)
        return Report<HSTREAM>("BASS_StreamCreateFile", {fromMemory, offset, length, flags}, name, 0);
    Stream s;
    s.used = true;
    lib.streamSerial = (lib.streamSerial + 1) & kGenMask;
    if (lib.streamSerial == 0)
        lib.streamSerial = 1;
    s.gen = lib.streamSerial;
    s.name = name;
    uint32_t kind;
    if (flags & BASS_FLAG_DECODE_ONLY)
    {
        s.decoder = Dev().OpenDecoder(path);
        if (!s.decoder)
            return Report<HSTREAM>("BASS_StreamCreateFile", {fromMemory, offset, length, flags}, name, 0);
        kind = kKindDecode;
    }
    else
    {
        s.music = Dev().LoadMusic(path);
        if (!s.music)
            return Report<HSTREAM>("BASS_StreamCreateFile", {fromMemory, offset, length, flags}, name, 0);
        kind = kKindMusic;
    }
    size_t slot = 0;
    while (slot < lib.streams.size() && lib.streams[slot].used)
        ++slot;
    if (slot > kIndexMask)
    {
        if (s.music)
            Dev().FreeMusic(s.music);
        return Report<HSTREAM>("BASS_StreamCreateFile", {fromMemory, offset, length, flags}, name, 0);
    }
    if (slot == lib.streams.size())
        lib.streams.emplace_back();
    lib.streams[slot] = std::move(s);
    HSTREAM h = MakeHandle(kind, lib.streamSerial, uint32_t(slot));
    return Report<HSTREAM>("BASS_StreamCreateFile", {fromMemory, offset, length, flags}, name, h);
}

DWORD BASS_StreamGetLength(HSTREAM stream)
{
    DWORD len = 0;
    if (Stream* s = FindStream(stream, kKindDecode))
        len = DWORD(s->decoder->TotalBytes());
    return Report<DWORD>("BASS_StreamGetLength", {stream}, NameOfHandle(stream), len);
}

BOOL BASS_StreamPlay(HSTREAM stream, BOOL flush, DWORD flags)
{
    Library& lib = Lib();
    Stream* s = FindStream(stream, kKindMusic);
    if (!s)
        return Report<BOOL>("BASS_StreamPlay", {stream, flush, flags}, NameOfHandle(stream), FALSE);
    Device& dev = Dev();
    bool ok;
    if (dev.Refuses("BASS_StreamPlay"))
        ok = false;
    else if (lib.music == stream && lib.musicState == MusicState::Stopped && !flush)
    {
        // Played again after a stop: carry on from where it stopped.
        if (!lib.paused)
            dev.ResumeMusic();
        ok = true;
    }
    else if (lib.music == stream && lib.musicState == MusicState::Playing && !flush)
    {
        ok = true;
    }
    else
    {
        ok = dev.PlayMusic(s->music, (flags & BASS_FLAG_STREAM_LOOP) != 0);
        if (ok)
        {
            dev.SetMusicVolume(s->volume);
            if (lib.paused)
                dev.PauseMusic();
        }
    }
    if (ok)
    {
        lib.music = stream;
        lib.musicState = MusicState::Playing;
    }
    return Report<BOOL>("BASS_StreamPlay", {stream, flush, flags}, s->name, ok ? TRUE : FALSE);
}

void BASS_StreamFree(HSTREAM stream)
{
    Library& lib = Lib();
    std::string name = NameOfHandle(stream);
    Stream* s = FindStream(stream, KindOf(stream) == kKindDecode ? kKindDecode : kKindMusic);
    if (!s)
    {
        Report<int>("BASS_StreamFree", {stream}, name, 0);
        return;
    }
    if (lib.music == stream)
    {
        Dev().HaltMusic();
        lib.music = 0;
        lib.musicState = MusicState::None;
    }
    if (s->music)
        Dev().FreeMusic(s->music);
    *s = Stream{};
    Report<int>("BASS_StreamFree", {stream}, name, 1);
}
