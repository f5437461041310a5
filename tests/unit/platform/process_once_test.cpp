#include "platform/process_once.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

#include "platform/handles.h"

namespace tessaro {
namespace {

// Threads released together all ask an empty cache at once: the value is
// computed exactly once, and every thread (the late ones included, which
// must wait for the slow first computation) sees that one value.
TEST(ProcessOnce, ComputedOnceWhenManyThreadsAskFirst) {
  ProcessOnce<std::vector<int>> cache;
  volatile LONG computations = 0;
  const UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const std::vector<int>* seen[8] = {};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      WaitForSingleObject(start.Get(), INFINITE);
      seen[i] = &cache.Get([&] {
        InterlockedIncrement(&computations);
        Sleep(50);
        return std::vector<int>{1, 2, 3};
      });
    });
  }
  SetEvent(start.Get());
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(computations, 1);
  for (const std::vector<int>* value : seen) {
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(value, seen[0]);
  }
}

}  // namespace
}  // namespace tessaro
