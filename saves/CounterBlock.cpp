#include "saves/CounterBlock.h"

#include <algorithm>
#include <cstring>

#include "saves/ByteStream.h"

namespace {

float BitsToFloat(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

uint32_t FloatToBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

} // namespace

CCounterBlock::CCounterBlock()
    : counters(kCounterCount, 0u), floatMarks(kCounterCount, 0)
{
    floatMarks[kCounterTime] = 1;
    recordIndices.reserve(2);
    recordIndices.push_back(kCounterBestCombo);
    recordIndices.push_back(kCounterBiggestGroup);
}

bool CCounterBlock::IsRecordIndex(uint32_t index) const
{
    return std::find(recordIndices.begin(), recordIndices.end(), static_cast<int32_t>(index)) !=
           recordIndices.end();
}

int32_t CCounterBlock::AddInt(int32_t value, uint32_t index)
{
    if (index >= counters.size())
        return 0;
    int32_t current = static_cast<int32_t>(counters[index]);
    if (IsRecordIndex(index))
    {
        if (current < value)
            counters[index] = static_cast<uint32_t>(value);
    }
    else
    {
        // Wraps like the 32-bit original, then never shows a negative total.
        int32_t sum = static_cast<int32_t>(counters[index] + static_cast<uint32_t>(value));
        counters[index] = sum < 0 ? 0u : static_cast<uint32_t>(sum);
    }
    return static_cast<int32_t>(counters[index]);
}

float CCounterBlock::AddFloat(float value, uint32_t index)
{
    if (index >= counters.size())
        return 0.0f;
    float current = BitsToFloat(counters[index]);
    if (IsRecordIndex(index))
    {
        if (value > current)
            counters[index] = FloatToBits(value);
    }
    else
    {
        float sum = current + value;
        counters[index] = FloatToBits(sum < 0.0f ? 0.0f : sum);
    }
    return BitsToFloat(counters[index]);
}

int32_t CCounterBlock::GetInt(uint32_t index) const
{
    return index < counters.size() ? static_cast<int32_t>(counters[index]) : 0;
}

float CCounterBlock::GetFloat(uint32_t index) const
{
    return index < counters.size() ? BitsToFloat(counters[index]) : 0.0f;
}

void CCounterBlock::SetInt(int32_t value, uint32_t index)
{
    if (index < counters.size())
        counters[index] = static_cast<uint32_t>(value);
}

void CCounterBlock::SetFloat(float value, uint32_t index)
{
    if (index < counters.size())
        counters[index] = FloatToBits(value);
}

void CCounterBlock::ZeroCounters()
{
    std::fill(counters.begin(), counters.end(), 0u);
}

bool CCounterBlock::WriteScrambled(CByteWriter& out, uint32_t mask) const
{
    if (counters.empty())
        return false;
    for (uint32_t word : counters)
        out.U32(word ^ mask);
    return true;
}

bool CCounterBlock::ReadScrambled(CByteReader& in, uint32_t mask)
{
    if (counters.empty())
        return false;
    std::vector<uint8_t> raw(counters.size() * 4);
    if (!in.Bytes(raw.data(), raw.size()))
        return false;
    CByteReader words(raw);
    for (uint32_t& word : counters)
    {
        uint32_t v = 0;
        words.U32(v);
        word = v ^ mask;
    }
    return true;
}

void CCounterSet::AddToBoth(int32_t value, uint32_t index)
{
    third.AddInt(value, index);
    second.AddInt(value, index);
}

void CCounterSet::AddFloatToBoth(float value, uint32_t index)
{
    third.AddFloat(value, index);
    second.AddFloat(value, index);
}

void CCounterSet::Reset()
{
    first.ZeroCounters();
    second.ZeroCounters();
    third.ZeroCounters();
}

void CCounterSet::CopyCounters(const CCounterSet& other)
{
    first.counters = other.first.counters;
    third.counters = other.third.counters;
    second.counters = other.second.counters;
}

void CCounterSet::MoveThirdToFirst()
{
    first.counters = third.counters;
    third.ZeroCounters();
}

bool CCounterSet::Write(CByteWriter& out, uint32_t mask) const
{
    return first.WriteScrambled(out, mask) && third.WriteScrambled(out, mask) &&
           second.WriteScrambled(out, mask);
}

bool CCounterSet::Read(CByteReader& in, uint32_t mask)
{
    return first.ReadScrambled(in, mask) && third.ReadScrambled(in, mask) &&
           second.ReadScrambled(in, mask);
}
