// Lines and groups of the match finder, on hand-drawn grids.
#include <gtest/gtest.h>

#include <sstream>

#include "match_grid_picture.h"

namespace {

std::string Describe(const CMatchGroup& g) {
    std::ostringstream out;
    for (const auto& cell : g.cells)
        out << "(" << cell.column << "," << cell.row << ")";
    out << " |";
    for (const auto& link : g.links)
        out << " " << link.first << "-" << link.second;
    out << " | " << g.lineCount;
    return out.str();
}

struct LineCase {
    const char* name;
    std::vector<std::string> picture;
    int n;
    bool diagonal;
    bool expected;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class MatchGridLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(MatchGridLine, HasLine) {
    const LineCase& c = GetParam();
    CMatchGrid grid;
    LoadPicture(grid, c.picture);
    EXPECT_EQ(grid.HasLine(c.n, c.diagonal), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, MatchGridLine,
    ::testing::Values(
        LineCase{"empty", {"...", "...", "..."}, 3, false, false},
        LineCase{"row_of_three", {"....", ".222", "...."}, 3, false, true},
        LineCase{"column_of_three_at_bottom_edge", {"..5", "..5", "..5"}, 3, false, true},
        LineCase{"two_only", {"1121", "3434"}, 3, false, false},
        LineCase{"locked_middle_completes", {"3c3"}, 3, false, true},
        LineCase{"all_locked", {"c", "c", "c"}, 3, false, true},
        LineCase{"steel_never_lines", {"SSS", "SSS"}, 3, false, false},
        LineCase{"value_100_never_lines", {"ZZZ"}, 3, false, false},
        LineCase{"colour_98_lines", {"XXX"}, 3, false, true},
        // Only the first cell of a run decides: a locked steel cell starts a
        // line, an unlocked one in front of locked steel does not.
        LineCase{"locked_steel_starts_run", {"LSS"}, 3, false, true},
        LineCase{"steel_before_locked_steel", {"SLL"}, 3, false, false},
        LineCase{"down_right_diagonal_only_when_asked", {"1..", ".1.", "..1"}, 3, false, false},
        LineCase{"down_right_diagonal", {"1..", ".1.", "..1"}, 3, true, true},
        LineCase{"down_left_diagonal_never", {"..1", ".1.", "1.."}, 3, true, false},
        LineCase{"four_needed", {"2222", "1112"}, 4, false, true},
        LineCase{"three_is_not_four", {"1112", "2333"}, 4, false, false},
        LineCase{"one_is_a_line_of_one", {"S.S", "..4"}, 1, false, true},
        LineCase{"no_rows", {}, 3, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct GroupCase {
    const char* name;
    std::vector<std::string> picture;
    bool diagonal;
    std::vector<std::string> groups;
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

class MatchGridGroups : public ::testing::TestWithParam<GroupCase> {};

TEST_P(MatchGridGroups, FindMatches) {
    const GroupCase& c = GetParam();
    CMatchGrid grid;
    LoadPicture(grid, c.picture);
    const int found = grid.FindMatches(3, c.diagonal);
    std::vector<std::string> actual;
    for (const auto& g : grid.groups)
        actual.push_back(Describe(g));
    EXPECT_EQ(found, static_cast<int>(grid.groups.size()));
    EXPECT_EQ(actual, c.groups);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, MatchGridGroups,
    ::testing::Values(
        GroupCase{"all_zero", {"....", "....", "...."}, false, {}},
        GroupCase{"five_in_a_row_is_one_group", {"11111"}, false,
                  {"(0,0)(1,0)(2,0)(3,0)(4,0) | 0-1 1-2 2-3 3-4 | 1"}},
        GroupCase{"locked_cell_inside", {"4d4", "123"}, false, {"(0,0)(1,0)(2,0) | 0-1 1-2 | 1"}},
        GroupCase{"inert_values", {"SSS", "XXX", "ZZZ"}, false, {"(0,1)(1,1)(2,1) | 0-1 1-2 | 1"}},
        GroupCase{"l_shape", {"111.", "..1.", "..1."}, false,
                  {"(0,0)(1,0)(2,0)(2,1)(2,2) | 0-1 1-2 2-3 3-4 | 2"}},
        GroupCase{"corner_starts_both_lines_horizontal_first", {"111", "1..", "1.."}, false,
                  {"(0,0)(1,0)(2,0)(0,1)(0,2) | 0-1 1-2 0-3 3-4 | 2"}},
        GroupCase{"t_shape", {"111", ".1.", ".1."}, false,
                  {"(0,0)(1,0)(2,0)(1,1)(1,2) | 0-1 1-2 1-3 3-4 | 2"}},
        GroupCase{"upside_down_t_keeps_vertical_first", {".1.", ".1.", "111"}, false,
                  {"(1,0)(1,1)(1,2)(0,2)(2,2) | 0-1 1-2 3-2 2-4 | 2"}},
        GroupCase{"cross", {".1.", "111", ".1."}, false,
                  {"(1,0)(1,1)(1,2)(0,1)(2,1) | 0-1 1-2 3-1 1-4 | 2"}},
        GroupCase{"chain_of_three_lines", {"111..", "..1..", "..111"}, false,
                  {"(0,0)(1,0)(2,0)(2,1)(2,2)(3,2)(4,2) | 0-1 1-2 2-3 3-4 4-5 5-6 | 3"}},
        GroupCase{"merged_group_keeps_first_place", {"1...2", "1...2", "111.2"}, false,
                  {"(0,0)(0,1)(0,2)(1,2)(2,2) | 0-1 1-2 2-3 3-4 | 2", "(4,0)(4,1)(4,2) | 0-1 1-2 | 1"}},
        GroupCase{"separate_lines_in_scan_order", {"222333", "......", "5....."}, false,
                  {"(0,0)(1,0)(2,0) | 0-1 1-2 | 1", "(3,0)(4,0)(5,0) | 0-1 1-2 | 1"}},
        GroupCase{"diagonal_when_asked", {"1..", ".1.", "..1"}, true, {"(0,0)(1,1)(2,2) | 0-1 1-2 | 1"}},
        GroupCase{"diagonal_ignored", {"1..", ".1.", "..1"}, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MatchGridGroups, SearchReplacesThePreviousResultAndCopiesStandAlone) {
    CMatchGrid grid;
    LoadPicture(grid, {"111", "222", "333"});
    ASSERT_EQ(grid.FindMatches(3, false), 3);
    const CMatchGroup kept = grid.groups[1];

    LoadPicture(grid, {"121", "212", "444"});
    ASSERT_EQ(grid.FindMatches(3, false), 1);
    EXPECT_EQ(Describe(grid.groups[0]), "(0,2)(1,2)(2,2) | 0-1 1-2 | 1");
    EXPECT_EQ(Describe(kept), "(0,1)(1,1)(2,1) | 0-1 1-2 | 1");
}

TEST(MatchGridGroups, MergeGroupIntoAddsLineCountsAndMapsLinks) {
    CMatchGrid grid;
    LoadPicture(grid, {"1...", "1...", "1...", "...."});
    grid.FindMatches(3, false);
    CMatchGroup other;
    other.cells = {{0, 2}, {1, 2}, {2, 2}, {3, 2}};
    other.links = {{0, 1}, {1, 2}, {2, 3}};
    other.lineCount = 2;
    grid.groups.push_back(other);
    grid.MergeGroupInto(0, 1);
    ASSERT_EQ(grid.groups.size(), 1u);
    EXPECT_EQ(Describe(grid.groups[0]), "(0,0)(0,1)(0,2)(1,2)(2,2)(3,2) | 0-1 1-2 2-3 3-4 4-5 | 3");
}

TEST(MatchGridGroups, NewGridIsEightByEightOfMinusOne) {
    CMatchGrid grid;
    ASSERT_EQ(grid.width, 8);
    ASSERT_EQ(grid.height, 8);
    ASSERT_EQ(grid.Rows().size(), 8u);
    for (const auto& row : grid.Rows())
        EXPECT_EQ(row, std::vector<int32_t>(8, -1));
    // Eight locked cells of colour 0 in every row: a locked board has lines but no move.
    EXPECT_TRUE(grid.HasLine(3, false));
    EXPECT_FALSE(grid.HasMove(3, false));
}

}  // namespace
