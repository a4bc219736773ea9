// The board's integer mirror and its match finder. The play field copies its
// tokens into the grid with Set (colour + 1, negated when locked, 0 for an
// empty cell) right before every question, and asks it for lines, moves, legal
// swaps and the groups of cells that form lines now. One CMatchGrid lives in the play
// field; the terminators keep copies of the groups it found.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

struct CCellPos {
    int32_t column = 0;
    int32_t row = 0;

    bool operator==(const CCellPos& other) const { return column == other.column && row == other.row; }
};

// One found group: every cell once, and a link for every two cells that follow
// each other along one of the group's lines.
class CMatchGroup {
public:
    CMatchGroup();

    std::vector<CCellPos> cells;
    std::vector<std::pair<uint32_t, uint32_t>> links;
    int32_t lineCount = 0;
};

// One legal swap; the second cell is always the right or the lower neighbour.
struct CSwapMove {
    int32_t column1 = 0;
    int32_t row1 = 0;
    int32_t column2 = 0;
    int32_t row2 = 0;

    bool operator==(const CSwapMove& o) const {
        return column1 == o.column1 && row1 == o.row1 && column2 == o.column2 && row2 == o.row2;
    }
};

class CMatchGrid {
public:
    // Values of 100 and above never start a line (steel, specials); 0 is empty.
    static constexpr int32_t kEmpty = 0;
    static constexpr int32_t kFirstInert = 100;

    CMatchGrid();

    // Keeps the values of the cells both sizes share; new cells hold -1.
    void Resize(int32_t newWidth, int32_t newHeight);

    // A cell's value; row and column must lie inside the grid.
    int32_t Get(int row, int column) const { return m_flat[static_cast<size_t>(Index(row, column))]; }
    void Set(int row, int column, int32_t value);
    // The values row by row, for pictures of the board.
    std::vector<std::vector<int32_t>> Rows() const;

    bool HasLine(int n, bool diagonal) const;
    bool HasMove(int n, bool diagonal);
    int CollectMoves(std::vector<CSwapMove>& out, int n, bool diagonal);
    // One of the moves of CollectMoves (3, no diagonal), chosen with RandomUnit.
    bool PickRandomMove(CSwapMove& out);

    int FindMatches(int n, bool diagonal);
    void MergeGroups();
    void MergeGroupInto(size_t destination, size_t source);

    int32_t width = 0;
    int32_t height = 0;
    std::vector<CMatchGroup> groups;

private:
    // The values are kept flat, framed by two rings of empty cells, so runs
    // and the three-in-a-row patterns stop at the border without bounds tests,
    // and the grid can be asked many questions without chasing row pointers.
    // m_mag holds the absolute values that cells compare by.
    static constexpr int kFrame = 2;
    static uint32_t Magnitude(int32_t v) {
        // Cells compare by absolute value: a locked token matches its unlocked
        // twin. Computed without negating INT_MIN.
        return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    }
    static bool LockedInert(int32_t v) { return v <= -kFirstInert; }
    int Index(int row, int column) const { return (row + kFrame) * m_stride + column + kFrame; }
    int32_t At(int row, int column) const { return m_flat[static_cast<size_t>(Index(row, column))]; }
    int FlatRun(int index, int step) const;
    bool FlatHasLine(int n, bool diagonal) const;
    bool PlainHasLine3() const;
    bool NoLockedInert() const;
    int CountRuns(int first, int step, int count, int n) const;
    int CountRowRuns(int row, int n) const { return CountRuns(Index(row, 0), 1, width, n); }
    int CountColumnRuns(int column, int n) const { return CountRuns(Index(0, column), m_stride, height, n); }
    bool SwapMakesLine(int r1, int c1, int r2, int c2, int n, bool diagonal, bool gridHasLine);
    bool RunThrough(int index, int n) const;
    // Exchanges two cells for a test; every caller swaps them back before
    // the grid is asked anything else.
    void SwapCells(int index1, int index2);
    template <typename Visit>
    void ForEachPlainSwap3(bool gridHasLine, Visit&& visit);
    bool BitAnswers(int n, bool diagonal) const;
    void BitSwaps3(bool gridHasLine, uint64_t& across, uint64_t& down) const;
    void NewLineSwaps(uint64_t& across, uint64_t& down) const;
    static void WriteBitSwaps(std::vector<CSwapMove>& out, uint64_t across, uint64_t down);
    void BreakingSwaps(uint64_t& across, uint64_t& down) const;
    void FindBitLines3();
    void FindFlatLines(int n, bool diagonal);
    template <typename Visit>
    void ForEachSwap(int n, bool diagonal, Visit&& visit);
    void AppendLineGroup(int column, int row, int dColumn, int dRow, int length);

    std::vector<int32_t> m_flat;
    std::vector<uint32_t> m_mag;
    int m_stride = 0;
    // Locked cells with a value of 100 or more (counted on grids larger than
    // the bit boards): runs may then start in the middle of a run of equal
    // absolute values, and the quick three-in-a-row tests do not hold.
    int m_inertLockedCells = 0;
    // Whether the plain search found a line of 3 in the values as they are
    // (-1: not asked since the last change), on grids larger than the bit
    // boards. Asked by the group and the move search alike.
    mutable int m_plainLine3 = -1;
    // On grids of at most 8 by 8 (the board's), one code byte per cell at
    // row * 8 + column: the value's slot (the value itself for absolute values
    // from 1 to 99, 0 for the others, kLockedInertCode for a locked value of
    // 100 or more), with kSwappableCode added when the cell may be exchanged.
    // Set only writes the byte; the first question after a change reads the
    // 64 bytes into bit boards, and a board's lines and moves are then a few
    // shifts per colour.
    static constexpr int kBitSide = 8;
    static constexpr uint8_t kSlotBits = 0x7f;
    static constexpr uint8_t kLockedInertCode = 0x7f;
    static constexpr uint8_t kSwappableCode = 0x80;
    static uint8_t CellCode(int32_t v) {
        const uint32_t m = Magnitude(v);
        const uint8_t slot = LockedInert(v) ? kLockedInertCode : m - 1u < 99u ? static_cast<uint8_t>(m) : 0;
        return static_cast<uint8_t>(slot | (v >= 1 ? kSwappableCode : 0));
    }
    struct CBitBoards {
        std::array<uint64_t, kFirstInert> values;  // the cells of each value present, in no order
        int valueCount = 0;
        uint64_t swappable = 0;
        uint64_t sameAcross = 0;  // the next cell across holds the same value (1 to 99)
        uint64_t sameDown = 0;    // the same for the cell below
        bool lockedInert = false;
    };
    const CBitBoards& Boards() const;
    void ReadBoards() const;
    void AddValueBoard(uint64_t cells) const;
    // Values looked for directly when the boards are read: the colours a
    // board deals (colour + 1); rarer values are found through their cells.
    static constexpr uint8_t kColourValues = 8;
    bool m_bitBoards = false;
    alignas(16) std::array<uint8_t, kBitSide * kBitSide> m_codes{};
    mutable bool m_boardsFresh = false;
    mutable CBitBoards m_boards;
    std::vector<uint32_t> m_cellMap;
    // Line runs per row and per column of the current snapshot (used while a line exists).
    std::vector<int> m_rowRuns;
    std::vector<int> m_columnRuns;
    int m_rowsWithRuns = 0;
    int m_columnsWithRuns = 0;
    std::vector<uint8_t> m_hotAcross;  // three in a row start here (plain lines of 3)
    std::vector<uint8_t> m_hotDown;
    std::vector<CMatchGroup> m_spareGroups;
    std::vector<CSwapMove> m_scratchMoves;
};

inline void CMatchGrid::Set(int row, int column, int32_t value) {
    const size_t i = static_cast<size_t>(Index(row, column));
    if (m_bitBoards) {
        m_codes[static_cast<size_t>(row * kBitSide + column)] = CellCode(value);
        m_boardsFresh = false;
    } else {
        m_inertLockedCells += static_cast<int>(LockedInert(value)) - static_cast<int>(LockedInert(m_flat[i]));
        m_plainLine3 = -1;
    }
    m_flat[i] = value;
    m_mag[i] = Magnitude(value);
}
