#include <gtest/gtest.h>
#include <thread>
#include <vector>
#include "Runtime/RefPtr.h"
#include "Runtime/RefThreadSafeBase.h"
#include "Runtime/Singleton.h"

namespace {

class Tracked : public CRefThreadSafeBase<Tracked> {
public:
    explicit Tracked(int* deletions) : m_deletions(deletions) {}
    ~Tracked() override { ++*m_deletions; }

private:
    int* m_deletions;
};

} // namespace

TEST(RefPtr, CountsCopiesMovesAndSelfAssignment)
{
    int deletions = 0;
    {
        CRefPtr<Tracked> a(new Tracked(&deletions));
        EXPECT_EQ(a->RefCount(), 1);
        CRefPtr<Tracked> b = a;
        EXPECT_EQ(a->RefCount(), 2);
        CRefPtr<Tracked> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(a->RefCount(), 2);
        a = a;
        c.Reset(c.Get());
        EXPECT_EQ(a->RefCount(), 2) << "self-assignment keeps the object";
        c.Reset();
        EXPECT_EQ(a->RefCount(), 1);
        EXPECT_EQ(deletions, 0);
        a = CRefPtr<Tracked>(new Tracked(&deletions));
        EXPECT_EQ(deletions, 1) << "assignment released the old object";
    }
    EXPECT_EQ(deletions, 2);
}

TEST(RefPtr, ThreadsShareOneObjectSafely)
{
    int deletions = 0;
    CRefPtr<Tracked> shared(new Tracked(&deletions));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([shared] {
            for (int i = 0; i < 20000; ++i) {
                CRefPtr<Tracked> copy = shared;
                copy.Reset();
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(shared->RefCount(), 1);
    shared.Reset();
    EXPECT_EQ(deletions, 1);
}

TEST(Singleton, OneInstanceForConcurrentFirstUse)
{
    struct Slow {
        Slow() { Sleep(50); ++constructed(); }
        static int& constructed() { static int n = 0; return n; }
    };
    Slow* seen[4] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&seen, t] { seen[t] = CSingleton<Slow>::Instance(); });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(Slow::constructed(), 1);
    for (Slow* p : seen)
        EXPECT_EQ(p, seen[0]);
}
