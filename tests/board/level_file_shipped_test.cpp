// Every level file the game ships: it loads without a message, fits the
// progression the rule formulas set for its number, never forces a ready line
// on the opening board, and the tutorial boards hold the swaps the tips show.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "board/Level.h"
#include "board/LevelParams.h"
#include "board/MatchGrid.h"
#include "engine/Log.h"
#include "engine/Random.h"
#include "platform/crt.h"
#include "tests/support/LogFile.h"

namespace {

const std::string kLevels = std::string(ORB_DATA_SRC_DIR) + "/Data/Lvl/";

struct Shipped {
    std::string name;
    int number;  // 0 for the totem tip's board
};

void PrintTo(const Shipped& s, std::ostream* os) { *os << s.name; }

std::vector<Shipped> AllLevels() {
    std::vector<Shipped> all;
    for (int n = 1; n <= 41; ++n)
        all.push_back({"l" + std::to_string(n) + ".lvl", n});
    all.push_back({"Totem.lvl", 0});
    return all;
}

// The opening layout as a value grid in which only what the file forces can
// line up: fixed colours, tied letters, one-colour groups and lists, steel.
// Every cell left to chance gets a value of its own that never lines up.
void ForcedLayout(const CLevel& level, size_t colours, CMatchGrid& grid) {
    grid.Resize(8, 8);
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            const char ch = level.beginRows[r][c];
            int32_t v = 200 + r * 8 + c;
            if (ch >= '0' && ch <= '6') {
                v = ch - '0' + 1;
            } else if (ch == 's') {
                v = 101;
            } else if (ch >= 'a' && static_cast<size_t>(ch - 'a') < colours) {
                v = 10 + (ch - 'a');
            } else if (ch >= 'A' && ch <= 'G') {
                const auto it = std::find(level.groupLetters.begin(), level.groupLetters.end(), ch);
                if (it != level.groupLetters.end() && level.groupSizes[it - level.groupLetters.begin()] == 1)
                    v = 30 + (ch - 'A');
            } else if (ch >= 'I' && ch <= 'O') {
                const auto it = std::find(level.listLetters.begin(), level.listLetters.end(), ch);
                if (it != level.listLetters.end() && level.lists[it - level.listLetters.begin()].size() == 1)
                    v = level.lists[it - level.listLetters.begin()][0] + 1;
            }
            grid.Set(r, c, v);
        }
    }
}

class ShippedLevel : public ::testing::TestWithParam<Shipped> {
protected:
    void SetUp() override {
        SetLogFile((::testing::TempDir() + "shipped_levels_test.log").c_str());
        ResetLog();
    }
    void TearDown() override { SetLogFile(""); }
    static std::string Log() { return test_support::ReadLogFile(); }
};

TEST_P(ShippedLevel, LoadsQuietlyAndFitsItsLevelNumber) {
    const Shipped& s = GetParam();
    CLevel level;
    ASSERT_EQ(level.Load((kLevels + s.name).c_str()), 1) << Log();
    EXPECT_EQ(Log(), "") << "no warning";
    EXPECT_EQ(level.isDefault, 0);

    // The level tip of the totem runs at any level number: it offers every colour.
    const int n = s.number ? s.number : 41;
    CLevelRules defaults;
    GetDefaultLevelRules(n, false, defaults);
    const std::vector<int32_t> colours = level.capsSet.empty() ? defaults.capsSet : level.capsSet;
    EXPECT_EQ(colours.size(), defaults.capsSet.size()) << "as many colours as the level number gives";
    EXPECT_EQ(std::set<int32_t>(colours.begin(), colours.end()).size(), colours.size());
    EXPECT_TRUE(level.GroupsFit(static_cast<int>(colours.size())));
    for (const auto& list : level.lists)
        for (int32_t colour : list)
            EXPECT_NE(std::find(colours.begin(), colours.end(), colour), colours.end()) << "list colour " << colour;

    if (s.number) {
        EXPECT_LE(level.gemsCount, GetTotemLevelGoal(n));
        EXPECT_GE(level.gemsCount, GetTotemLevelGoal(n) - 10);
    } else {
        EXPECT_EQ(level.gemsCount, -1) << "the tip keeps the goal of the level it interrupts";
    }

    int steelCells = 0, lockCells = 0;
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            const char ch = level.beginRows[r][c];
            const bool steel = ch == 's';
            const bool gem = level.gemRows[r][c] == 'g';
            const bool bonus = level.bonusRows[r][c] >= '0' && level.bonusRows[r][c] <= '5';
            steelCells += steel;
            lockCells += level.lockRows[r][c] >= '1' && level.lockRows[r][c] <= '9';
            if (ch >= '0' && ch <= '6') {
                EXPECT_NE(std::find(colours.begin(), colours.end(), ch - '0'), colours.end())
                    << "fixed colour outside the set at " << c << "," << r;
            }
            EXPECT_FALSE(steel && (gem || bonus)) << "steel carries nothing, at " << c << "," << r;
            EXPECT_FALSE(gem && bonus) << "a gem token takes no bonus, at " << c << "," << r;
            EXPECT_TRUE(level.fixedRows[r][c] == 'f' || level.fixedRows[r][c] == '-');
        }
    }
    if (n < 14) {
        EXPECT_EQ(steelCells, 0) << "steel arrives at level 14";
        EXPECT_LE(level.steelTokenCount, 0);
    }
    if (n < 6) {
        EXPECT_EQ(lockCells, 0) << "chains arrive at level 6";
        EXPECT_LE(level.lockTokenCount, 0);
    }
    EXPECT_GE(level.steelChance, 0.0f);
    EXPECT_LE(level.steelChance, 0.05f);
    EXPECT_GE(level.lockChance, 0.0f);
    EXPECT_LE(level.lockChance, 0.05f);
    EXPECT_LE(level.steelTokenCount, 8);
    EXPECT_LE(level.lockTokenCount, 8);

    // The board is drawn again until it has no line: a forced one would never go.
    CMatchGrid grid;
    ForcedLayout(level, colours.size(), grid);
    EXPECT_FALSE(grid.HasLine(3, false));
}

INSTANTIATE_TEST_SUITE_P(Data, ShippedLevel, ::testing::ValuesIn(AllLevels()),
                         [](const auto& info) { return info.param.number ? "l" + std::to_string(info.param.number)
                                                                         : std::string("Totem"); });

// The opening board is drawn as the refill lays out a level: groups dealt
// from the shuffled colours, letters from a shuffled permutation, the rest by
// chance with the level's steel and chains, again and again until the board
// has no line and a move. Counts the attempts one opening board takes.
int DrawOpeningBoard(const CLevel& level, const CLevelRules& rules, CMatchGrid& grid) {
    const std::vector<int32_t>& caps = rules.capsSet;
    const int n = static_cast<int>(caps.size());
    auto pick = [](int count) { return std::min(static_cast<int>(RandomUnit() * count), count - 1); };
    auto shuffle = [&](std::vector<int32_t> v) {
        for (int k = 0; k < 40; ++k)
            std::swap(v[pick(n)], v[pick(n)]);
        return v;
    };
    grid.Resize(8, 8);
    for (int attempt = 1; attempt <= 5000; ++attempt) {
        std::vector<std::vector<int32_t>> groups;
        if (!level.groupLetters.empty() && level.GroupsFit(n)) {
            const auto dealt = shuffle(caps);
            size_t next = 0;
            for (int32_t size : level.groupSizes) {
                groups.emplace_back(dealt.begin() + next, dealt.begin() + next + size);
                next += size;
            }
        }
        const auto permutation = shuffle(caps);
        int steel = 0, locks = 0;
        for (int c = 0; c < 8; ++c) {
            for (int r = 0; r < 8; ++r) {
                const char ch = level.beginRows[r][c];
                int32_t v = 0;
                if (ch >= '0' && ch <= '6') {
                    v = ch - '0' + 1;
                } else if (ch == 's') {
                    v = 101;
                    ++steel;
                } else if (ch >= 'a' && ch - 'a' < n) {
                    v = permutation[ch - 'a'] + 1;
                } else if (ch >= 'A' && ch <= 'G') {
                    const auto it = std::find(level.groupLetters.begin(), level.groupLetters.end(), ch);
                    if (it != level.groupLetters.end() && !groups.empty()) {
                        const auto& g = groups[it - level.groupLetters.begin()];
                        v = g[pick(static_cast<int>(g.size()))] + 1;
                    }
                } else if (ch >= 'I' && ch <= 'O') {
                    const auto it = std::find(level.listLetters.begin(), level.listLetters.end(), ch);
                    if (it != level.listLetters.end()) {
                        const auto& list = level.lists[it - level.listLetters.begin()];
                        v = list[pick(static_cast<int>(list.size()))] + 1;
                    }
                }
                while (v == 0) {
                    if (RandomUnit() < rules.steelChance) {
                        if (steel < rules.steelCount) {
                            ++steel;
                            v = 101;
                        }
                    } else {
                        v = caps[pick(n)] + 1;
                    }
                }
                const char lock = level.lockRows[r][c];
                if ((lock >= '1' && lock <= '9') ||
                    (lock != '0' && locks < rules.lockCount && RandomUnit() < rules.lockChance)) {
                    v = -v;
                    ++locks;
                }
                grid.Set(r, c, v);
            }
        }
        if (!grid.HasLine(3, false) && grid.HasMove(3, false))
            return attempt;
    }
    return 0;
}

TEST_P(ShippedLevel, OpeningBoardIsFoundQuickly) {
    const Shipped& s = GetParam();
    CLevel level;
    ASSERT_EQ(level.Load((kLevels + s.name).c_str()), 1);
    for (bool hard : {false, true}) {
        CLevelRules rules;
        GetDefaultLevelRules(s.number ? s.number : 20, hard, rules);
        ApplyLevelFileRules(level, hard, rules);
        crt::srand(static_cast<unsigned>(s.number) * 7919u + hard);
        CMatchGrid grid;
        int total = 0, worst = 0;
        for (int board = 0; board < 40; ++board) {
            const int attempts = DrawOpeningBoard(level, rules, grid);
            ASSERT_GT(attempts, 0) << (hard ? "hard" : "normal") << ": no board in 5000 attempts";
            total += attempts;
            worst = std::max(worst, attempts);
        }
        EXPECT_LT(total / 40, 60) << (hard ? "hard" : "normal") << ", worst " << worst;
    }
}

// A swap of the tips, cells given as (column, row): the dragged token at
// `from` moves into `to` and lines up with tokens the layout ties to it.
struct TipSwap {
    int fromColumn, fromRow, toColumn, toRow;
    size_t lineLength;
};

void ExpectTipSwaps(const std::string& name, const std::vector<TipSwap>& swaps, CLevel& level) {
    ASSERT_EQ(level.Load((kLevels + name).c_str()), 1);
    CMatchGrid grid;
    ForcedLayout(level, 5, grid);
    for (const TipSwap& s : swaps) {
        SCOPED_TRACE(::testing::Message() << name << " swap " << s.fromColumn << "," << s.fromRow);
        const int32_t moving = grid.Get(s.fromRow, s.fromColumn);
        grid.Set(s.fromRow, s.fromColumn, grid.Get(s.toRow, s.toColumn));
        grid.Set(s.toRow, s.toColumn, moving);
        ASSERT_EQ(grid.FindMatches(3, false), 1);
        const auto& cells = grid.groups[0].cells;
        EXPECT_EQ(cells.size(), s.lineLength);
        EXPECT_NE(std::find(cells.begin(), cells.end(), CCellPos{s.toColumn, s.toRow}), cells.end());
        // The line is cleared before the next tip; what falls in is left to chance.
        for (const auto& cell : cells)
            grid.Set(cell.row, cell.column, 300 + cell.row * 8 + cell.column);
    }
}

TEST(ShippedTutorials, TipSwapsLineUp) {
    CLevel first, bonus, totem;
    ExpectTipSwaps("l1.lvl", {{4, 4, 3, 4, 3}}, first);
    EXPECT_EQ(first.gemRows[5][3], 'g') << "the first line collects a gem";

    ExpectTipSwaps("l2.lvl", {{2, 5, 1, 5, 4}, {6, 4, 5, 4, 3}}, bonus);
    EXPECT_EQ(bonus.bonusRows[3][5], '3') << "the second line breaks the flash bonus";

    ExpectTipSwaps("Totem.lvl", {{2, 6, 1, 6, 3}, {6, 4, 5, 4, 3}}, totem);
}

}  // namespace
