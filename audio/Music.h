// CMusic: the music player. One looping track plays at a time: the main-menu,
// storyline or bonus-level track, or one of the three gameplay tracks in turn.
// A track change fades the current track out in the per-frame update first.
// Sounds with a music silencer dip the music while they play. The game owns the
// player and gives the sound bank a copy of its handle.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/bass.h"

class CMusic
{
public:
    enum TrackKind
    {
        kTrackGameplay = 0,   // gameplay1..3 in turn
        kTrackMainMenu = 1,
        kTrackStoryline = 2,
        kTrackBonusLevel = 3,
    };

    explicit CMusic(const char* folder);
    ~CMusic();
    CMusic(const CMusic&) = delete;
    CMusic& operator=(const CMusic&) = delete;

    // Opens and starts the track of this kind at once (freeing an open one).
    void Play(int32_t kind);
    // The change happens in Update after the current track has faded out.
    void RequestTrack(int32_t kind);
    // Per frame, with the frame's elapsed seconds.
    void Update(float seconds);
    void SetEnabled(int32_t on);
    void SetVolume(float volume);
    // A music dip to factor for the given seconds.
    void AddSilencer(float seconds, float factor);
    // Pause and restart the whole audio output.
    void Pause();
    void Resume();

    // floor(volume * 100 * fade [* dip]) clamped to 0..100.
    int32_t StreamVolume(bool withDip) const;

    char folder[512] = {};
    HSTREAM stream = 0;
    int32_t on = 1;
    float volume = 0.5f;
    int32_t playing = 0;
    int32_t paused = 0;
    int32_t gameplayTrack = -1;
    int32_t changePending = 0;
    float fade = 1.0f;
    float fadeSpeed = 1.0f;
    int32_t requestedTrack = 0;
    std::vector<std::pair<float, float>> silencers;  // (seconds left, music volume factor)
    float dip = 1.0f;
    int32_t failed = 0;  // turning the music on could not start the stream

private:
    void OpenTrack(int32_t kind, bool withDip);
    void SendVolume(bool withDip);
};
