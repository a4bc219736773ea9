#include "saves/QuestSave.h"

#include <cmath>
#include <cstring>
#include <string>

#include "engine/Log.h"
#include "saves/ByteStream.h"
#include "platform/crt.h"

namespace {

const char kMagic[4] = {'P', 'S', 'A', 'V'};

// Pair ids of the board words kept in the tail.
enum : int32_t { kPairExtra1 = 1, kPairExtra5 = 5, kPairExtra7 = 7, kPairExtra13 = 13 };

// What the board can restore from a cell: a token of colour 0..6, steel (101),
// each possibly negated for a gem, or an empty cell.
bool IsValidCellValue(int32_t v)
{
    if (v == CQuestSave::kEmptyCell)
        return true;
    int64_t a = v < 0 ? -int64_t(v) : int64_t(v);
    return (a >= 1 && a <= 7) || a == 101;
}

struct GridRange
{
    int32_t low;
    int32_t high;
};

// Ranges of grids 1 to 4 (lock count, bonus kind, bonus level, fixed flag).
const GridRange kGridRanges[CQuestSave::kGridCount] = {
    {0, 0}, // grid 0 is checked by IsValidCellValue
    {0, 9},
    {0, 7},
    {-1, 4},
    {0, 1},
};

const int32_t kShopLevelMin = -1;
const int32_t kShopLevelMax = 4;
const int32_t kGemCountMax = 1000;

int32_t Clamp(int32_t v, int32_t low, int32_t high)
{
    return v < low ? low : (v > high ? high : v);
}

} // namespace

CQuestSave::CQuestSave()
{
    for (Grid& grid : grids)
        for (auto& row : grid)
            row.fill(0);
    for (auto& row : grids[0])
        row.fill(kEmptyCell);
}

const char* CQuestSave::ErrorText(Error error)
{
    switch (error)
    {
    case kErrorShort: return "Error. Unable to load file";
    case kErrorVersion: return "Error. Unsupported file version";
    case kErrorCorrupt: return "Error. Corrupted file";
    default: return "";
    }
}

std::vector<uint8_t> CQuestSave::ToBytes() const
{
    CByteWriter out;
    out.Bytes(kMagic, 4);
    out.U32(kVersion);
    out.I32(mode);
    out.Guid(questId);
    out.I32(hardMode);
    out.I32(resumePoint);
    counters.Write(out, kCounterMask);
    out.I32(level);
    out.F32(remainingTime);
    out.F32(nextWarning);
    out.U32(static_cast<uint32_t>(lives) ^ kFieldMask);
    out.F32(sandLevel);
    out.F64(sandFall);
    out.I32(starCount);
    out.U32(static_cast<uint32_t>(gemsToCollect) ^ kFieldMask);
    out.U32(static_cast<uint32_t>(gemsToPlace) ^ kFieldMask);
    out.F32(adviserTime);
    out.I32(totemIndex);
    out.I32(totemShield);
    // The board grids are always written whole, 5 by 8 by 8.
    if (resumePoint == kResumeInLevel)
        for (const Grid& grid : grids)
            for (const auto& row : grid)
                for (int32_t v : row)
                    out.I32(v);
    if (mode == 0)
    {
        for (int32_t v : shopValues)
            out.U32(static_cast<uint32_t>(v) ^ kShopMask);
        out.U32(static_cast<uint32_t>(stars) ^ kStarMask);
        const int32_t pairs[4][2] = {
            {kPairExtra1, extra1}, {kPairExtra5, extra5}, {kPairExtra7, extra7}, {kPairExtra13, extra13}};
        out.U32(4);
        for (const auto& p : pairs)
        {
            out.I32(p[0]);
            out.I32(p[1]);
        }
    }
    return out.Data();
}

namespace {

// True when the folder that is to hold `path` exists (the current one when the
// path names none).
bool FolderExists(const char* path)
{
    std::string folder(path);
    size_t cut = folder.find_last_of("\\/");
    if (cut == std::string::npos)
        return true;
    folder.erase(cut);
    if (folder.empty())
        return true;
    crt::_finddata_t data;
    intptr_t handle = crt::_findfirst((folder + "\\*.*").c_str(), &data);
    if (handle == -1)
        return false;
    crt::_findclose(handle);
    return true;
}

} // namespace

bool CQuestSave::Save(const char* path)
{
    std::vector<uint8_t> bytes = ToBytes();
    if (!WriteWholeFile(path, bytes))
    {
        // A missing folder is a file that cannot be opened; anything else failed
        // while writing.
        LogText(FolderExists(path) ? "Error. Unable to save file" : "Error. Unable to open (save) file");
        LogText(path);
        LogText("\n");
        return false;
    }
    return true;
}

CQuestSave::Error CQuestSave::Parse(CByteReader& in)
{
    char magic[4];
    if (!in.Bytes(magic, 4))
        return kErrorShort;
    if (std::memcmp(magic, kMagic, 4) != 0)
        return kErrorCorrupt;
    uint32_t version = 0;
    if (!in.U32(version))
        return kErrorShort;
    if (version != kVersion)
        return kErrorVersion;

    uint32_t maskedLives = 0, maskedGems1 = 0, maskedGems2 = 0;
    if (!in.I32(mode) || !in.Guid(questId) || !in.I32(hardMode) || !in.I32(resumePoint) ||
        !counters.Read(in, kCounterMask) || !in.I32(level) || !in.F32(remainingTime) ||
        !in.F32(nextWarning) || !in.U32(maskedLives) || !in.F32(sandLevel) || !in.F64(sandFall) ||
        !in.I32(starCount) || !in.U32(maskedGems1) || !in.U32(maskedGems2) || !in.F32(adviserTime) ||
        !in.I32(totemIndex) || !in.I32(totemShield))
        return kErrorShort;
    lives = static_cast<int32_t>(maskedLives ^ kFieldMask);
    gemsToCollect = static_cast<int32_t>(maskedGems1 ^ kFieldMask);
    gemsToPlace = static_cast<int32_t>(maskedGems2 ^ kFieldMask);

    if (resumePoint != kResumeInLevel && resumePoint != kResumeStatistics && resumePoint != kResumeShop)
        return kErrorCorrupt;
    if (hardMode < 0 || level < 1 || level > 1000 || lives < 0 || lives > 1000 || starCount < 0)
        return kErrorCorrupt;
    // Floats that the game counts with or converts to whole numbers: a value that is
    // not a number (a bug elsewhere, or damage) becomes 0 rather than costing the quest.
    for (float* f : {&remainingTime, &nextWarning, &sandLevel, &adviserTime})
        if (!std::isfinite(*f))
            *f = 0.0f;
    if (!std::isfinite(sandFall))
        sandFall = 0.0;
    for (CCounterBlock* block : {&counters.first, &counters.second, &counters.third})
        if (!std::isfinite(block->GetFloat(kCounterTime)))
            block->SetFloat(0.0f, kCounterTime);
    // Values that drive loops or pick an item are kept where the game can use them.
    gemsToCollect = Clamp(gemsToCollect, 0, kGemCountMax);
    gemsToPlace = Clamp(gemsToPlace, 0, kGemCountMax);
    if (totemIndex < -1 || totemIndex > 6)
        totemIndex = -1;
    totemShield = totemShield != 0 ? 1 : 0;

    if (resumePoint == kResumeInLevel)
    {
        for (int g = 0; g < kGridCount; ++g)
            for (auto& row : grids[g])
                for (int32_t& v : row)
                {
                    if (!in.I32(v))
                        return kErrorShort;
                    bool ok = g == 0 ? IsValidCellValue(v) : (v >= kGridRanges[g].low && v <= kGridRanges[g].high);
                    if (!ok)
                        return kErrorCorrupt;
                }
    }

    if (mode == 0)
    {
        for (int32_t& v : shopValues)
        {
            uint32_t masked = 0;
            if (!in.U32(masked))
                return kErrorShort;
            v = static_cast<int32_t>(masked ^ kShopMask);
            if (v < kShopLevelMin || v > kShopLevelMax)
                return kErrorCorrupt;
        }
        uint32_t maskedStars = 0;
        if (!in.U32(maskedStars))
            return kErrorShort;
        stars = static_cast<int32_t>(maskedStars ^ kStarMask);
        if (stars < 0 || stars > 1000)
            return kErrorCorrupt;
        uint32_t count = 0;
        if (!in.U32(count))
            return kErrorShort;
        if (count > kMaxPairs)
            return kErrorCorrupt;
        std::vector<std::array<int32_t, 2>> pairs;
        if (count == 0)
            pairs.push_back({kPairExtra13, 0});
        for (uint32_t i = 0; i < count; ++i)
        {
            std::array<int32_t, 2> p;
            if (!in.I32(p[0]) || !in.I32(p[1]))
                return kErrorShort;
            pairs.push_back(p);
        }
        extra13 = 0;
        for (const auto& p : pairs)
        {
            if (p[0] < 0 || p[0] > 13)
                return kErrorCorrupt;
            switch (p[0])
            {
            case kPairExtra1: extra1 = p[1]; break;
            case kPairExtra5: extra5 = p[1]; break;
            case kPairExtra7: extra7 = p[1]; break;
            case kPairExtra13: extra13 = p[1]; break;
            default: break; // ids the game no longer uses
            }
        }
    }
    return kErrorNone;
}

bool CQuestSave::FromBytes(const uint8_t* data, size_t size)
{
    CQuestSave scratch(*this);
    CByteReader in(data, size);
    m_lastError = scratch.Parse(in);
    if (m_lastError != kErrorNone)
    {
        status = kStatusNone;
        return false;
    }
    scratch.m_lastError = kErrorNone;
    *this = scratch;
    status = kStatusUnsaved;
    return true;
}

bool CQuestSave::Load(const char* path)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, 64 * 1024))
    {
        m_lastError = kErrorOpen;
        status = kStatusNone;
        return false;
    }
    if (FromBytes(bytes.data(), bytes.size()))
        return true;
    LogText(ErrorText(m_lastError));
    LogText(path);
    LogText("\n");
    return false;
}
