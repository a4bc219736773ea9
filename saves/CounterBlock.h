// The play statistics: ten numbered counters in a block, three blocks in a set.
// The board owns one set that play adds to; the quest save record owns another
// that travels to and from the board at level boundaries and into the save file.
//
// Block roles in a set: first = copy slot, second = quest totals, third = the
// level being played. Counter 1 holds the bits of a float (the level time);
// counters 8 and 9 keep the largest value seen instead of a sum.
#pragma once

#include <cstdint>
#include <vector>

class CByteWriter;
class CByteReader;

enum CounterIndex : uint32_t
{
    kCounterScore = 0,
    kCounterTime = 1,      // float seconds
    kCounterTokens = 2,
    kCounterGroups = 3,
    kCounterUnused = 4,
    kCounterBonuses = 5,
    kCounterMatchEvents = 6,
    kCounterOperations = 7,
    kCounterBestCombo = 8, // maximum
    kCounterBiggestGroup = 9, // maximum
    kCounterCount = 10,
};

class CCounterBlock
{
public:
    CCounterBlock();

    // Adds to a summing counter (the result never drops below 0), or raises a
    // record counter to `value` when it is larger. Returns the new value.
    int32_t AddInt(int32_t value, uint32_t index);
    float AddFloat(float value, uint32_t index);

    int32_t GetInt(uint32_t index) const;
    float GetFloat(uint32_t index) const;
    void SetInt(int32_t value, uint32_t index);
    void SetFloat(float value, uint32_t index);

    void ZeroCounters();

    // Every counter as a 32-bit little-endian word XOR `mask`; no count is stored.
    bool WriteScrambled(CByteWriter& out, uint32_t mask) const;
    // Reads as many words as the block holds; on a short read nothing changes.
    bool ReadScrambled(CByteReader& in, uint32_t mask);

    std::vector<uint32_t> counters;       // raw words; counter 1 holds float bits
    std::vector<int32_t> floatMarks;      // 1 at the index held as a float
    std::vector<int32_t> recordIndices;   // counters that keep a maximum

private:
    bool IsRecordIndex(uint32_t index) const;
};

class CCounterSet
{
public:
    // Every addition during play goes to the quest totals and the level's block alike.
    void AddToBoth(int32_t value, uint32_t index);
    void AddFloatToBoth(float value, uint32_t index);

    void Reset();
    // Copies the counter words of each block; marks and record indices stay.
    void CopyCounters(const CCounterSet& other);
    // The totem level starts from the level's figures: third block to first, third zeroed.
    void MoveThirdToFirst();

    // File order is first, third, second; stops at the first failure.
    bool Write(CByteWriter& out, uint32_t mask) const;
    bool Read(CByteReader& in, uint32_t mask);

    CCounterBlock first;   // copy slot
    CCounterBlock second;  // quest totals
    CCounterBlock third;   // current level
};
