// The audio-library calls the game makes (sound bank, music player, first-run
// conversion), implemented over SDL2_mixer, or over a recording backend in tests.
//
// Volumes are 0..100, pans -100 (left) .. 100 (right). -101 as a pan and -1 as a
// volume or frequency keep the current or default value. Handle 0 means failure.
// Handles carry a kind and a generation: a handle of an ended or replaced
// playback never touches a newer one, and calls on it return 0.
// After BASS_Free (or before BASS_Init) every call does nothing and returns 0.
#pragma once

#include "platform/win32/types.h"

typedef DWORD HSAMPLE;
typedef DWORD HCHANNEL;
typedef DWORD HSTREAM;

// BASS_SampleLoad flag: when all playbacks of a sample are busy, a new start
// replaces the one that has played the fewest frames.
constexpr DWORD BASS_FLAG_OVERRIDE_LOWEST = 0x20000;
// BASS_StreamCreateFile flag: a stream that is only decoded (BASS_ChannelGetData),
// never played: 16-bit little-endian PCM at the file's rate and channel count.
constexpr DWORD BASS_FLAG_DECODE_ONLY = 0x200000;
// BASS_StreamPlay flag: play the stream looping.
constexpr DWORD BASS_FLAG_STREAM_LOOP = 4;
// BASS_CHANNELINFO::flags bit: the channel delivers 8-bit samples.
constexpr DWORD BASS_FLAG_8BIT = 1;

constexpr int BASS_KEEP_PAN = -101;
constexpr int BASS_KEEP = -1;
// BASS_ChannelGetData's result when decoding failed.
constexpr DWORD BASS_DATA_ERROR = 0xFFFFFFFFu;

// A loaded sample's settings. Only the default volume is used by the game;
// it applies to playbacks started after it is written.
struct BASS_SAMPLE
{
    DWORD freq;    // sample rate of the loaded data
    DWORD volume;  // default volume 0..100
    int pan;       // default pan -100..100
    DWORD flags;   // flags given at load
    DWORD length;  // length in bytes of the loaded data
    DWORD max;     // most simultaneous playbacks
};

struct BASS_CHANNELINFO
{
    DWORD freq;    // sample rate
    DWORD chans;   // channel count
    DWORD flags;   // BASS_FLAG_8BIT when 8-bit samples (never on this platform)
};

// Start and stop. device is 1 for the default output; freq 44100.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND window, const GUID* deviceId);
void BASS_Free();
// The output in use: 1 the default one, 0 "no sound" (no device could be opened and
// the library plays to a silent one), -1 before BASS_Init.
DWORD BASS_GetDevice();
// Whole-output pause and restart (the window is minimised and restored).
BOOL BASS_Pause();
BOOL BASS_Start();

// Samples: loaded once, played on any number of channels (up to max at once).
HSAMPLE BASS_SampleLoad(BOOL fromMemory, const void* file, DWORD offset, DWORD length, DWORD max, DWORD flags);
BOOL BASS_SampleGetInfo(HSAMPLE sample, BASS_SAMPLE* info);
BOOL BASS_SampleSetInfo(HSAMPLE sample, const BASS_SAMPLE* info);
HCHANNEL BASS_SamplePlay(HSAMPLE sample);
// loop: 1 loops, -1 uses the sample's own setting (samples never loop by themselves).
HCHANNEL BASS_SamplePlayEx(HSAMPLE sample, DWORD start, int freq, int volume, int pan, BOOL loop);

// Channels (sample playbacks) and streams.
BOOL BASS_ChannelStop(DWORD handle);
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
DWORD BASS_ChannelIsActive(DWORD handle);
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
DWORD BASS_ChannelGetPosition(DWORD handle);
float BASS_ChannelBytes2Seconds(DWORD handle, DWORD position);

// Music streams (one plays at a time) and decode-only streams.
HSTREAM BASS_StreamCreateFile(BOOL fromMemory, const void* file, DWORD offset, DWORD length, DWORD flags);
DWORD BASS_StreamGetLength(HSTREAM stream);
BOOL BASS_StreamPlay(HSTREAM stream, BOOL flush, DWORD flags);
void BASS_StreamFree(HSTREAM stream);
