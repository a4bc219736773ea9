// Moves and legal swaps of the match finder: hand-drawn cases, and every
// answer checked against the plain swap-and-look-at-the-whole-grid search on
// many generated grids (the finder answers most swaps locally).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <random>
#include <sstream>

#include "engine/Random.h"
#include "match_grid_picture.h"
#include "platform/crt.h"

namespace {

std::string Describe(const std::vector<CSwapMove>& moves) {
    std::ostringstream out;
    for (const auto& m : moves)
        out << "(" << m.column1 << "," << m.row1 << ">" << m.column2 << "," << m.row2 << ")";
    return out.str();
}

struct MoveCase {
    const char* name;
    std::vector<std::string> picture;
    std::string moves;
};

void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }

class MatchGridMoves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MatchGridMoves, CollectMovesAndHasMove) {
    const MoveCase& c = GetParam();
    CMatchGrid grid;
    LoadPicture(grid, c.picture);
    const auto before = grid.Rows();
    std::vector<CSwapMove> moves{{9, 9, 9, 9}};
    const int count = grid.CollectMoves(moves, 3, false);
    EXPECT_EQ(Describe(moves), c.moves);
    EXPECT_EQ(count, static_cast<int>(moves.size()));
    EXPECT_EQ(grid.HasMove(3, false), !c.moves.empty());
    EXPECT_EQ(grid.Rows(), before) << "the move tests must leave the grid as they found it";
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, MatchGridMoves,
    ::testing::Values(
        MoveCase{"empty", {"...", "...", "..."}, ""},
        MoveCase{"one_horizontal", {"3133"}, "(0,0>1,0)"},
        // A locked cell is never exchanged, even where it would make a line.
        MoveCase{"locked_cell_stays", {"c133"}, ""},
        MoveCase{"locked_cell_completes_after_other_swap", {"c31", "..3"}, "(2,0>2,1)"},
        MoveCase{"steel_can_be_exchanged", {"2S22"}, "(0,0>1,0)"},
        MoveCase{"empty_cell_is_never_exchanged", {"1.11"}, ""},
        MoveCase{"vertical_into_column", {"15", "15", "51"}, "(0,2>1,2)"},
        MoveCase{"move_found_in_either_cell", {"2322", "1311"}, "(0,0>1,0)(0,1>1,1)"},
        MoveCase{"colour_98_moves", {"X.", "X.", "4X"}, "(0,2>1,2)"},
        // With a line on the board an exchange counts unless it breaks every line.
        MoveCase{"line_already_on_board", {"111", "2.3"}, "(0,0>1,0)(1,0>2,0)"},
        MoveCase{"locked_steel_run_opened_by_exchange", {"SLLL", "4..."}, "(0,0>0,1)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MatchGridMoves, BoardWithALineHasAMoveWheneverTwoNeighboursCanSwap) {
    CMatchGrid grid;
    LoadPicture(grid, {"11134567", "23456712", "34567123", "45671234",
                       "56712345", "67123456", "71234567", "12345671"});
    EXPECT_TRUE(grid.HasMove(3, false));
    std::vector<CSwapMove> moves;
    // 112 neighbour pairs; only the exchanges that break the one line fail.
    EXPECT_EQ(grid.CollectMoves(moves, 3, false), 112 - 4);
}

// The plain search: exchange, look at the whole grid, exchange back.
struct Reference {
    std::vector<std::vector<int32_t>> v;
    int w = 0, h = 0;

    static uint32_t Mag(int32_t x) { return x < 0 ? 0u - static_cast<uint32_t>(x) : static_cast<uint32_t>(x); }
    int Run(int r, int c, int dr, int dc) const {
        int n = 1;
        for (int rr = r + dr, cc = c + dc; rr < h && cc < w && Mag(v[rr][cc]) == Mag(v[r][c]); rr += dr, cc += dc)
            ++n;
        return n;
    }
    bool HasLine(int n, bool diag) const {
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                const int32_t x = v[r][c];
                if (x == 0 || x >= 100)
                    continue;
                if (c <= w - n && (c == 0 || Mag(v[r][c - 1]) != Mag(x)) && Run(r, c, 0, 1) >= n)
                    return true;
                if (r <= h - n && (r == 0 || Mag(v[r - 1][c]) != Mag(x)) && Run(r, c, 1, 0) >= n)
                    return true;
                if (diag && r <= h - n && c <= w - n && (r == 0 || c == 0 || Mag(v[r - 1][c - 1]) != Mag(x)) &&
                    Run(r, c, 1, 1) >= n)
                    return true;
            }
        return false;
    }
    std::vector<CSwapMove> Moves(int n, bool diag) {
        std::vector<CSwapMove> out;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                if (c < w - 1 && v[r][c] >= 1 && v[r][c + 1] >= 1) {
                    std::swap(v[r][c], v[r][c + 1]);
                    if (HasLine(n, diag))
                        out.push_back({c, r, c + 1, r});
                    std::swap(v[r][c], v[r][c + 1]);
                }
                if (r < h - 1 && v[r][c] >= 1 && v[r + 1][c] >= 1) {
                    std::swap(v[r][c], v[r + 1][c]);
                    if (HasLine(n, diag))
                        out.push_back({c, r, c, r + 1});
                    std::swap(v[r][c], v[r + 1][c]);
                }
            }
        return out;
    }
};

TEST(MatchGridMoves, AgreesWithThePlainSearchOnGeneratedGrids) {
    std::mt19937 gen(20261210);
    // Few colours make lines and moves common; the rare values cover locks,
    // steel, locked steel, colour 98 and the inert values around 100.
    const int32_t rare[] = {0, -1, -2, -3, 99, -99, 100, -100, 101, -101, 150};
    int withLine = 0, withMoves = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        const int w = 1 + static_cast<int>(gen() % 8), h = 1 + static_cast<int>(gen() % 8);
        const int colours = 2 + static_cast<int>(gen() % 5);
        const int rareShare = static_cast<int>(gen() % 40);
        Reference ref;
        ref.w = w;
        ref.h = h;
        ref.v.assign(h, std::vector<int32_t>(w));
        CMatchGrid grid;
        grid.Resize(w, h);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                int32_t x = 1 + static_cast<int32_t>(gen() % colours);
                if (static_cast<int>(gen() % 100) < rareShare)
                    x = rare[gen() % (sizeof rare / sizeof rare[0])];
                grid.Set(r, c, ref.v[r][c] = x);
            }
        for (bool diag : {false, true}) {
            for (int n : {3, 2, 4}) {
                SCOPED_TRACE(::testing::Message() << "trial " << trial << " n " << n << " diag " << diag);
                const bool line = ref.HasLine(n, diag);
                ASSERT_EQ(grid.HasLine(n, diag), line);
                const auto expected = ref.Moves(n, diag);
                std::vector<CSwapMove> actual;
                grid.CollectMoves(actual, n, diag);
                ASSERT_EQ(Describe(actual), Describe(expected));
                ASSERT_EQ(grid.HasMove(n, diag), !expected.empty());
                withLine += line;
                withMoves += !expected.empty();
            }
        }
    }
    // The generator must exercise both sides of every question.
    EXPECT_GT(withLine, 2000);
    EXPECT_GT(withMoves, 2000);
    EXPECT_LT(withLine, 22000);
}

// The groups of lines of 3 the plain way: every cell of a line, and lines that
// share a cell are one group.
std::set<std::set<std::pair<int, int>>> ReferenceGroups(const Reference& ref) {
    std::vector<std::set<std::pair<int, int>>> lines;
    for (int r = 0; r < ref.h; ++r)
        for (int c = 0; c < ref.w; ++c) {
            const int32_t x = ref.v[r][c];
            if (x == 0 || x >= 100)
                continue;
            for (const auto& step : {std::make_pair(0, 1), std::make_pair(1, 0)}) {
                const int pr = r - step.first, pc = c - step.second;
                if (pr >= 0 && pc >= 0 && Reference::Mag(ref.v[pr][pc]) == Reference::Mag(x))
                    continue;
                const int len = ref.Run(r, c, step.first, step.second);
                if (len < 3)
                    continue;
                std::set<std::pair<int, int>> line;
                for (int k = 0; k < len; ++k)
                    line.insert({c + k * step.second, r + k * step.first});
                lines.push_back(line);
            }
        }
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t i = 0; i < lines.size() && !merged; ++i)
            for (size_t j = i + 1; j < lines.size() && !merged; ++j)
                if (std::any_of(lines[j].begin(), lines[j].end(), [&](const auto& p) { return lines[i].count(p) != 0; })) {
                    lines[i].insert(lines[j].begin(), lines[j].end());
                    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(j));
                    merged = true;
                }
    }
    return {lines.begin(), lines.end()};
}

// The play field rewrites one grid before every question: the answers must
// follow each rewrite, on settled boards and on boards with lines alike.
TEST(MatchGridMoves, OneRewrittenGridAgreesWithThePlainSearch) {
    std::mt19937 gen(1210);
    const int32_t rare[] = {0, -1, -2, 99, 100, 101, -101};
    CMatchGrid grid;
    int settled = 0, withLine = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        const int colours = 3 + static_cast<int>(gen() % 5);
        const int rareShare = static_cast<int>(gen() % 12);
        Reference ref;
        ref.w = ref.h = 8;
        ref.v.assign(8, std::vector<int32_t>(8));
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c) {
                int32_t x = 1 + static_cast<int32_t>(gen() % colours);
                if (static_cast<int>(gen() % 100) < rareShare)
                    x = rare[gen() % (sizeof rare / sizeof rare[0])];
                grid.Set(r, c, ref.v[r][c] = x);
            }
        SCOPED_TRACE(::testing::Message() << "trial " << trial);
        const bool line = ref.HasLine(3, false);
        ASSERT_EQ(grid.HasLine(3, false), line);
        std::vector<CSwapMove> actual;
        grid.CollectMoves(actual, 3, false);
        ASSERT_EQ(Describe(actual), Describe(ref.Moves(3, false)));
        grid.FindMatches(3, false);
        std::set<std::set<std::pair<int, int>>> found;
        for (const CMatchGroup& group : grid.groups) {
            std::set<std::pair<int, int>> cells;
            for (const CCellPos& p : group.cells)
                cells.insert({p.column, p.row});
            found.insert(cells);
        }
        ASSERT_EQ(found, ReferenceGroups(ref));
        (line ? withLine : settled) += 1;
    }
    EXPECT_GT(settled, 150);
    EXPECT_GT(withLine, 300);
}

std::string DescribeGroups(const std::vector<CMatchGroup>& groups) {
    std::ostringstream out;
    for (const CMatchGroup& g : groups) {
        out << "[" << g.lineCount << ":";
        for (const CCellPos& p : g.cells)
            out << " " << p.column << "," << p.row;
        out << " |";
        for (const auto& link : g.links)
            out << " " << link.first << "-" << link.second;
        out << "]";
    }
    return out.str();
}

// Grids of at most 8 by 8 answer from bit boards, larger ones cell by cell.
// The same values in a 9 by 9 grid with an empty last row and column must
// give the same groups in the same order (cells and links alike, as the
// terminators see them) and the same swaps, also after a grid is resized
// back and forth and rewritten in place.
TEST(MatchGridMoves, BitBoardsAnswerAsTheCellByCellSearch) {
    std::mt19937 gen(1211);
    const int32_t rare[] = {0, -1, -2, 99, 100, 101, -101};
    CMatchGrid small, large, resized;
    large.Resize(9, 9);
    for (int k = 0; k < 9; ++k) {
        large.Set(8, k, 0);
        large.Set(k, 8, 0);
    }
    for (int trial = 0; trial < 2000; ++trial) {
        const int colours = 3 + static_cast<int>(gen() % 5);
        const int rareShare = static_cast<int>(gen() % 12);
        resized.Resize(9, 9);
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c) {
                int32_t x = 1 + static_cast<int32_t>(gen() % colours);
                if (static_cast<int>(gen() % 100) < rareShare)
                    x = rare[gen() % (sizeof rare / sizeof rare[0])];
                small.Set(r, c, x);
                large.Set(r, c, x);
                resized.Set(r, c, x);
            }
        resized.Resize(8, 8);
        SCOPED_TRACE(::testing::Message() << "trial " << trial);
        ASSERT_EQ(small.HasLine(3, false), large.HasLine(3, false));
        ASSERT_EQ(small.HasMove(3, false), large.HasMove(3, false));
        std::vector<CSwapMove> expected, actual;
        large.CollectMoves(expected, 3, false);
        for (CMatchGrid* grid : {&small, &resized}) {
            grid->CollectMoves(actual, 3, false);
            ASSERT_EQ(Describe(actual), Describe(expected));
        }
        large.FindMatches(3, false);
        for (CMatchGrid* grid : {&small, &resized}) {
            grid->FindMatches(3, false);
            ASSERT_EQ(DescribeGroups(grid->groups), DescribeGroups(large.groups));
        }
    }
}

// A seed whose first draw is 32767, so RandomUnit gives exactly 1.0.
unsigned SeedForTopDraw() {
    for (unsigned seed = 0;; ++seed) {
        crt::srand(seed);
        if (crt::rand() == 32767)
            return seed;
    }
}

TEST(MatchGridMoves, PickRandomMove) {
    CMatchGrid grid;
    CSwapMove out{7, 7, 7, 7};

    LoadPicture(grid, {"1234", "3412"});
    EXPECT_FALSE(grid.PickRandomMove(out));
    EXPECT_EQ(out, (CSwapMove{7, 7, 7, 7})) << "untouched when there is no move";

    LoadPicture(grid, {"3133", "4545"});
    for (unsigned seed : {1u, 2u, 3u}) {
        crt::srand(seed);
        ASSERT_TRUE(grid.PickRandomMove(out));
        EXPECT_EQ(out, (CSwapMove{0, 0, 1, 0}));
    }

    LoadPicture(grid, {"3133", "6566", "2122"});
    crt::srand(SeedForTopDraw());
    ASSERT_TRUE(grid.PickRandomMove(out));
    EXPECT_EQ(out, (CSwapMove{0, 2, 1, 2})) << "a draw of exactly 1 takes the last move";

    // Every move is reachable.
    std::vector<int> hits(3);
    crt::srand(5);
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(grid.PickRandomMove(out));
        hits[out.row1]++;
    }
    for (int h : hits)
        EXPECT_GT(h, 50);
}

}  // namespace
