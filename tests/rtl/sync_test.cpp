#include "rtl/sync.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(Sync, MonitorIsReentrantAndExcludesOtherThreads) {
  TMonitorLock lock;
  lock.Enter();
  EXPECT_TRUE(lock.TryEnter());  // the holder may enter again
  lock.Leave();
  bool other_got_it = true;
  std::thread([&] { other_got_it = lock.TryEnter(); }).join();
  EXPECT_FALSE(other_got_it);
  lock.Leave();
  std::thread([&] {
    other_got_it = lock.TryEnter();
    if (other_got_it) lock.Leave();
  }).join();
  EXPECT_TRUE(other_got_it);

  // Guarded increments of a plain counter from several threads.
  int64_t counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        TMonitorGuard outer(lock);
        TMonitorGuard inner(lock);
        ++counter;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(counter, 40000);
}

TEST(Sync, AtomicOperationsReturnTheFrameworkResults) {
  int32_t count = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        AtomicIncrement(count);
        AtomicIncrement(count, 2);
        AtomicDecrement(count);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(count, 80000);
  EXPECT_EQ(AtomicIncrement(count), 80001);  // the new value
  EXPECT_EQ(AtomicDecrement(count, 80001), 0);
  EXPECT_EQ(AtomicExchange(count, 5), 0);  // the old value
  EXPECT_EQ(AtomicCmpExchange(count, 9, 4), 5);  // no match: unchanged
  EXPECT_EQ(count, 5);
  EXPECT_EQ(AtomicCmpExchange(count, 9, 5), 5);  // match: exchanged
  EXPECT_EQ(AtomicLoad(count), 9);
  int x = 1, y = 2;
  int* p = &x;
  EXPECT_EQ(AtomicCmpExchange(p, &y, &x), &x);
  EXPECT_EQ(p, &y);
}

}  // namespace
