// Every shipped level opens onto a full, settled board with a move: its fixed
// colours, steel and locks where the file puts them, and nothing lined up.
#include "board_play_fixture.h"

#include <cstdio>
#include <filesystem>

namespace
{

using board_play::BoardPlay;

class ShippedLevelOpenings : public BoardPlay
{
};

TEST_F(ShippedLevelOpenings, EveryLevelOpensSettledWithAMove)
{
    const std::filesystem::path folder = std::filesystem::path(ORB_DATA_SRC_DIR) / "Data" / "Lvl";
    int opened = 0;
    for (int number = 1; number <= 60; ++number)
    {
        char name[32];
        std::snprintf(name, sizeof(name), "l%d.lvl", number);
        const std::filesystem::path path = folder / name;
        if (!std::filesystem::exists(path))
            continue;
        SCOPED_TRACE(name);
        Build(unsigned(number));
        StartLevel(number, path.string());
        ASSERT_GE(RunUntilSettled(900), 0);
        field->RebuildValueGrid();
        EXPECT_TRUE(field->matchGrid.HasMove(3, false));
        EXPECT_FALSE(field->matchGrid.HasLine(3, false));
        const CLevel& level = *field->level;
        for (int32_t r = 0; r < 8; ++r)
            for (int32_t c = 0; c < 8; ++c)
            {
                const CCap& cap = *field->cells[size_t(r)][size_t(c)];
                const char ch = level.beginRows[size_t(r)][size_t(c)];
                if (ch >= '0' && ch <= '6')
                {
                    EXPECT_EQ(ch - '0', cap.colour) << c << "," << r;
                }
                else if (ch == 's')
                {
                    EXPECT_EQ(CCap::kSteel, cap.colour) << c << "," << r;
                }
                const char lock = level.lockRows[size_t(r)][size_t(c)];
                if (lock >= '1' && lock <= '9')
                {
                    EXPECT_EQ(lock - '0', cap.lockCount) << c << "," << r;
                }
                else if (lock == '0')
                {
                    EXPECT_EQ(0, cap.lockCount) << c << "," << r;
                }
            }
        ++opened;
    }
    EXPECT_GE(opened, 30);
}

} // namespace
