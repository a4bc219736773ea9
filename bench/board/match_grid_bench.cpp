// The full analysis of an 8 by 8 board: every group and every legal swap, as
// the board asks after each settle. Target: under half a microsecond per
// board, writing its 64 values in included.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "board/MatchGrid.h"

namespace {

using Board = std::vector<std::vector<int32_t>>;

// The play field writes every cell before it asks.
void Load(CMatchGrid& grid, const Board& board) {
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            grid.Set(r, c, board[static_cast<size_t>(r)][static_cast<size_t>(c)]);
}

// Settled boards as the refill leaves them (no line, at least one move), with
// a few locked tokens, steel and empty cells mixed in.
std::vector<Board> MakeBoards(int colours, bool withLines, int count) {
    std::mt19937 gen(1234u + static_cast<unsigned>(colours));
    std::vector<Board> boards;
    CMatchGrid probe;
    while (static_cast<int>(boards.size()) < count) {
        Board b(8, std::vector<int32_t>(8));
        for (auto& row : b)
            for (auto& v : row) {
                const unsigned roll = gen() % 100;
                v = 1 + static_cast<int32_t>(gen() % static_cast<unsigned>(colours));
                if (roll < 4)
                    v = -v;
                else if (roll < 6)
                    v = 101;
            }
        Load(probe, b);
        if (probe.HasLine(3, false) != withLines || !probe.HasMove(3, false))
            continue;
        boards.push_back(b);
    }
    return boards;
}

void Analyse(benchmark::State& state, int colours, bool withLines) {
    const auto boards = MakeBoards(colours, withLines, 64);
    CMatchGrid grid;
    std::vector<CSwapMove> moves;
    size_t next = 0;
    for (auto _ : state) {
        Load(grid, boards[next]);
        next = (next + 1) % boards.size();
        benchmark::DoNotOptimize(grid.FindMatches(3, false));
        benchmark::DoNotOptimize(grid.CollectMoves(moves, 3, false));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_AnalyseSettledBoard7(benchmark::State& state) { Analyse(state, 7, false); }
void BM_AnalyseSettledBoard5(benchmark::State& state) { Analyse(state, 5, false); }
void BM_AnalyseBoardWithLines(benchmark::State& state) { Analyse(state, 6, true); }

// The cheap question of the per-frame idle test.
void BM_HasMoveSettledBoard(benchmark::State& state) {
    const auto boards = MakeBoards(7, false, 64);
    CMatchGrid grid;
    size_t next = 0;
    for (auto _ : state) {
        Load(grid, boards[next]);
        next = (next + 1) % boards.size();
        benchmark::DoNotOptimize(grid.HasLine(3, false));
        benchmark::DoNotOptimize(grid.HasMove(3, false));
    }
}

}  // namespace

BENCHMARK(BM_AnalyseSettledBoard7);
BENCHMARK(BM_AnalyseSettledBoard5);
BENCHMARK(BM_AnalyseBoardWithLines);
BENCHMARK(BM_HasMoveSettledBoard);
