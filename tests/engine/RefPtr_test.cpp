#include "engine/RefPtr.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Records its destruction in a shared journal, so a test sees when and how often.
struct Tracked
{
    explicit Tracked(std::vector<std::string>* journal, std::string name) : journal(journal), name(std::move(name)) {}
    ~Tracked() { journal->push_back(name); }
    std::vector<std::string>* journal;
    std::string name;
    CRefPtr<Tracked> child;
};

// No virtual destructor: the handle must still destroy the derived part.
struct Plain
{
    int value = 0;
};
struct PlainDerived : Plain
{
    explicit PlainDerived(int* destroyed) : destroyed(destroyed) {}
    ~PlainDerived() { ++*destroyed; }
    int* destroyed;
};

TEST(RefPtr, EmptyHandles)
{
    CRefPtr<Tracked> a;
    CRefPtr<Tracked> b(static_cast<Tracked*>(nullptr));
    EXPECT_FALSE(a.IsValid());
    EXPECT_FALSE(b);
    EXPECT_EQ(b.RefCount(), 0u);
    CRefPtr<Tracked> c(b);
    a = c;
    EXPECT_FALSE(a);
    EXPECT_TRUE(a == b); // two empty handles count as the same
}

TEST(RefPtr, CountsCopiesAndAssignments)
{
    std::vector<std::string> journal;
    CRefPtr<Tracked> a(new Tracked(&journal, "a"));
    EXPECT_EQ(a.RefCount(), 1u);
    {
        CRefPtr<Tracked> b(a);
        CRefPtr<Tracked> c;
        c = b;
        EXPECT_EQ(a.RefCount(), 3u);
        CRefPtr<Tracked>& same = c;
        c = same; // self-assignment
        EXPECT_EQ(a.RefCount(), 3u);
        b = c; // already sharing the block
        EXPECT_EQ(a.RefCount(), 3u);
    }
    EXPECT_EQ(a.RefCount(), 1u);
    EXPECT_TRUE(journal.empty());
}

TEST(RefPtr, LastReleaseDestroysOnceAtThatMoment)
{
    std::vector<std::string> journal;
    CRefPtr<Tracked> a(new Tracked(&journal, "a"));
    CRefPtr<Tracked> keep(a);
    a = CRefPtr<Tracked>();
    EXPECT_TRUE(journal.empty());
    keep = CRefPtr<Tracked>(); // the last reference: assigned an empty handle
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0], "a");
}

TEST(RefPtr, EraseFromVectorKeepsOthersAlive)
{
    std::vector<std::string> journal;
    std::vector<CRefPtr<Tracked>> v;
    for (const char* n : {"0", "1", "2", "3"})
        v.push_back(CRefPtr<Tracked>(new Tracked(&journal, n)));
    CRefPtr<Tracked> extra = v[2];
    v.erase(v.begin() + 1);
    ASSERT_EQ(journal, std::vector<std::string>{"1"});
    v.erase(v.begin() + 1); // "2" is still held by extra
    EXPECT_EQ(journal, std::vector<std::string>{"1"});
    EXPECT_EQ(extra.RefCount(), 1u);
    EXPECT_EQ(v[0].RefCount(), 1u);
    EXPECT_EQ(v[1]->name, "3");
}

TEST(RefPtr, AssigningAHandleTheOldObjectOwnsIsSafe)
{
    std::vector<std::string> journal;
    CRefPtr<Tracked> parent(new Tracked(&journal, "parent"));
    parent->child = CRefPtr<Tracked>(new Tracked(&journal, "child"));
    parent = parent->child; // parent's last reference goes while its member is read
    EXPECT_EQ(journal, std::vector<std::string>{"parent"});
    ASSERT_TRUE(parent);
    EXPECT_EQ(parent->name, "child");
    EXPECT_EQ(parent.RefCount(), 1u);
}

TEST(RefPtr, BaseHandleDestroysTheWrappedClass)
{
    int destroyed = 0;
    {
        CRefPtr<PlainDerived> d(new PlainDerived(&destroyed));
        CRefPtr<Plain> base = d;
        EXPECT_EQ(d.RefCount(), 2u);
        EXPECT_TRUE(base.Get() == d.Get());
        d.Reset();
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

} // namespace
