#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

#include "imaging/core/QkByteArray.h"
#include "imaging/core/QkDICOMTags.h"
#include "imaging/core/QkHash.h"
#include "imaging/core/QkLists.h"
#include "imaging/core/QkQuickSort.h"
#include "imaging/core/QkThreadPool.h"
#include "platform/core/Exceptions.h"

namespace {

TEST(QkList, CapacityGrowsByDoublingAndShrinksOnlyOnDelete)
{
    TQkIntegerList list;
    list.SetCount(5);
    EXPECT_EQ(list.Capacity(), 5);
    EXPECT_EQ(list.Add(42), 5);
    EXPECT_EQ(list.Capacity(), 10);
    EXPECT_EQ(list.Count(), 6);
    EXPECT_EQ(list.Item(0), 0);
    EXPECT_EQ(list.Item(5), 42);
    list.SetCount(2);
    EXPECT_EQ(list.Capacity(), 10);
    list.SetCount(3);
    EXPECT_EQ(list.Item(2), 0) << "items that come back are zero";

    TQkDoubleList single;
    single.Add(1.5);
    single.Delete(-1);
    single.Delete(1);
    EXPECT_EQ(single.Count(), 1);
    single.Delete(0);
    EXPECT_EQ(single.Count(), 0);
    EXPECT_EQ(single.Capacity(), 0);
    EXPECT_THROW(single.Item(0), EListError);
    EXPECT_THROW(single.SetCount(-1), EListError);
}

TEST(QkList, AssignCopiesExactlyAndKeepsGrowing)
{
    TQkDoubleList source;
    for (double v : {1.0, 2.0, 3.0})
        source.Add(v);
    source.UserValues = {1, 2, 3, 4};
    TQkDoubleList target;
    target.SetCount(100);
    target.Assign(&source);
    EXPECT_EQ(target.Capacity(), 3);
    EXPECT_TRUE(target.Changed());
    EXPECT_EQ(target.UserValues, source.UserValues);
    target.Add(4.0);
    EXPECT_EQ(target.Capacity(), 6);
    target.Add(5.0);
    EXPECT_EQ(target.Count(), 5);
    EXPECT_EQ(target.Item(4), 5.0);
    EXPECT_EQ(target.Item(2), 3.0);
    target.Assign(nullptr);
    EXPECT_EQ(target.Count(), 5);

    target.Clear();
    EXPECT_FALSE(target.Changed());
    EXPECT_EQ(target.UserValues, (std::array<double, 4>{}));

    TQkIntegerList integers;
    integers.Add(7);
    EXPECT_THROW(target.Assign(&integers), EListError);
    TQkRecordList records(12);
    const char record[12] = "eleven char";
    records.Add(record);
    EXPECT_EQ(std::string(static_cast<const char*>(records.GetItem(0))), "eleven char");
}

TEST(QkList, CopyListSetsTheCountThenEachItem)
{
    TQkIntegerList source;
    for (int32_t v : {10, 20, 30})
        source.Add(v);
    TQkIntegerList longer;
    for (int32_t v : {1, 2, 3, 4, 5})
        longer.Add(v);
    CopyList(source, longer);
    EXPECT_EQ(longer.Count(), 3);
    EXPECT_EQ(longer.Capacity(), 8); // shrinking keeps the block
    EXPECT_EQ(longer.Item(2), 30);
    EXPECT_EQ(source.Count(), 3);

    TQkIntegerList empty;
    CopyList(source, empty);
    EXPECT_EQ(empty.Count(), 3);
    EXPECT_EQ(empty.Item(0), 10);
    CopyList(TQkIntegerList{}, empty);
    EXPECT_EQ(empty.Count(), 0);

    CopyList(source, source);
    EXPECT_EQ(source.Count(), 3);

    TQkRecordList records(sizeof(void*));
    int tag = 0;
    void* pointer = &tag;
    records.Add(&pointer);
    TQkRecordList pointers(sizeof(void*));
    CopyList(records, pointers);
    EXPECT_EQ(*static_cast<void* const*>(pointers.GetItem(0)), &tag);

    TQkDoubleList doubles;
    EXPECT_THROW(CopyList(source, doubles), EListError);
    EXPECT_EQ(doubles.Count(), 0);
}

TEST(THash1, DuplicatesAndSharedLowBits)
{
    THash1 hash(4);
    EXPECT_TRUE(hash.Insert(5));
    EXPECT_FALSE(hash.Insert(5));
    EXPECT_TRUE(hash.Insert(5 + 16));
    EXPECT_TRUE(hash.Insert(5 + 32));
    EXPECT_FALSE(hash.Insert(5 + 16));
    EXPECT_FALSE(hash.Insert(5 + 32));
    EXPECT_EQ(hash.Count(), 3);
    EXPECT_THROW(THash1(31), EInvalidArgument);
}

TEST(TQkByteArray, GrowsAndShrinksInSteps)
{
    TQkByteArray bytes(16);
    bytes.SetLength(100);
    EXPECT_EQ(bytes.Capacity(), 116);
    std::iota(bytes.Data(), bytes.Data() + 100, 0);
    bytes.SetLength(110);
    EXPECT_EQ(bytes.Capacity(), 116);
    bytes.SetLength(10);
    EXPECT_EQ(bytes.Capacity(), 26);
    EXPECT_EQ(bytes.Data()[9], 9);
    bytes.AppendByte(200);
    EXPECT_EQ(bytes.Length(), 11);
    EXPECT_EQ(bytes.Data()[10], 200);
    EXPECT_THROW(bytes.SetLength(-1), EInvalidArgument);
}

TEST(TQkByteArray, AppendFromStreamTakesWhatArrives)
{
    TMemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    stream.SetPosition(2);
    TQkByteArray bytes(4);
    EXPECT_EQ(bytes.AppendFromStream(stream, 100), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes.Data()), 4), "cdef");
    EXPECT_EQ(bytes.AppendFromStream(stream, 10), 0);
    EXPECT_EQ(bytes.Length(), 4);
}

TEST(TQkDICOMTags, CopiesHoldTheTerminatingByte)
{
    TQkDICOMTags tags;
    EXPECT_EQ(tags.AddTag(0x0010, 0x0010, "PN", 4, {'D', 'o', 'e', '^'}), 0);
    tags.AddTag(0x0028, 0x0010, "U", 2, {1});
    tags.AddTag(0x7FE0, 0x0010, "OB", -1, {9, 9});
    TQkDICOMTags copy;
    copy.AddTag(1, 1, "XX", 1, {1});
    copy.Assign(tags);
    ASSERT_EQ(copy.Count(), 3);
    const TQkDICOMTag& name = copy.GetTag(0);
    EXPECT_EQ(name.DataLength, 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(name.Data.data())), "Doe^");
    const TQkDICOMTag& rows = copy.GetTag(1);
    EXPECT_EQ(rows.VR, (std::array<char, 2>{0, 0}));
    EXPECT_EQ(rows.Data, (std::vector<uint8_t>{1, 0, 0}));
    EXPECT_TRUE(copy.GetTag(2).Data.empty());
    EXPECT_THROW(copy.GetTag(3), EListError);
}

class TAddingThread : public TThread {
public:
    TAddingThread(std::atomic<int>& total, int amount) : total_(total), amount_(amount) {}

protected:
    void Execute() override { total_ += amount_; }

private:
    std::atomic<int>& total_;
    int amount_;
};

TEST(TQkThreadPool, RunsEveryJob)
{
    std::atomic<int> total{0};
    TQkThreadPool pool;
    for (int i = 1; i <= 20; ++i)
        pool.Add(std::make_unique<TAddingThread>(total, i));
    pool.WaitAll();
    EXPECT_EQ(total.load(), 210);
    EXPECT_EQ(pool.Count(), 0u);
    pool.Add(std::make_unique<TAddingThread>(total, 1));
}

// Sorts a vector of keys through the callbacks, recording the swaps.
std::vector<std::pair<int, int>> SortKeys(std::vector<int>& keys)
{
    std::vector<std::pair<int, int>> swaps;
    QuickSortCount(
        static_cast<int32_t>(keys.size()),
        [&](int32_t a, int32_t b) {
            swaps.emplace_back(a, b);
            std::swap(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]);
        },
        [&](int32_t a, int32_t b) { return keys[static_cast<size_t>(a)] - keys[static_cast<size_t>(b)]; });
    return swaps;
}

TEST(QuickSort, AgreesWithASortByKey)
{
    for (int length = 0; length <= 7; ++length) {
        for (const int keysPerValue : {1, 2}) {
            std::vector<int> permutation(static_cast<size_t>(length));
            for (int i = 0; i < length; ++i)
                permutation[static_cast<size_t>(i)] = i / keysPerValue;
            do {
                std::vector<int> keys = permutation;
                SortKeys(keys);
                ASSERT_TRUE(std::is_sorted(keys.begin(), keys.end()));
            } while (std::next_permutation(permutation.begin(), permutation.end()));
        }
    }
    std::mt19937 random(3);
    for (int round = 0; round < 30; ++round) {
        std::vector<int> keys(std::uniform_int_distribution<size_t>(8, 3000)(random));
        for (int& key : keys)
            key = static_cast<int>(random() % 50);
        std::vector<int> expected = keys;
        std::sort(expected.begin(), expected.end());
        SortKeys(keys);
        ASSERT_EQ(keys, expected);
    }
}

TEST(QuickSort, SwapSequenceFollowsThePivot)
{
    std::vector<int> keys = {2, 3, 1};
    EXPECT_EQ(SortKeys(keys), (std::vector<std::pair<int, int>>{{1, 2}, {0, 1}}));
    keys = {1, 2, 3};
    EXPECT_EQ(SortKeys(keys), (std::vector<std::pair<int, int>>{{1, 1}}));
    keys = {5, 1, 4, 1, 3};
    SortKeys(keys);
    EXPECT_EQ(keys, (std::vector<int>{1, 1, 3, 4, 5}));
}

TEST(QuickSort, SortedAndReversedLongInputs)
{
    std::vector<int> keys(200000);
    std::iota(keys.rbegin(), keys.rend(), 0);
    SortKeys(keys);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

} // namespace
