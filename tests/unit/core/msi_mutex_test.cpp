// The wait while an installation holds the mutex runs end to end; here are
// the outcomes a running installer cannot be made to produce on demand.
#include "core/msi_mutex.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/handles.h"
#include "test_support.h"

namespace tessaro {
namespace {

// A private name each time, so that nothing real (or another test) interferes.
std::wstring UniqueMutexName() { return test_support::UniqueName(L"TessaroTestMutex"); }

TEST(InstallerMutex, AbsentMutexMeansGoOnAbandonedOrForeignObjectSkipsTheRun) {
  EXPECT_EQ(WaitForInstallerIdle(UniqueMutexName().c_str()), InstallerWait::Proceed);
  // The owner ends without releasing: the next wait reports abandonment.
  const std::wstring abandoned = UniqueMutexName();
  UniqueHandle keep;
  std::thread([&] { keep.Reset(CreateMutexW(nullptr, TRUE, abandoned.c_str())); }).join();
  ASSERT_TRUE(keep);
  EXPECT_EQ(WaitForInstallerIdle(abandoned.c_str()), InstallerWait::Skip);
  // The wait took it all the same, and gave it back.
  DWORD taken = WAIT_FAILED;
  std::thread([&] { taken = WaitForSingleObject(keep.Get(), 0); }).join();
  EXPECT_EQ(taken, WAIT_OBJECT_0);

  // Opening fails with an error other than "not found".
  const std::wstring foreign = UniqueMutexName();
  UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, foreign.c_str()));
  ASSERT_TRUE(event);
  EXPECT_EQ(WaitForInstallerIdle(foreign.c_str()), InstallerWait::Skip);
}

}  // namespace
}  // namespace tessaro
