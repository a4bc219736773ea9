// The player's nine trophies: their earned levels, the rules that turn a play
// statistic into a new level, the queue of awards waiting for the trophy screen
// to play them, the per-player "Trophies.dat", the description texts of
// "Trophies.txt" and the "Trophies" section of "Skin.cfg". The game object owns
// one for the whole run; its trophy screen shows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>


struct TrophyAward
{
    int32_t trophy;
    int32_t level;
};

class CTrophies
{
public:
    static constexpr int kTrophyCount = 9;
    static constexpr int kFileSize = 4 * kTrophyCount;

    CTrophies();

    // "PompaTime", "PostTime", "BackgroundTSpeed", "BackgroundTSize" of [Trophies].
    void LoadSettings(const char* path);
    // One header line, then 24 texts each closed by a line starting with '#'.
    bool LoadDescriptions(const char* path);

    void Reset();
    // Stops at the first short or out-of-range value; what was read before stays.
    bool Load(const char* path);
    // Through a temporary file renamed over the old one; a failure leaves memory alone.
    bool Save(const char* path) const;

    std::vector<uint8_t> ToBytes() const;
    bool FromBytes(const uint8_t* data, size_t size);

    // The new level that `value` earns for `trophy`, or 0 when nothing above the
    // current level is earned.
    int32_t GetAwardLevel(uint32_t trophy, int32_t value) const;
    // One waiting entry per trophy; a later award raises it to the higher level.
    void QueueAward(int32_t trophy, int32_t level);
    // GetAwardLevel, and QueueAward when it earns something; true when queued.
    // The game's level-end and in-play checks are runs of this.
    bool CheckAward(uint32_t trophy, int32_t value);
    // Gives every waiting award its level at once (what was earned is capped at the
    // trophy's top level) and empties the queue.
    void ApplyPending();

    static int32_t MaxLevel(int trophy);
    // The description of `trophy` at `level` (1-based); "" when there is none.
    const std::string& GetDescription(int trophy, int level) const;

    // How the trophy screen plays the awards.
    float pompaTime = 1.5f;          // seconds of the award spiral
    float postTime = 0.5f;           // seconds of the afterglow
    float backgroundSpeed[2] = {0.0625f, -0.038625f};
    float backgroundSize[2] = {1.0f, 0.75f};
    std::vector<int32_t> levels;           // earned levels, saved
    std::vector<int32_t> displayedLevels;  // what the icons show
    std::vector<TrophyAward> pending;      // oldest first
    std::vector<std::vector<std::string>> descriptions;
};
