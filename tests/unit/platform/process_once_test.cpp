#include "platform/process_once.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/handles.h"

namespace tessaro {
namespace {

// Threads released together all ask an empty cache at once: the value is
// computed exactly once, and every thread (the late ones included, which
// must wait for the slow first computation) sees that one value.
TEST(ProcessOnce, ComputedOnceWhenManyThreadsAskFirst) {
  struct Shared {
    ProcessOnce<std::vector<int>> cache;
    volatile LONG computations = 0;
    UniqueHandle start{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    const std::vector<int>* seen[8] = {};
  } shared;
  struct Arguments {
    Shared* shared;
    int index;
  } arguments[8];

  std::vector<UniqueHandle> threads;
  for (int i = 0; i < 8; ++i) {
    arguments[i] = {&shared, i};
    threads.emplace_back(CreateThread(
        nullptr, 0,
        // WINAPI: a thread entry is stdcall, which an i686 lambda is not by default.
        [](void* raw) WINAPI -> DWORD {
          auto* a = static_cast<Arguments*>(raw);
          WaitForSingleObject(a->shared->start.Get(), INFINITE);
          a->shared->seen[a->index] = &a->shared->cache.Get([a] {
            InterlockedIncrement(&a->shared->computations);
            Sleep(50);
            return std::vector<int>{1, 2, 3};
          });
          return 0;
        },
        &arguments[i], 0, nullptr));
    ASSERT_TRUE(threads.back().IsValid());
  }
  SetEvent(shared.start.Get());
  for (const UniqueHandle& thread : threads) WaitForSingleObject(thread.Get(), INFINITE);

  EXPECT_EQ(shared.computations, 1);
  for (const std::vector<int>* value : shared.seen) {
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(value, shared.seen[0]);
  }
}

}  // namespace
}  // namespace tessaro
