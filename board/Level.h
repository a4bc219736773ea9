// CLevel: one hand-made level read from a ".lvl" file ("Data\Lvl\l%d.lvl",
// "Totem.lvl"): the colours allowed, steel and lock chances, the gem goal, and
// the 8 x 8 layers of the opening board (layout, locks, bonuses, fixed cells,
// gems) with the lettered colour groups and number lists the layout refers to.
// The play field makes one for each level start and keeps it in a counted
// handle; it reads the record only when a load succeeded (isDefault 0).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CLevel {
public:
    static constexpr int kRows = 8;
    static constexpr int kRowLength = 8;
    static constexpr int kBonusLevels = 6;
    static constexpr int32_t kLastColour = 6;

    CLevel();

    // 1 when the file was read and passed its checks (isDefault becomes 0),
    // else 0; every message goes to the log. Statements read before a failure
    // stay in the record.
    int Load(const char* path);

    void AddGroup(const std::vector<int32_t>& list);
    // True when the groups' sizes add up to at most n colours.
    bool GroupsFit(int n) const;

    int32_t isDefault = 1;
    int32_t gemsCount = -1;
    std::vector<int32_t> capsSet;
    float steelChance = 0.0f;
    int32_t steelTokenCount = -1;
    float lockChance = 0.0f;
    int32_t lockTokenCount = -1;
    std::vector<uint8_t> groupLetters;  // 'A'..'G'
    std::vector<int32_t> groupSizes;
    std::vector<uint8_t> listLetters;  // 'I'..'O'
    std::vector<std::vector<int32_t>> lists;
    std::vector<std::string> beginRows;  // layout: colours, steel, letters
    std::vector<std::string> lockRows;   // '1'..'9' lock, '0' never
    std::vector<int32_t> bonusLevels;    // per bonus layout digit, -1 = the shop's level
    std::vector<std::string> bonusRows;  // '0'..'5' a bonus (upper case)
    std::vector<std::string> fixedRows;  // 'f' fixed
    std::vector<std::string> gemRows;    // 'g' gem
};
