#include "saves/BestResults.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "engine/Log.h"
#include "engine/SaveErrors.h"
#include "engine/StringTable.h"
#include "saves/CounterBlock.h"
#include "saves/ByteStream.h"

namespace {

const char kFallbackName[] = "expert";

// Entry 81 of the string table names the holder of every default result.
std::string DefaultName()
{
    char text[39];
    if (GetStringById(81, text, sizeof(text)) < 1)
        return kFallbackName;
    return text;
}

} // namespace

CBestResults::CBestResults(int n)
    : count(n < 0 ? 0 : n), names(count, DefaultName()), values(count, 0)
{
}

void CBestResults::SetLinearDefaults(int low, int high)
{
    if (count < 1)
        return;
    float step = count > 1 ? static_cast<float>(high - low) / static_cast<float>(count - 1) : 0.0f;
    float v = static_cast<float>(low);
    for (int i = 0; i < count; ++i)
    {
        values[i] = static_cast<int32_t>(std::floor(v));
        v = v + step;
    }
}

void CBestResults::SetScoreDefaults()
{
    SetLinearDefaults(20000, 420000);
    // From level 9 on the defaults restart lower, so early records are easy to beat.
    if (count >= 9)
        for (int i = 8; i < count; ++i)
            values[i] = 50000 + 5000 * (i - 8);
}

std::vector<uint8_t> CBestResults::ToBytes() const
{
    CByteWriter out;
    for (int i = 0; i < count; ++i)
    {
        // The reader takes 1 to 40 bytes: an empty name is written as the default
        // one, a long one is cut.
        std::string name = names[i].empty() ? DefaultName() : names[i];
        if (name.size() > kMaxNameLength)
            name.resize(kMaxNameLength);
        out.U32(static_cast<uint32_t>(name.size()));
        out.Bytes(name.data(), name.size());
        out.I32(values[i]);
    }
    return out.Data();
}

bool CBestResults::Save(const char* path) const
{
    return WriteWholeFile(path, ToBytes());
}

bool CBestResults::FromBytes(const uint8_t* data, size_t size, const char* path)
{
    CByteReader in(data, size);
    bool ok = true;
    for (int i = 0; i < count && ok; ++i)
    {
        uint32_t length = 0;
        ok = in.U32(length) && length >= 1 && length <= kMaxNameLength;
        if (!ok)
            break;
        std::string name(length, ' ');
        ok = in.Bytes(&name[0], length);
        if (!ok)
            break;
        names[i] = name;
        ok = in.I32(values[i]);
    }
    if (ok)
        return true;
    LogText("Error loading");
    LogText(path);
    LogText("\n");
    SetLinearDefaults(10000, 410000);
    return false;
}

bool CBestResults::Load(const char* path)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, 64 * 1024))
    {
        SetLinearDefaults(10000, 410000);
        return false;
    }
    return FromBytes(bytes.data(), bytes.size(), path);
}

bool CBestResults::IsBetterScore(int score, int level) const
{
    return HasLevel(level) && score > values[level - 1];
}

bool CBestResults::IsBetterTime(int seconds, int level) const
{
    return HasLevel(level) && seconds < values[level - 1];
}

void CBestResults::SetResult(int value, int level, const char* name)
{
    if (!HasLevel(level))
        return;
    values[level - 1] = value;
    std::string text = name ? name : "";
    if (text.size() > kMaxNameLength)
        text.resize(kMaxNameLength);
    names[level - 1] = text.empty() ? DefaultName() : text;
}

int32_t CBestResults::GetValue(int level) const
{
    return HasLevel(level) ? values[level - 1] : 0;
}

std::string CBestResults::GetName(int level) const
{
    return HasLevel(level) ? names[level - 1] : std::string();
}

namespace {

// Whole seconds of a clock value; a clock that is not a number counts as 0.
int32_t WholeSeconds(float seconds)
{
    if (!(seconds > 0.0f))
        return 0;
    if (seconds >= 2147483520.0f)
        return INT_MAX;
    return static_cast<int32_t>(seconds);
}

std::string FormatInt(int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", value);
    return text;
}

} // namespace

std::string FormatMinutesSeconds(int32_t seconds)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

LevelResults SummariseLevel(CCounterSet& counters, int level, const char* playerName, float clockSeconds,
                            int32_t bonusPerSecond, CBestResults& times, CBestResults& scores,
                            const std::string& gameDataFolder)
{
    LevelResults r;
    const char* name = playerName ? playerName : "";

    r.levelSeconds = WholeSeconds(std::floor(counters.third.GetFloat(kCounterTime)));
    r.timeText = FormatMinutesSeconds(r.levelSeconds);
    if (times.IsBetterTime(r.levelSeconds, level))
    {
        times.SetResult(r.levelSeconds, level, name);
        const std::string path = gameDataFolder + "Ti.bst";
        CheckSaved(times.Save(path.c_str()), path);
        r.newBestTime = true;
    }
    r.bestTimeText = FormatMinutesSeconds(times.GetValue(level));
    r.bestTimeName = times.GetName(level);

    r.levelScore = counters.third.GetInt(kCounterScore);
    r.questScore = counters.second.GetInt(kCounterScore);

    r.secondsLeft = clockSeconds < 0.0f ? -WholeSeconds(-clockSeconds) : WholeSeconds(clockSeconds);
    int64_t bonus = int64_t(r.secondsLeft) * bonusPerSecond;
    r.timeBonus = bonus < 0 ? 0 : (bonus > INT_MAX ? INT_MAX : static_cast<int32_t>(bonus));
    counters.third.AddInt(r.timeBonus, kCounterScore);
    counters.second.AddInt(r.timeBonus, kCounterScore);
    r.levelScoreText = FormatInt(r.levelScore);

    const int32_t withBonus = counters.third.GetInt(kCounterScore);
    if (scores.IsBetterScore(withBonus, level))
    {
        scores.SetResult(withBonus, level, name);
        const std::string path = gameDataFolder + "Sc.bst";
        CheckSaved(scores.Save(path.c_str()), path);
        r.newBestScore = true;
    }
    r.bestScoreText = FormatInt(scores.GetValue(level));
    r.bestScoreName = scores.GetName(level);

    const uint32_t rowCounters[4] = {kCounterBestCombo, kCounterTokens, kCounterMatchEvents, kCounterBonuses};
    for (int k = 0; k < 4; ++k)
    {
        r.rows[k][0] = counters.third.GetInt(rowCounters[k]);
        r.rows[k][1] = counters.second.GetInt(rowCounters[k]);
    }
    return r;
}
