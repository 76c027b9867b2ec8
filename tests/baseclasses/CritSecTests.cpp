// CCritSec and CAutoLock: re-entrant on their thread, exclusive between
// threads, and able to say who holds them.
#include <thread>

#include <windows.h>

#include <gtest/gtest.h>

#include "baseclasses/CritSec.h"

TEST(BaseClassesCritSec, IsReentrantAndKnowsItsOwner) {
    CCritSec lock;
    EXPECT_FALSE(CritCheckIn(&lock));
    EXPECT_TRUE(CritCheckOut(&lock));
    {
        CAutoLock outer(&lock);
        EXPECT_TRUE(CritCheckIn(&lock));
        {
            CAutoLock inner(&lock);
            EXPECT_TRUE(lock.IsOwnedByCurrentThread());
        }
        // Still held after the inner scope.
        EXPECT_TRUE(CritCheckIn(&lock));

        bool ownedElsewhere = true;
        std::thread other([&] { ownedElsewhere = lock.IsOwnedByCurrentThread(); });
        other.join();
        EXPECT_FALSE(ownedElsewhere);
    }
    EXPECT_FALSE(CritCheckIn(&lock));
    EXPECT_FALSE(CritCheckIn(nullptr));
}

TEST(BaseClassesCritSec, ExcludesOtherThreads) {
    CCritSec lock;
    long counter = 0;
    const int kThreads = 4;
    const int kRounds = 20000;
    std::thread workers[kThreads];
    for (auto& worker : workers) {
        worker = std::thread([&] {
            for (int i = 0; i < kRounds; ++i) {
                CAutoLock guard(&lock);
                // A read-modify-write that would lose updates without the lock.
                const long seen = counter;
                if (i % 1000 == 0) {
                    SwitchToThread();
                }
                counter = seen + 1;
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(static_cast<long>(kThreads) * kRounds, counter);

    // Taken by another thread after we let go.
    bool taken = false;
    std::thread other([&] {
        CAutoLock guard(&lock);
        taken = CritCheckIn(&lock) != FALSE;
    });
    other.join();
    EXPECT_TRUE(taken);
}
