// The best score and the best time of every level, each with the name of the
// player who made it: two tables of 41 entries ("Sc.bst", "Ti.bst" in the game-data
// folder), entry index = level number - 1. The level summary compares and records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

    int32_t count;
    std::vector<std::string> names;
    std::vector<int32_t> values;

private:
    bool HasLevel(int level) const { return level >= 1 && level <= count; }
};
