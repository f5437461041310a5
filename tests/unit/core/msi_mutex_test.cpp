#include "core/msi_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/handles.h"

namespace tessaro {
namespace {

// A private name per test, so that nothing real (or another test) interferes.
std::wstring UniqueMutexName() {
  static int counter = 0;
  return L"TessaroTestMutex_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
}

TEST(InstallerMutex, AbsentMutexMeansGoOn) {
  EXPECT_EQ(WaitForInstallerIdle(UniqueMutexName().c_str()), InstallerWait::Proceed);
}

TEST(InstallerMutex, WaitsUntilTheHolderReleases) {
  const std::wstring name = UniqueMutexName();
  UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<bool> released{false};
  std::thread holder([&] {
    UniqueHandle mutex(CreateMutexW(nullptr, TRUE, name.c_str()));
    SetEvent(held.Get());
    Sleep(300);
    released = true;
    ReleaseMutex(mutex.Get());
    // Keep the object alive until the waiter has its own handle for sure.
    Sleep(300);
  });
  ASSERT_EQ(WaitForSingleObject(held.Get(), 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForInstallerIdle(name.c_str()), InstallerWait::Proceed);
  EXPECT_TRUE(released) << "returned while the mutex was still held";
  holder.join();
}

TEST(InstallerMutex, AbandonedMutexSkipsTheRun) {
  const std::wstring name = UniqueMutexName();
  UniqueHandle keep;
  // The owner ends without releasing: the next wait reports abandonment.
  std::thread owner([&] { keep.Reset(CreateMutexW(nullptr, TRUE, name.c_str())); });
  owner.join();
  ASSERT_TRUE(keep);
  EXPECT_EQ(WaitForInstallerIdle(name.c_str()), InstallerWait::Skip);
}

TEST(InstallerMutex, OtherObjectUnderTheNameSkipsTheRun) {
  // Opening fails with an error other than "not found".
  const std::wstring name = UniqueMutexName();
  UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
  ASSERT_TRUE(event);
  EXPECT_EQ(WaitForInstallerIdle(name.c_str()), InstallerWait::Skip);
}

}  // namespace
}  // namespace tessaro
