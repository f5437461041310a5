// Start-up as no run drives it: a configuration in UTF-16 beyond the Basic
// Multilingual Plane or that is there but cannot be read, and an installer
// mutex that is abandoned or is not a mutex at all.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "core/config_path.h"
#include "core/msi_mutex.h"
#include "platform/handles.h"
#include "test_support.h"

namespace tessaro {
namespace {

// Surrogate halves and code units above U+00FF come through the reader
// intact; a file held without read sharing, or a folder of the file's name,
// is found but unreadable and gives no sections.
TEST(ConfigFile, ReadsUtf16AfterTheMarkAndTellsAbsentFromUnreadable) {
  const test_support::ScratchFolder folder;
  const std::wstring path = folder / L"setup.ini";
  ConfigDocument document;
  EXPECT_EQ(ReadConfigFile(path, document), ConfigFileRead::Absent);

  const std::wstring value = L"C:\\D\xE9j\xE0\\\xD83D\xDE00\\\x4E2D\x6587";
  const std::wstring units = L"\xFEFF[\x4E2D\x6587]\r\nDownloadFolder=" + value + L"\r\n";  // UTF-16LE here
  test_support::MakeFile(path, FILE_ATTRIBUTE_NORMAL,
                         std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2));
  EXPECT_EQ(ReadConfigFile(path, document), ConfigFileRead::Read);
  std::wstring read;
  EXPECT_TRUE(document.GetValue(L"\x4E2D\x6587", L"DownloadFolder", read) && read == value);
  {
    const UniqueFile locked(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked);
    ConfigDocument unread;
    EXPECT_EQ(ReadConfigFile(path, unread), ConfigFileRead::Unreadable);
    EXPECT_TRUE(unread.Sections().empty());
  }
  ASSERT_TRUE(DeleteFileW(path.c_str()) && CreateDirectoryW(path.c_str(), nullptr));
  ConfigDocument unread;
  EXPECT_EQ(ReadConfigFile(path, unread), ConfigFileRead::Unreadable);
}

// Private names, so that nothing real (or another test) interferes.
TEST(InstallerMutex, AbandonedOrForeignObjectSkipsTheRun) {
  // The owner ends without releasing: the next wait reports abandonment.
  const std::wstring abandoned = test_support::UniqueName(L"TessaroTestMutex");
  UniqueHandle keep;
  std::thread([&] { keep.Reset(CreateMutexW(nullptr, TRUE, abandoned.c_str())); }).join();
  ASSERT_TRUE(keep);
  EXPECT_EQ(WaitForInstallerIdle(abandoned.c_str()), InstallerWait::Skip);
  // The wait took it all the same, and gave it back.
  DWORD taken = WAIT_FAILED;
  std::thread([&] { taken = WaitForSingleObject(keep.Get(), 0); }).join();
  EXPECT_EQ(taken, WAIT_OBJECT_0);

  // Opening fails with an error other than "not found".
  const std::wstring foreign = test_support::UniqueName(L"TessaroTestMutex");
  UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, foreign.c_str()));
  ASSERT_TRUE(event);
  EXPECT_EQ(WaitForInstallerIdle(foreign.c_str()), InstallerWait::Skip);
}

}  // namespace
}  // namespace tessaro
