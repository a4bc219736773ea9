#include "saves/Trophies.h"

#include <cstring>

#include "engine/IniReader.h"
#include "engine/Log.h"
#include "saves/ByteStream.h"
#include "platform/crt.h"

namespace {

const int32_t kMaxLevels[CTrophies::kTrophyCount] = {2, 3, 3, 3, 3, 3, 3, 1, 3};

// Thresholds of the trophies that grow with their value (level 1, 2, 3).
struct Thresholds
{
    int32_t t1, t2, t3;
};

bool RisingThresholds(uint32_t trophy, Thresholds& out)
{
    switch (trophy)
    {
    case 2: out = {6, 10, 15}; return true;               // best combo
    case 3: out = {500000, 1000000, 2500000}; return true; // quest score
    case 5: out = {10, 20, 30}; return true;              // levels without a hint
    case 6: out = {50, 100, 200}; return true;            // counter 7
    default: return false;
    }
}

} // namespace

CTrophies::CTrophies()
    : levels(kTrophyCount, 0), displayedLevels(kTrophyCount, 0)
{
    pending.reserve(8);
}

int32_t CTrophies::MaxLevel(int trophy)
{
    return trophy >= 0 && trophy < kTrophyCount ? kMaxLevels[trophy] : 0;
}

void CTrophies::LoadSettings(const char* path)
{
    pompaTime = ReadIniTime(path, "Trophies", "PompaTime", "1.5");
    postTime = ReadIniTime(path, "Trophies", "PostTime", "0.5");
    ReadIniFloat2(backgroundSpeed, path, "Trophies", "BackgroundTSpeed", "0.0625 -0.038625");
    ReadIniFloat2(backgroundSize, path, "Trophies", "BackgroundTSize", "1 0.75");
}

bool CTrophies::LoadDescriptions(const char* path)
{
    descriptions.assign(kTrophyCount, {});
    for (int t = 0; t < kTrophyCount; ++t)
        descriptions[t].assign(kMaxLevels[t], std::string());

    FILE* f = crt::fopen(path, "r");
    if (!f)
        return false;
    // Reads of at most 4094 characters: a longer line arrives in chunks.
    char chunk[4095];
    bool ok = std::fgets(chunk, sizeof(chunk), f) != nullptr; // header line
    for (int t = 0; t < kTrophyCount && ok; ++t)
        for (int level = 0; level < kMaxLevels[t] && ok; ++level)
        {
            std::string text;
            for (;;)
            {
                if (!std::fgets(chunk, sizeof(chunk), f))
                {
                    ok = false;
                    break;
                }
                if (chunk[0] == '#')
                    break;
                text += chunk;
            }
            descriptions[t][level] = text;
        }
    std::fclose(f);
    if (!ok)
        LogText("Error loading Trophies description\n");
    return ok;
}

const std::string& CTrophies::GetDescription(int trophy, int level) const
{
    static const std::string none;
    if (trophy < 0 || trophy >= static_cast<int>(descriptions.size()) || level < 1 ||
        level > static_cast<int>(descriptions[trophy].size()))
        return none;
    return descriptions[trophy][level - 1];
}

void CTrophies::Reset()
{
    levels.assign(kTrophyCount, 0);
    displayedLevels.assign(kTrophyCount, 0);
}

std::vector<uint8_t> CTrophies::ToBytes() const
{
    CByteWriter out;
    for (int t = 0; t < kTrophyCount; ++t)
        out.I32(levels[t]);
    return out.Data();
}

bool CTrophies::Save(const char* path) const
{
    if (!WriteWholeFile(path, ToBytes()))
    {
        LogText("Can't save trophies information!\n");
        return false;
    }
    return true;
}

bool CTrophies::FromBytes(const uint8_t* data, size_t size)
{
    Reset();
    CByteReader in(data, size);
    int stored = 0;
    for (int t = 0; t < kTrophyCount; ++t)
    {
        uint32_t v = 0;
        if (!in.U32(v) || v > static_cast<uint32_t>(kMaxLevels[t]))
            break;
        levels[t] = displayedLevels[t] = static_cast<int32_t>(v);
        ++stored;
    }
    if (stored == kTrophyCount)
        return true;
    LogText("Warning! Unable to load trophies information\n");
    return false;
}

bool CTrophies::Load(const char* path)
{
    Reset();
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kFileSize))
    {
        LogText("Warning! Unable to load trophies information\n");
        return false;
    }
    return FromBytes(bytes.data(), bytes.size());
}

int32_t CTrophies::GetAwardLevel(uint32_t trophy, int32_t v) const
{
    if (trophy >= static_cast<uint32_t>(kTrophyCount))
        return 0;
    int32_t current = levels[trophy];
    Thresholds th;
    switch (trophy)
    {
    case 0: // difficulty of the quest just ended: 0 Normal, 1 Hard
        if (v < current)
            return 0;
        return v >= 2 ? 2 : v + 1;
    case 1: // run of completed levels: 10, 15, 20
        if (current >= 3 || v < (current + 2) * 5)
            return 0;
        return (v - 5) / 5 < 3 ? (v - 5) / 5 : 3;
    case 4: // place in the high-score table: 3rd, 2nd, 1st
        if (v < 1)
            return 0; // places count from 1; anything less would pass the top level
        return v < 4 - current ? 4 - v : 0;
    case 7: // bonus-level challenges won
        if (v < 8)
            return 0;
        return current < 1 ? 1 : 0;
    case 8: // whole seconds left when the level was won: 10, 5, 2 or less
    {
        if (current >= 3)
            return 0;
        int32_t bound = current == 0 ? 10 : (current == 1 ? 5 : 2);
        if (v > bound)
            return 0;
        return v <= 2 ? 3 : (v <= 5 ? 2 : 1);
    }
    default:
        if (!RisingThresholds(trophy, th) || current >= 3)
            return 0;
        {
            int32_t next = current == 0 ? th.t1 : (current == 1 ? th.t2 : th.t3);
            if (v < next)
                return 0;
            return v < th.t2 ? 1 : (v < th.t3 ? 2 : 3);
        }
    }
}

void CTrophies::QueueAward(int32_t trophy, int32_t level)
{
    for (TrophyAward& award : pending)
        if (award.trophy == trophy)
        {
            if (level > award.level)
                award.level = level;
            return;
        }
    pending.push_back({trophy, level});
}

bool CTrophies::CheckAward(uint32_t trophy, int32_t value)
{
    int32_t level = GetAwardLevel(trophy, value);
    if (level <= 0)
        return false;
    QueueAward(static_cast<int32_t>(trophy), level);
    return true;
}

void CTrophies::ApplyPending()
{
    for (const TrophyAward& award : pending)
    {
        if (award.trophy < 0 || award.trophy >= kTrophyCount)
            continue;
        int32_t level = award.level > MaxLevel(award.trophy) ? MaxLevel(award.trophy) : award.level;
        levels[award.trophy] = displayedLevels[award.trophy] = level;
    }
    pending.clear();
}
