// The quest in progress: one record that the game holds through a counted handle,
// stored in "Quest.sav" and its two autosaves ("PSAV" files). The record does not
// interpret its values beyond the checks that keep a damaged file out of play.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "saves/CounterBlock.h"
#include "platform/win32/types.h"

class CByteWriter;
class CByteReader;

class CQuestSave
{
public:
    // Where a stored quest resumes.
    enum ResumePoint : int32_t
    {
        kResumeInLevel = 1,   // the five board grids follow in the file
        kResumeStatistics = 6,
        kResumeShop = 8,
        kResumeUnset = 3,     // the constructor's value; never valid in a file
    };

    // Status word: what the game may do with the record.
    enum Status : int32_t
    {
        kStatusNone = 0,
        kStatusNewQuest = 1,
        kStatusUnsaved = 2,   // a quest runs whose progress is not saved yet; also "just loaded"
    };

    enum Error : int32_t
    {
        kErrorNone = -1,
        kErrorOpen = 0,      // file cannot be opened
        kErrorShort = 1,     // a read ran past the end / a write failed
        kErrorVersion = 2,
        kErrorCorrupt = 3,
    };

    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kCounterMask = 0x6B2E91D4u;
    static constexpr uint32_t kFieldMask = 0x3C8F07A5u;
    static constexpr uint32_t kShopMask = 0xD15A4E63u;
    static constexpr uint32_t kStarMask = 0x9E0B72C8u;

    static constexpr int kGridCount = 5;
    static constexpr int kGridSize = 8;
    static constexpr int kShopItems = 16;
    static constexpr int32_t kEmptyCell = 1000;
    static constexpr uint32_t kMaxPairs = 13;

    typedef std::array<std::array<int32_t, kGridSize>, kGridSize> Grid;

    CQuestSave();

    // Writes the record through a temporary file renamed over the old one; on
    // failure the old file stays whole, the failure is logged and false returned.
    bool Save(const char* path);
    // Reads into a scratch record that replaces this one only when the whole file
    // is good (status 2). On failure the status becomes 0, every other field keeps
    // its value, and the reason is logged (except for a missing file).
    bool Load(const char* path);

    std::vector<uint8_t> ToBytes() const;
    // Load without the file: the same checks, the same all-or-nothing rule.
    bool FromBytes(const uint8_t* data, size_t size);

    Error LastError() const { return m_lastError; }
    static const char* ErrorText(Error error);

    int32_t status = kStatusNone;
    int32_t mode = 0;                 // 0 = the regular quest; only then is the shop tail stored
    GUID questId = {};
    int32_t hardMode = 0;             // board's Hard difficulty word
    int32_t resumePoint = kResumeUnset;
    CCounterSet counters;
    int32_t level = 1;                // 1..1000
    float remainingTime = 0.0f;
    float nextWarning = 30.0f;
    int32_t lives = 2;                // 0..1000
    float sandLevel = 0.0f;
    double sandFall = 0.0;
    int32_t starCount = 0;            // board's star count, >= 0
    int32_t gemsToCollect = 0;        // first gem count
    int32_t gemsToPlace = 0;          // second gem count (the level's gem goal)
    float adviserTime = 0.0f;
    int32_t totemIndex = -1;          // requested totem colour 0..6, -1 none
    int32_t totemShield = 0;          // 0 or 1
    // Grid 0: 1000 empty, colour + 1 for a token, -(colour + 1) for a token with a
    // gem; grid 1: lock count; grids 2..4: the bonus on the token (kind, level, fixed).
    std::array<Grid, kGridCount> grids;
    std::array<int32_t, kShopItems> shopValues = {};
    int32_t stars = 0;                // Golden Stars, 0..1000
    int32_t extra1 = 0;
    int32_t extra5 = 0;
    int32_t extra7 = 0;
    int32_t extra13 = 0;

private:
    Error Parse(CByteReader& in);
    Error m_lastError = kErrorNone;
};
