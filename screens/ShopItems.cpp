#include "screens/ShopItems.h"

#include "board/LevelParams.h"
#include "platform/crt.h"

#include <algorithm>
#include <cstdio>

namespace {

struct ItemRow
{
    int32_t kind;
    int32_t subId;
    int32_t maxLevel;
    // The level from which the item is available, and the levels below which its limit
    // stays 1, 2 and 3 (0: the item has three places and no third band).
    int32_t from, band1, band2, band3;
};

const ItemRow kItems[CShopItemTable::kItemCount] = {
    {kShopItemTotem, 6, 4, 9, 17, 27, 39},   // violet totem
    {kShopItemTotem, 5, 4, 11, 19, 26, 36},  // white totem
    {kShopItemTotem, 3, 3, 21, 29, 37, 0},   // blue totem
    {kShopItemTotem, 1, 4, 7, 18, 23, 31},   // yellow totem
    {kShopItemTotem, 4, 4, 6, 14, 28, 35},   // orange totem
    {kShopItemTotem, 2, 4, 4, 15, 24, 32},   // red totem
    {kShopItemRule, 0, 4, 3, 16, 26, 38},    // level time
    {kShopItemRule, 1, 4, 5, 15, 25, 37},    // sand-glass seconds
    {kShopItemRule, 2, 4, 2, 11, 20, 32},    // gem count
    {kShopItemTotem, 0, 4, 10, 19, 30, 39},  // green totem
    {kShopItemBonus, 2, 3, 2, 13, 28, 0},    // TNT
    {kShopItemBonus, 6, 3, 8, 17, 30, 0},    // score
    {kShopItemBonus, 4, 3, 7, 22, 34, 0},    // time
    {kShopItemBonus, 3, 3, 5, 9, 21, 0},     // flash
    {kShopItemBonus, 7, 3, 3, 18, 29, 0},    // solidarity
    {kShopItemBonus, 5, 3, 12, 23, 33, 0},   // adviser
};

int32_t ResetLimit(int item)
{
    return kItems[item].kind == kShopItemRule ? 0 : CShopItemTable::kLocked;
}

// Reads one line of at most 4095 characters (line end included); false at the end.
bool ReadLine(std::FILE* file, std::string& line)
{
    char buffer[4096];
    if (!std::fgets(buffer, sizeof(buffer), file))
        return false;
    line = buffer;
    return true;
}

// One text: lines joined as read until a line that starts with '#'.
// A text cut off by the end of the file is left empty.
bool ReadText(std::FILE* file, std::string& text)
{
    std::string read, line;
    while (ReadLine(file, line))
    {
        if (!line.empty() && line[0] == '#')
        {
            text = read;
            return true;
        }
        read += line;
    }
    return false;
}

}  // namespace

int32_t ShopItemLimit(int item, int level)
{
    if (!CShopItemTable::IsItem(item))
        return CShopItemTable::kLocked;
    const ItemRow& row = kItems[item];
    if (level < row.from)
        return ResetLimit(item);
    if (level < row.band1)
        return 1;
    if (level < row.band2)
        return 2;
    if (row.band3 > 0 && level < row.band3)
        return 3;
    return row.maxLevel;
}

CShopItemTable::CShopItemTable()
{
    for (int i = 0; i < kItemCount; ++i)
    {
        const ItemRow& row = kItems[i];
        kinds[size_t(i)] = row.kind;
        subIds[size_t(i)] = row.subId;
        maxLevels[size_t(i)] = row.maxLevel;
        limits[size_t(i)] = kLocked;
        const size_t count = size_t(row.maxLevel + 2);
        texts1[size_t(i)].assign(count, std::string());
        texts2[size_t(i)].assign(count, std::string());
        texts3[size_t(i)].assign(count, std::string());
    }
    ResetItems();
}

void CShopItemTable::UnlockForLevel(int level)
{
    for (int i = 0; i < kItemCount; ++i)
        limits[size_t(i)] = ShopItemLimit(i, level);
}

void CShopItemTable::ApplyToLevel(CLevelParams& params) const
{
    params.paramCount = levels[kShopItemGemCount] + 4;
    params.scoreStep = GetScoreStep(levels[kShopItemSandGlass]);
    params.timeA = GetTierTime(levels[kShopItemTime]);
    // The level parameters keep the bonuses by type - 2.
    params.kindLevels.resize(6);
    for (int i = 0; i < kItemCount; ++i)
        if (kinds[size_t(i)] == kShopItemBonus)
            params.kindLevels[size_t(subIds[size_t(i)] - 2)] = levels[size_t(i)];
}

void CShopItemTable::ResetItems()
{
    levels.fill(kLocked);
    levels[kShopItemTime] = levels[kShopItemSandGlass] = levels[kShopItemGemCount] = 0;
}

int32_t CShopItemTable::ClampLevel(int item, int32_t level) const
{
    if (!IsItem(item))
        return kLocked;
    const int32_t lowest = kinds[size_t(item)] == kShopItemRule ? 0 : kLocked;
    return std::clamp(level, lowest, maxLevels[size_t(item)]);
}

ShopTextsResult CShopItemTable::LoadTexts(const char* path)
{
    std::FILE* file = crt::fopen(path, "r");
    if (!file)
        return ShopTextsResult::NoFile;
    std::string header;
    bool whole = ReadLine(file, header);
    for (int i = 0; i < kItemCount && whole; ++i)
        for (size_t j = 0; j < texts1[size_t(i)].size() && whole; ++j)
            whole = ReadText(file, texts1[size_t(i)][j]) && ReadText(file, texts2[size_t(i)][j]) &&
                    ReadText(file, texts3[size_t(i)][j]);
    std::fclose(file);
    return whole ? ShopTextsResult::Read : ShopTextsResult::CutShort;
}
