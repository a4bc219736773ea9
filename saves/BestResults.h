// The best score and the best time of every level, each with the name of the
// player who made it: two tables of 41 entries ("Sc.bst", "Ti.bst" in the game-data
// folder), entry index = level number - 1. The level summary compares and records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CCounterSet;

class CBestResults
{
public:
    static constexpr uint32_t kMaxNameLength = 40;

    explicit CBestResults(int count);

    // A missing or broken file gives the linear defaults 10000..410000 and false;
    // a broken one also logs "Error loading" and the path.
    bool Load(const char* path);
    // Through a temporary file renamed over the old one; false when it fails.
    bool Save(const char* path) const;

    std::vector<uint8_t> ToBytes() const;
    // Load without the file; `path` is only for the log line.
    bool FromBytes(const uint8_t* data, size_t size, const char* path = "");

    void SetLinearDefaults(int low, int high);
    void SetScoreDefaults();

    // Levels outside 1..count are never better and never recorded.
    bool IsBetterScore(int score, int level) const;
    bool IsBetterTime(int seconds, int level) const;
    void SetResult(int value, int level, const char* name);

    int32_t GetValue(int level) const;
    std::string GetName(int level) const;
    bool HasLevel(int level) const { return level >= 1 && level <= count; }

    int32_t count;
    std::vector<std::string> names;
    std::vector<int32_t> values;
};

// What the level summary shows and keeps when a level is won. The game object fills
// the summary form from it and counts the kept values up on the form.
struct LevelResults
{
    int32_t levelSeconds = 0;   // whole seconds the level took
    int32_t levelScore = 0;     // before the time bonus
    int32_t questScore = 0;     // before the time bonus
    int32_t secondsLeft = 0;    // on the level clock, truncated
    int32_t timeBonus = 0;
    bool newBestTime = false;
    bool newBestScore = false;
    std::string timeText;       // "%d:%02d" of the level time
    std::string bestTimeText;
    std::string bestTimeName;
    std::string levelScoreText; // without the bonus
    std::string bestScoreText;
    std::string bestScoreName;
    // Statistics rows: best combo, tokens, match events, bonuses; the level's
    // figure and the quest total.
    int32_t rows[4][2] = {};
};

// "%d:%02d" of whole seconds.
std::string FormatMinutesSeconds(int32_t seconds);

// The summary's work apart from the form: compares the level's time with the time
// table, adds the time bonus (whole seconds left x bonusPerSecond, never negative)
// to counter 0 of the level and quest blocks, compares the level score with the
// score table, and records and saves each new best ("Ti.bst", "Sc.bst" in
// gameDataFolder) under playerName.
LevelResults SummariseLevel(CCounterSet& counters, int level, const char* playerName, float clockSeconds,
                            int32_t bonusPerSecond, CBestResults& times, CBestResults& scores,
                            const std::string& gameDataFolder);
