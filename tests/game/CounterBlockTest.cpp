#include <climits>
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "saves/ByteStream.h"
#include "saves/CounterBlock.h"
#include "SaveTestUtil.h"

namespace {

struct AddIntCase
{
    int32_t start;
    int32_t value;
    uint32_t index;
    int32_t expected;
};

TEST(CounterBlock, AddIntSumsClampAndRecordsKeepTheLargest)
{
    const AddIntCase cases[] = {
        {30, -50, 0, 0},          // a sum never goes negative
        {30, 12, 2, 42},
        {5, 3, 8, 5},             // record counter: smaller value ignored
        {5, 7, 8, 7},
        {5, -3, 9, 5},            // a negative value never lowers a record
        {INT_MAX, 1, 6, 0},       // wrap-around shows as 0, not a negative total
        {0, 0, 3, 0},
    };
    for (const AddIntCase& c : cases)
    {
        CCounterBlock block;
        block.SetInt(c.start, c.index);
        EXPECT_EQ(block.AddInt(c.value, c.index), c.expected) << c.start << " + " << c.value << " @" << c.index;
        EXPECT_EQ(block.GetInt(c.index), c.expected);
    }
}

TEST(CounterBlock, AddFloatClampsNegativeSums)
{
    CCounterBlock block;
    block.SetFloat(1.0f, kCounterTime);
    EXPECT_EQ(block.AddFloat(-1.5f, kCounterTime), 0.0f);
    EXPECT_EQ(block.AddFloat(0.25f, kCounterTime), 0.25f);
    EXPECT_EQ(block.AddFloat(0.5f, kCounterTime), 0.75f);
    // A float on a record index keeps the larger value.
    block.SetFloat(2.0f, kCounterBestCombo);
    EXPECT_EQ(block.AddFloat(1.0f, kCounterBestCombo), 2.0f);
    EXPECT_EQ(block.AddFloat(3.5f, kCounterBestCombo), 3.5f);
}

TEST(CounterBlock, ConstructionMarksTheFloatAndRecordCounters)
{
    CCounterBlock block;
    ASSERT_EQ(block.counters.size(), 10u);
    EXPECT_EQ(block.floatMarks, (std::vector<int32_t>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(block.recordIndices, (std::vector<int32_t>{8, 9}));
}

CCounterSet NumberedSet()
{
    CCounterSet set;
    for (uint32_t i = 0; i < 10; ++i)
    {
        set.first.SetInt(100 + i, i);
        set.second.SetInt(200 + i, i);
        set.third.SetInt(300 + i, i);
    }
    return set;
}

TEST(CounterSet, WritesFirstThirdSecondScrambled)
{
    const uint32_t mask = 0x6B2E91D4u;
    CByteWriter out;
    ASSERT_TRUE(NumberedSet().Write(out, mask));
    const std::vector<uint8_t>& b = out.Data();
    ASSERT_EQ(b.size(), 120u);
    for (uint32_t i = 0; i < 10; ++i)
    {
        EXPECT_EQ(U32At(b, 4 * i), (100 + i) ^ mask);
        EXPECT_EQ(U32At(b, 40 + 4 * i), (300 + i) ^ mask);
        EXPECT_EQ(U32At(b, 80 + 4 * i), (200 + i) ^ mask);
    }

    CCounterSet same;
    CByteReader in(b);
    ASSERT_TRUE(same.Read(in, mask));
    EXPECT_EQ(same.first.counters, NumberedSet().first.counters);
    EXPECT_EQ(same.second.counters, NumberedSet().second.counters);
    EXPECT_EQ(same.third.counters, NumberedSet().third.counters);

    // Read with another mask: each word carries both masks.
    CCounterSet other;
    CByteReader in2(b);
    ASSERT_TRUE(other.Read(in2, 0x0F0F0F0Fu));
    EXPECT_EQ(other.third.counters[4], (304u ^ mask ^ 0x0F0F0F0Fu));
}

TEST(CounterSet, ShortReadStopsAtTheBlockThatRunsOut)
{
    CByteWriter out;
    NumberedSet().Write(out, 0);
    std::vector<uint8_t> bytes = out.Data();
    bytes.resize(60); // the first block whole, the third block half

    CCounterSet set;
    set.third.SetInt(7, 0);
    CByteReader in(bytes);
    EXPECT_FALSE(set.Read(in, 0));
    EXPECT_EQ(set.first.GetInt(9), 109);   // read before the failure
    EXPECT_EQ(set.third.GetInt(0), 7);     // short block unchanged
}

TEST(CounterSet, AddToBothMoveAndCopy)
{
    CCounterSet set;
    set.AddToBoth(40, kCounterScore);
    set.AddFloatToBoth(2.5f, kCounterTime);
    EXPECT_EQ(set.second.GetInt(kCounterScore), 40);
    EXPECT_EQ(set.third.GetInt(kCounterScore), 40);
    EXPECT_EQ(set.first.GetInt(kCounterScore), 0);
    EXPECT_EQ(set.third.GetFloat(kCounterTime), 2.5f);

    set.MoveThirdToFirst();
    EXPECT_EQ(set.first.GetInt(kCounterScore), 40);
    EXPECT_EQ(set.first.GetFloat(kCounterTime), 2.5f);
    EXPECT_EQ(set.third.counters, std::vector<uint32_t>(10, 0u));
    EXPECT_EQ(set.second.GetInt(kCounterScore), 40);

    CCounterSet source = NumberedSet();
    source.second.recordIndices = {3};
    CCounterSet target;
    target.CopyCounters(source);
    EXPECT_EQ(target.second.counters, source.second.counters);
    EXPECT_EQ(target.second.recordIndices, (std::vector<int32_t>{8, 9}));

    target.Reset();
    EXPECT_EQ(target.first.counters, std::vector<uint32_t>(10, 0u));
    EXPECT_EQ(target.second.counters, std::vector<uint32_t>(10, 0u));
}

} // namespace
