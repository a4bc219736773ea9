// CShopItemTable: the sixteen items of the upgrade shop (six bonuses, seven Power
// Totems, three rule upgrades), the stars placed on each, how many each may hold at
// this point of the quest, and the texts the shop shows for them. Pure data and
// rules: no pictures, no input. CShop embeds one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CLevelParams;

// What an item is.
enum ShopItemKind
{
    kShopItemRule = 0,
    kShopItemTotem = 1,
    kShopItemBonus = 2,
};

// The three rule upgrades are fixed items of the table.
enum ShopRuleItem
{
    kShopItemTime = 6,       // level time allowance
    kShopItemSandGlass = 7,  // sand-glass seconds
    kShopItemGemCount = 8,   // most random gems on the board
};

// What reading the item texts came to.
enum class ShopTextsResult
{
    Read,
    NoFile,     // the file cannot be opened: every text stays empty
    CutShort,   // the file ends before its last text: the texts after the cut stay empty
};

class CShopItemTable
{
public:
    static constexpr int kItemCount = 16;
    // An item with no stars yet but available; below it the item is still locked.
    static constexpr int32_t kLocked = -1;

    CShopItemTable();

    static bool IsItem(int item) { return item >= 0 && item < kItemCount; }

    // The limits that the quest's level number `level` allows: rule items start at 0,
    // the others at -1 (locked), and an item rises through its bands as levels pass.
    void UnlockForLevel(int level);
    // Writes the bought levels into the level parameters (after their own reset).
    void ApplyToLevel(CLevelParams& params) const;
    // A new quest: every item locked, the three rule items available.
    void ResetItems();
    // A level as a save may hold it, brought into the item's range: -1 (0 for the
    // rule items) to the item's number of star places.
    int32_t ClampLevel(int item, int32_t level) const;
    // The shop's texts, three per item and text index, from "Shop.txt".
    ShopTextsResult LoadTexts(const char* path);

    std::array<int32_t, kItemCount> levels{};
    std::array<int32_t, kItemCount> limits{};
    std::array<int32_t, kItemCount> kinds{};
    std::array<int32_t, kItemCount> subIds{};
    std::array<int32_t, kItemCount> maxLevels{};
    int32_t freeStars = 0;
    // texts1: the item's description; texts2: its upgrade note; texts3: its next-star note.
    std::array<std::vector<std::string>, kItemCount> texts1, texts2, texts3;
};

// The limit of item `item` at quest level `level` (-1 locked; rule items 0 at least).
int32_t ShopItemLimit(int item, int level);
