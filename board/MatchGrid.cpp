#include "board/MatchGrid.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/Random.h"

namespace {

// Empty cells and values of 100 and above (steel, specials) never start a
// line; negative (locked) values always may.
inline bool StartsNothing(int32_t v) {
    return v == CMatchGrid::kEmpty || v >= CMatchGrid::kFirstInert;
}

// Bit boards of 8 by 8 cells, bit row * 8 + column: a cell's neighbours are
// the next bits across and the bits 8 apart down; the masks keep a shift
// across from wrapping into the next row.
constexpr uint64_t kColumn0 = 0x0101010101010101ull;
constexpr uint64_t kNotColumn0 = ~kColumn0;
constexpr uint64_t kNotColumns01 = ~(kColumn0 | kColumn0 << 1);
constexpr uint64_t kNotColumn7 = ~(kColumn0 << 7);
constexpr uint64_t kNotColumns67 = ~(kColumn0 << 6 | kColumn0 << 7);

// The 64 code bytes of a bit-board grid, with a bit board of the cells whose
// masked byte equals a key.
class CCodeBytes {
public:
    CCodeBytes(const uint8_t* codes, uint8_t keep) : m_codes(codes), m_keep(keep) {
#if defined(__SSE2__)
        const __m128i keepMask = _mm_set1_epi8(static_cast<char>(keep));
        for (int q = 0; q < 4; ++q)
            m_quarters[q] = _mm_and_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(codes) + q), keepMask);
#endif
    }
    uint8_t At(int bit) const { return static_cast<uint8_t>(m_codes[bit] & m_keep); }
    uint64_t Equal(uint8_t key) const {
#if defined(__SSE2__)
        const __m128i k = _mm_set1_epi8(static_cast<char>(key));
        uint64_t cells = 0;
        for (int q = 0; q < 4; ++q)
            cells |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(m_quarters[q], k)))} << (16 * q);
        return cells;
#else
        uint64_t cells = 0;
        for (int bit = 0; bit < 64; ++bit)
            cells |= uint64_t{At(bit) == key} << bit;
        return cells;
#endif
    }

private:
    const uint8_t* m_codes;
    uint8_t m_keep;
#if defined(__SSE2__)
    __m128i m_quarters[4];
#endif
};

// The cells whose code byte has its top bit set.
uint64_t TopBits(const uint8_t* codes) {
    uint64_t cells = 0;
#if defined(__SSE2__)
    for (int q = 0; q < 4; ++q)
        cells |= uint64_t{static_cast<uint16_t>(
                     _mm_movemask_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(codes) + q)))}
                 << (16 * q);
#else
    for (int bit = 0; bit < 64; ++bit)
        cells |= uint64_t{static_cast<uint8_t>(codes[bit] >> 7)} << bit;
#endif
    return cells;
}

// The length of a run down from a cell, given the cells whose lower neighbour
// holds the same value.
int RunDown(uint64_t sameDown, int bit) {
    int length = 1;
    for (uint64_t s = sameDown >> bit; (s & 1) != 0; s >>= 8)
        ++length;
    return length;
}

}  // namespace

CMatchGroup::CMatchGroup() {
    cells.reserve(8);
    links.reserve(8);
}

CMatchGrid::CMatchGrid() {
    Resize(8, 8);
    groups.reserve(12);
}

void CMatchGrid::Resize(int32_t newWidth, int32_t newHeight) {
    const std::vector<std::vector<int32_t>> kept = Rows();
    width = std::max<int32_t>(newWidth, 0);
    height = std::max<int32_t>(newHeight, 0);
    m_stride = width + 2 * kFrame;
    const size_t size = static_cast<size_t>(m_stride) * static_cast<size_t>(height + 2 * kFrame);
    m_flat.assign(size, kEmpty);
    m_mag.assign(size, 0u);
    m_inertLockedCells = 0;
    m_plainLine3 = -1;
    m_bitBoards = width <= kBitSide && height <= kBitSide;
    m_codes.fill(0);
    m_boardsFresh = false;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            const bool old = static_cast<size_t>(r) < kept.size() && static_cast<size_t>(c) < kept[static_cast<size_t>(r)].size();
            Set(r, c, old ? kept[static_cast<size_t>(r)][static_cast<size_t>(c)] : -1);
        }
}

std::vector<std::vector<int32_t>> CMatchGrid::Rows() const {
    std::vector<std::vector<int32_t>> out(static_cast<size_t>(height), std::vector<int32_t>(static_cast<size_t>(width)));
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            out[static_cast<size_t>(r)][static_cast<size_t>(c)] = Get(r, c);
    return out;
}

int CMatchGrid::FlatRun(int index, int step) const {
    // The frame of empty cells ends every run of a non-empty start value.
    const uint32_t start = m_mag[static_cast<size_t>(index)];
    int count = 1;
    for (int i = index + step; m_mag[static_cast<size_t>(i)] == start; i += step)
        ++count;
    return count;
}

const CMatchGrid::CBitBoards& CMatchGrid::Boards() const {
    if (!m_boardsFresh)
        ReadBoards();
    return m_boards;
}

// One pass over the code bytes: the cells of each value from 1 to 99, and the
// cells whose right or lower neighbour holds the same one. Every run of three
// equal absolute values from 1 to 99 is then a line (without locked inert
// cells), and no other run is.
void CMatchGrid::ReadBoards() const {
    CBitBoards& b = m_boards;
    const CCodeBytes slots(m_codes.data(), kSlotBits);
    b.swappable = TopBits(m_codes.data());
    const uint64_t lockedInert = slots.Equal(kLockedInertCode);
    b.lockedInert = lockedInert != 0;
    b.valueCount = 0;
    b.sameAcross = b.sameDown = 0;
    uint64_t left = ~(slots.Equal(0) | lockedInert);
    // The board's colours come first, asked for one after the other without
    // waiting on each answer; any other value is then looked up in a cell.
    for (uint8_t value = 1; value <= kColourValues && left != 0; ++value) {
        const uint64_t cells = slots.Equal(value);
        if (cells != 0)
            AddValueBoard(cells);
        left &= ~cells;
    }
    while (left != 0) {
        const uint64_t cells = slots.Equal(slots.At(__builtin_ctzll(left)));
        AddValueBoard(cells);
        left &= ~cells;
    }
    m_boardsFresh = true;
}

void CMatchGrid::AddValueBoard(uint64_t cells) const {
    CBitBoards& b = m_boards;
    b.values[static_cast<size_t>(b.valueCount++)] = cells;
    b.sameAcross |= cells & (cells >> 1) & kNotColumn7;
    b.sameDown |= cells & (cells >> kBitSide);
}

bool CMatchGrid::NoLockedInert() const {
    return m_bitBoards ? !Boards().lockedInert : m_inertLockedCells == 0;
}

bool CMatchGrid::PlainHasLine3() const {
    if (m_bitBoards) {
        const CBitBoards& b = Boards();
        return ((b.sameAcross & (b.sameAcross >> 1)) | (b.sameDown & (b.sameDown >> kBitSide))) != 0;
    }
    if (m_plainLine3 >= 0)
        return m_plainLine3 != 0;
    const uint32_t* m = m_mag.data();
    const int s = m_stride;
    unsigned found = 0;
    for (int r = 0; r < height; ++r) {
        const int first = Index(r, 0);
        for (int i = first; i < first + width; ++i) {
            const uint32_t v = m[i];
            const unsigned ordinary = v - 1u < 99u;
            found |= ordinary & (((m[i + 1] == v) & (m[i + 2] == v)) | ((m[i + s] == v) & (m[i + 2 * s] == v)));
        }
    }
    m_plainLine3 = found != 0;
    return found != 0;
}

bool CMatchGrid::FlatHasLine(int n, bool diagonal) const {
    if (height < 1)
        return false;
    if (n == 3 && !diagonal && NoLockedInert())
        return PlainHasLine3();
    const int need = std::max(n, 1);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const int i = Index(r, c);
            const int32_t v = m_flat[static_cast<size_t>(i)];
            if (StartsNothing(v))
                continue;
            const uint32_t m = m_mag[static_cast<size_t>(i)];
            if (c <= width - need && m_mag[static_cast<size_t>(i - 1)] != m && FlatRun(i, 1) >= need)
                return true;
            if (r <= height - need && m_mag[static_cast<size_t>(i - m_stride)] != m && FlatRun(i, m_stride) >= need)
                return true;
            if (diagonal && r <= height - need && c <= width - need &&
                m_mag[static_cast<size_t>(i - m_stride - 1)] != m && FlatRun(i, m_stride + 1) >= need)
                return true;
        }
    }
    return false;
}

bool CMatchGrid::HasLine(int n, bool diagonal) const {
    return FlatHasLine(n, diagonal);
}

int CMatchGrid::CountRuns(int first, int step, int count, int n) const {
    const int need = std::max(n, 1);
    int runs = 0;
    int k = 0;
    while (k < count) {
        const int32_t v = m_flat[static_cast<size_t>(first + k * step)];
        const uint32_t m = m_mag[static_cast<size_t>(first + k * step)];
        int len = 1;
        while (k + len < count && m_mag[static_cast<size_t>(first + (k + len) * step)] == m)
            ++len;
        if (!StartsNothing(v) && len >= need)
            ++runs;
        k += len;
    }
    return runs;
}

bool CMatchGrid::RunThrough(int index, int n) const {
    const int32_t v = m_flat[static_cast<size_t>(index)];
    if (StartsNothing(v))
        return false;
    const uint32_t m = m_mag[static_cast<size_t>(index)];
    auto walk = [&](int step) {
        int count = 0;
        for (int i = index + step; m_mag[static_cast<size_t>(i)] == m; i += step)
            ++count;
        return count;
    };
    if (1 + walk(-1) + walk(1) >= n)
        return true;
    return 1 + walk(-m_stride) + walk(m_stride) >= n;
}

void CMatchGrid::SwapCells(int index1, int index2) {
    std::swap(m_flat[static_cast<size_t>(index1)], m_flat[static_cast<size_t>(index2)]);
    std::swap(m_mag[static_cast<size_t>(index1)], m_mag[static_cast<size_t>(index2)]);
}

inline bool CMatchGrid::SwapMakesLine(int r1, int c1, int r2, int c2, int n, bool diagonal, bool gridHasLine) {
    const int i1 = Index(r1, c1);
    const int i2 = Index(r2, c2);
    const int32_t a = m_flat[static_cast<size_t>(i1)];
    const int32_t b = m_flat[static_cast<size_t>(i2)];
    if (a == b)
        return gridHasLine;  // nothing changes
    const int need = std::max(n, 1);
    const bool horizontal = r1 == r2;

    bool found = false;
    if (diagonal) {
        SwapCells(i1, i2);
        found = FlatHasLine(n, true);
        SwapCells(i1, i2);
        return found;
    }
    if (gridHasLine) {
        // Lines in rows and columns the exchange does not touch survive it.
        const int touchedRows = horizontal ? (m_rowRuns[r1] > 0) : (m_rowRuns[r1] > 0) + (m_rowRuns[r2] > 0);
        const int touchedColumns =
            horizontal ? (m_columnRuns[c1] > 0) + (m_columnRuns[c2] > 0) : (m_columnRuns[c1] > 0);
        if (m_rowsWithRuns > touchedRows || m_columnsWithRuns > touchedColumns)
            return true;
    }
    SwapCells(i1, i2);
    if (gridHasLine || !NoLockedInert()) {
        // Exact: count the runs of the touched rows and columns again.
        if (horizontal)
            found = CountRowRuns(r1, need) > 0 || CountColumnRuns(c1, need) > 0 || CountColumnRuns(c2, need) > 0;
        else
            found = CountColumnRuns(c1, need) > 0 || CountRowRuns(r1, need) > 0 || CountRowRuns(r2, need) > 0;
    } else {
        // Without a line and without locked inert cells, a new line must run
        // through one of the two exchanged cells.
        found = RunThrough(i1, need) || RunThrough(i2, need);
    }
    SwapCells(i1, i2);
    return found;
}

// Lines of 3 without locked inert cells. A line is then any three equal
// absolute values from 1 to 99 side by side (a "hot" triple). After an
// exchange a line exists when a hot triple that holds neither cell is left,
// or when the value that moved into a cell lines up there; the cell it came
// from now holds the other value. So each exchange is a handful of
// comparisons with the cells around, made without branches and without
// touching the grid.
template <typename Visit>
void CMatchGrid::ForEachPlainSwap3(bool gridHasLine, Visit&& visit) {
    const uint32_t* m = m_mag.data();
    const int32_t* f = m_flat.data();
    const int s = m_stride;
    auto across = [m](int i, uint32_t v) {  // i is the end or the middle of three across
        return ((m[i - 1] == v) & ((m[i - 2] == v) | (m[i + 1] == v))) | ((m[i + 1] == v) & (m[i + 2] == v));
    };
    auto down = [m, s](int i, uint32_t v) {  // the same down the column
        return ((m[i - s] == v) & ((m[i - 2 * s] == v) | (m[i + s] == v))) | ((m[i + s] == v) & (m[i + 2 * s] == v));
    };

    // Hot triples by their first cell, across and down, and how many there are.
    int hotTotal = 0;
    if (gridHasLine) {
        m_hotAcross.assign(m_mag.size(), 0);
        m_hotDown.assign(m_mag.size(), 0);
        for (int r = 0; r < height; ++r) {
            for (int i = Index(r, 0); i < Index(r, 0) + width; ++i) {
                const uint32_t v = m[i];
                const int ordinary = v - 1u < 99u;
                m_hotAcross[static_cast<size_t>(i)] = static_cast<uint8_t>(ordinary & (m[i + 1] == v) & (m[i + 2] == v));
                m_hotDown[static_cast<size_t>(i)] = static_cast<uint8_t>(ordinary & (m[i + s] == v) & (m[i + 2 * s] == v));
                hotTotal += m_hotAcross[static_cast<size_t>(i)] + m_hotDown[static_cast<size_t>(i)];
            }
        }
    }
    const uint8_t* ha = m_hotAcross.data();
    const uint8_t* hd = m_hotDown.data();
    // Two different values never share a hot triple, so the triples left
    // after an exchange of them are all but those of either cell.
    auto cover = [ha, hd, s](int i) {  // hot triples holding cell i
        return ha[i] + ha[i - 1] + ha[i - 2] + hd[i] + hd[i - s] + hd[i - 2 * s];
    };

    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const int i = Index(r, c);
            if (f[i] < 1)
                continue;
            const uint32_t a = m[i];
            const unsigned aLines = a < static_cast<uint32_t>(kFirstInert);
            if (c < width - 1 && f[i + 1] >= 1) {
                const int j = i + 1;
                const uint32_t b = m[j];
                const unsigned bLines = b < static_cast<uint32_t>(kFirstInert);
                const unsigned toLeft = bLines & (((m[i - 1] == b) & (m[i - 2] == b)) | down(i, b));
                const unsigned toRight = aLines & (((m[j + 1] == a) & (m[j + 2] == a)) | down(j, a));
                unsigned keeps = 0;
                if (gridHasLine)
                    keeps = hotTotal - cover(i) - cover(j) > 0;
                const unsigned line = a == b ? static_cast<unsigned>(gridHasLine) : (keeps | toLeft | toRight);
                if (line && !visit(CSwapMove{c, r, c + 1, r}))
                    return;
            }
            if (r < height - 1 && f[i + s] >= 1) {
                const int j = i + s;
                const uint32_t b = m[j];
                const unsigned bLines = b < static_cast<uint32_t>(kFirstInert);
                const unsigned up = bLines & (((m[i - s] == b) & (m[i - 2 * s] == b)) | across(i, b));
                const unsigned below = aLines & (((m[j + s] == a) & (m[j + 2 * s] == a)) | across(j, a));
                unsigned keeps = 0;
                if (gridHasLine)
                    keeps = hotTotal - cover(i) - cover(j) > 0;
                const unsigned line = a == b ? static_cast<unsigned>(gridHasLine) : (keeps | up | below);
                if (line && !visit(CSwapMove{c, r, c, r + 1}))
                    return;
            }
        }
    }
}

// The exchanges that make a line of 3, by their first cell, on a grid of at
// most 8 by 8 without locked inert cells, on the bit boards. For each value, the cells where it would complete a line: with
// two of its cells to the left, to the right, on both sides, above, below, or
// above and below. An exchange makes a new line when the value that moves
// completes one in its new cell without the cell it left; that cell now holds
// the other value, which never equals it. On a board with lines, an exchange
// also counts when it keeps one of them, or when both cells hold the same value.
void CMatchGrid::BitSwaps3(bool gridHasLine, uint64_t& across, uint64_t& down) const {
    const CBitBoards& boards = Boards();
    NewLineSwaps(across, down);
    if (gridHasLine) {
        uint64_t breaksAcross = 0, breaksDown = 0;
        BreakingSwaps(breaksAcross, breaksDown);
        across |= ~breaksAcross | boards.sameAcross;
        down |= ~breaksDown | boards.sameDown;
    }
    across &= boards.swappable & (boards.swappable >> 1) & kNotColumn7;
    down &= boards.swappable & (boards.swappable >> kBitSide);
}

void CMatchGrid::NewLineSwaps(uint64_t& across, uint64_t& down) const {
    const CBitBoards& boards = Boards();
    across = down = 0;
    for (int k = 0; k < boards.valueCount; ++k) {
        const uint64_t b = boards.values[static_cast<size_t>(k)];
        const uint64_t left1 = (b << 1) & kNotColumn0, left2 = (b << 2) & kNotColumns01;
        const uint64_t right1 = (b >> 1) & kNotColumn7, right2 = (b >> 2) & kNotColumns67;
        const uint64_t up1 = b << kBitSide, up2 = b << 2 * kBitSide;
        const uint64_t down1 = b >> kBitSide, down2 = b >> 2 * kBitSide;
        const uint64_t fromLeft = left1 & left2, fromRight = right1 & right2, between = left1 & right1;
        const uint64_t fromAbove = up1 & up2, fromBelow = down1 & down2, betweenRows = up1 & down1;
        const uint64_t vertical = fromAbove | fromBelow | betweenRows;
        const uint64_t horizontal = fromLeft | fromRight | between;
        across |= (right1 & (fromLeft | vertical)) | (b & ((fromRight | vertical) >> 1) & kNotColumn7);
        down |= (down1 & (fromAbove | horizontal)) | (b & ((fromBelow | horizontal) >> kBitSide));
    }
}

// Board order: rows from the top, each row from the left, across first. Both
// moves of a cell are written and the end moved past those that count, so the
// mix of across and down costs no branches; one spare place takes the last
// write.
void CMatchGrid::WriteBitSwaps(std::vector<CSwapMove>& out, uint64_t across, uint64_t down) {
    const size_t count = static_cast<size_t>(__builtin_popcountll(across) + __builtin_popcountll(down));
    out.resize(count + 1);
    static const std::array<std::array<CSwapMove, 2>, kBitSide * kBitSide> kMoves = [] {
        std::array<std::array<CSwapMove, 2>, kBitSide * kBitSide> moves{};
        for (int bit = 0; bit < kBitSide * kBitSide; ++bit) {
            const int r = bit / kBitSide, c = bit % kBitSide;
            moves[static_cast<size_t>(bit)] = {CSwapMove{c, r, c + 1, r}, CSwapMove{c, r, c, r + 1}};
        }
        return moves;
    }();
    CSwapMove* end = out.data();
    for (uint64_t left = across | down; left != 0; left &= left - 1) {
        const int bit = __builtin_ctzll(left);
        const std::array<CSwapMove, 2>& moves = kMoves[static_cast<size_t>(bit)];
        *end = moves[0];
        end += (across >> bit) & 1;
        *end = moves[1];
        end += (down >> bit) & 1;
    }
    out.resize(count);
}

// The exchanges of two different values that leave none of the board's lines
// standing, by their first cell: every three in a row holds one of the two
// cells. Three in a row of one value never holds both, so an exchange breaks
// them all when the two cells' counts of threes add up to the board's count.
// A cell lies in at most six threes: with more than twelve, none breaks all.
void CMatchGrid::BreakingSwaps(uint64_t& across, uint64_t& down) const {
    const CBitBoards& b = Boards();
    const uint64_t threesAcross = b.sameAcross & (b.sameAcross >> 1);
    const uint64_t threesDown = b.sameDown & (b.sameDown >> kBitSide);
    const int threes = __builtin_popcountll(threesAcross) + __builtin_popcountll(threesDown);
    across = down = 0;
    if (threes > 12)
        return;
    std::array<uint8_t, kBitSide * kBitSide + kBitSide> held{};  // threes holding each cell
    for (uint64_t left = threesAcross; left != 0; left &= left - 1)
        for (int k = 0, bit = __builtin_ctzll(left); k < 3; ++k)
            ++held[static_cast<size_t>(bit + k)];
    for (uint64_t left = threesDown; left != 0; left &= left - 1)
        for (int k = 0, bit = __builtin_ctzll(left); k < 3; ++k)
            ++held[static_cast<size_t>(bit + k * kBitSide)];
    const uint64_t inThrees = (threesAcross | threesAcross << 1 | threesAcross << 2) |
                              (threesDown | threesDown << kBitSide | threesDown << 2 * kBitSide);
    for (uint64_t left = inThrees | (inThrees >> 1) | (inThrees >> kBitSide); left != 0; left &= left - 1) {
        const size_t bit = static_cast<size_t>(__builtin_ctzll(left));
        if (bit % kBitSide != kBitSide - 1 && held[bit] + held[bit + 1] == threes)
            across |= uint64_t{1} << bit;
        if (held[bit] + held[bit + kBitSide] == threes)
            down |= uint64_t{1} << bit;
    }
}

template <typename Visit>
void CMatchGrid::ForEachSwap(int n, bool diagonal, Visit&& visit) {
    const bool gridHasLine = FlatHasLine(n, diagonal);
    if (n == 3 && !diagonal && NoLockedInert()) {
        ForEachPlainSwap3(gridHasLine, visit);
        return;
    }
    if (gridHasLine && !diagonal) {
        m_rowRuns.assign(static_cast<size_t>(height), 0);
        m_columnRuns.assign(static_cast<size_t>(width), 0);
        m_rowsWithRuns = m_columnsWithRuns = 0;
        for (int r = 0; r < height; ++r)
            m_rowsWithRuns += (m_rowRuns[static_cast<size_t>(r)] = CountRowRuns(r, n)) > 0;
        for (int c = 0; c < width; ++c)
            m_columnsWithRuns += (m_columnRuns[static_cast<size_t>(c)] = CountColumnRuns(c, n)) > 0;
    }
    // An exchange touches at most two rows and two columns: with lines in
    // three rows or three columns, one of them always survives.
    const bool everyExchange = gridHasLine && !diagonal && (m_rowsWithRuns >= 3 || m_columnsWithRuns >= 3);
    // Empty and locked cells (values below 1) are never exchanged.
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            if (At(r, c) < 1)
                continue;
            if (c < width - 1 && At(r, c + 1) >= 1 &&
                (everyExchange || SwapMakesLine(r, c, r, c + 1, n, diagonal, gridHasLine)) &&
                !visit(CSwapMove{c, r, c + 1, r}))
                return;
            if (r < height - 1 && At(r + 1, c) >= 1 &&
                (everyExchange || SwapMakesLine(r, c, r + 1, c, n, diagonal, gridHasLine)) &&
                !visit(CSwapMove{c, r, c, r + 1}))
                return;
        }
    }
}

bool CMatchGrid::BitAnswers(int n, bool diagonal) const {
    return m_bitBoards && n == 3 && !diagonal && NoLockedInert();
}

bool CMatchGrid::HasMove(int n, bool diagonal) {
    if (BitAnswers(n, diagonal)) {
        uint64_t across = 0, down = 0;
        BitSwaps3(PlainHasLine3(), across, down);
        return (across | down) != 0;
    }
    bool found = false;
    ForEachSwap(n, diagonal, [&found](const CSwapMove&) {
        found = true;
        return false;
    });
    return found;
}

int CMatchGrid::CollectMoves(std::vector<CSwapMove>& out, int n, bool diagonal) {
    if (BitAnswers(n, diagonal)) {
        uint64_t across = 0, down = 0;
        BitSwaps3(PlainHasLine3(), across, down);
        WriteBitSwaps(out, across, down);
        return static_cast<int>(out.size());
    }
    out.clear();
    ForEachSwap(n, diagonal, [&out](const CSwapMove& move) {
        out.push_back(move);
        return true;
    });
    return static_cast<int>(out.size());
}

bool CMatchGrid::PickRandomMove(CSwapMove& out) {
    const int count = CollectMoves(m_scratchMoves, 3, false);
    if (count == 0)
        return false;
    int index = static_cast<int>(std::floor(static_cast<double>(RandomUnit()) * count));
    index = std::clamp(index, 0, count - 1);
    out = m_scratchMoves[static_cast<size_t>(index)];
    return true;
}

void CMatchGrid::AppendLineGroup(int column, int row, int dColumn, int dRow, int length) {
    // Reuse the cell and link buffers of earlier searches.
    if (m_spareGroups.empty()) {
        groups.emplace_back();
    } else {
        groups.push_back(std::move(m_spareGroups.back()));
        m_spareGroups.pop_back();
    }
    CMatchGroup& group = groups.back();
    group.cells.clear();
    group.links.clear();
    group.lineCount = 1;
    for (int k = 0; k < length; ++k)
        group.cells.push_back(CCellPos{column + k * dColumn, row + k * dRow});
    for (int k = 0; k + 1 < length; ++k)
        group.links.emplace_back(static_cast<uint32_t>(k), static_cast<uint32_t>(k + 1));
}

int CMatchGrid::FindMatches(int n, bool diagonal) {
    for (auto& group : groups)
        m_spareGroups.push_back(std::move(group));
    groups.clear();

    if (BitAnswers(n, diagonal)) {
        FindBitLines3();
        return static_cast<int>(groups.size());
    }
    if (n == 3 && !diagonal && NoLockedInert()) {
        if (PlainHasLine3())
            FindFlatLines(3, false);
        return static_cast<int>(groups.size());
    }
    FindFlatLines(n, diagonal);
    return static_cast<int>(groups.size());
}

// Lines of 3 on the bit boards, in the order of the search cell by cell: by
// their first cell, across before down. Only the first cell of a run
// makes its group: a line of 5 is one group.
void CMatchGrid::FindBitLines3() {
    const CBitBoards& b = Boards();
    const uint64_t startsAcross = b.sameAcross & (b.sameAcross >> 1) & ~(b.sameAcross << 1);
    const uint64_t startsDown = b.sameDown & (b.sameDown >> kBitSide) & ~(b.sameDown << kBitSide);
    for (uint64_t left = startsAcross | startsDown; left != 0; left &= left - 1) {
        const int bit = __builtin_ctzll(left);
        const int r = bit / kBitSide, c = bit % kBitSide;
        if (((startsAcross >> bit) & 1) != 0)
            AppendLineGroup(c, r, 1, 0, 1 + __builtin_ctzll(~(b.sameAcross >> bit)));
        if (((startsDown >> bit) & 1) != 0)
            AppendLineGroup(c, r, 0, 1, RunDown(b.sameDown, bit));
    }
    if (!groups.empty())
        MergeGroups();
}

void CMatchGrid::FindFlatLines(int n, bool diagonal) {
    const int need = std::max(n, 1);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const int i = Index(r, c);
            const int32_t v = m_flat[static_cast<size_t>(i)];
            if (StartsNothing(v))
                continue;
            const uint32_t m = m_mag[static_cast<size_t>(i)];
            // Only the first cell of a run makes its group: a line of 5 is one group.
            if (c <= width - need && m_mag[static_cast<size_t>(i - 1)] != m) {
                const int len = FlatRun(i, 1);
                if (len >= need)
                    AppendLineGroup(c, r, 1, 0, len);
            }
            if (r <= height - need && m_mag[static_cast<size_t>(i - m_stride)] != m) {
                const int len = FlatRun(i, m_stride);
                if (len >= need)
                    AppendLineGroup(c, r, 0, 1, len);
            }
            if (diagonal && r <= height - need && c <= width - need &&
                m_mag[static_cast<size_t>(i - m_stride - 1)] != m) {
                const int len = FlatRun(i, m_stride + 1);
                if (len >= need)
                    AppendLineGroup(c, r, 1, 1, len);
            }
        }
    }
    if (!groups.empty())
        MergeGroups();
}

void CMatchGrid::MergeGroups() {
    auto share = [](const CMatchGroup& a, const CMatchGroup& b) {
        for (const auto& x : a.cells)
            for (const auto& y : b.cells)
                if (x == y)
                    return true;
        return false;
    };
    bool merged = true;
    while (merged && groups.size() >= 2) {
        merged = false;
        for (size_t i = 0; i + 1 < groups.size() && !merged; ++i) {
            for (size_t j = i + 1; j < groups.size(); ++j) {
                if (share(groups[i], groups[j])) {
                    MergeGroupInto(i, j);
                    merged = true;
                    break;
                }
            }
        }
    }
}

void CMatchGrid::MergeGroupInto(size_t destination, size_t source) {
    if (destination == source || destination >= groups.size() || source >= groups.size())
        return;
    CMatchGroup& dst = groups[destination];
    CMatchGroup& src = groups[source];
    dst.lineCount += src.lineCount;

    // The shared corner of an L or T is listed once; links follow the cells.
    m_cellMap.clear();
    for (const auto& cell : src.cells) {
        const auto found = std::find(dst.cells.begin(), dst.cells.end(), cell);
        if (found != dst.cells.end()) {
            m_cellMap.push_back(static_cast<uint32_t>(found - dst.cells.begin()));
        } else {
            m_cellMap.push_back(static_cast<uint32_t>(dst.cells.size()));
            dst.cells.push_back(cell);
        }
    }
    for (const auto& link : src.links) {
        const uint32_t a = link.first < m_cellMap.size() ? m_cellMap[link.first] : link.first;
        const uint32_t b = link.second < m_cellMap.size() ? m_cellMap[link.second] : link.second;
        dst.links.emplace_back(a, b);
    }

    CMatchGroup removed = std::move(src);
    groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(source));
    m_spareGroups.push_back(std::move(removed));
}
