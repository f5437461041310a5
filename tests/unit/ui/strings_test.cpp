#include "ui/strings.h"

#include <gtest/gtest.h>

#include "test_binaries.h"

namespace tessaro {
namespace {

using testbin::LoadAsData;

TEST(ResStrings, ProgramCarriesEveryTextItQuotes) {
  const UniqueModule program = LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program) << "tessaro.exe must be built beside the tests";
  const std::pair<UINT, const wchar_t*> expected[] = {
      {153, L"Installing %s"},
      {161, L"%s Setup"},
      {198, L"Opening site of %s"},
      {199, L"Downloading %s"},
      {217, L"Confirmation"},
      {220, L"Preparing..."},
      {223, L"Searching for prerequisites..."},
      {276, L"%s mandatory prerequisite was not correctly installed."},
      {216,
       L"You must reboot your computer in order to continue the installation. Press Yes to restart now "
       L"or press No to abort the installation and manually restart later."}};
  for (const auto& [id, text] : expected) EXPECT_EQ(LoadResString(program.Get(), id), text) << id;
  // Named ids and numbers must agree, or the code asks for the wrong text.
  EXPECT_EQ(LoadResString(program.Get(), IDS_WINDOW_TITLE), L"%s Setup");
  EXPECT_EQ(LoadResString(program.Get(), IDS_MANDATORY_FAILED), expected[7].second);
}

TEST(ResStrings, MissingIdGivesEmptyTextLongTextIsCutToTheBuffer) {
  const UniqueModule program = LoadAsData(L"tessaro.exe");
  const UniqueModule table = LoadAsData(L"string_table.exe");
  ASSERT_TRUE(program && table);
  EXPECT_EQ(LoadResString(program.Get(), 128), L"");
  EXPECT_EQ(LoadResString(program.Get(), 279), L"");
  // The test program itself has no string table at all.
  EXPECT_EQ(LoadResString(IDS_PREPARING), L"");

  const std::wstring text = LoadResString(table.Get(), 1);
  ASSERT_EQ(text.size(), static_cast<std::size_t>(kResStringBufferLength - 1));
  EXPECT_EQ(text.substr(0, 3), L"abc");
  EXPECT_EQ(text.back(), static_cast<wchar_t>(L'a' + (kResStringBufferLength - 2) % 26));
  EXPECT_EQ(FormatResText(LoadResString(table.Get(), 2), L"Setup"), L"100% of Setup done");
}

TEST(ResStrings, FormatFillsEveryPlaceholder) {
  EXPECT_EQ(FormatResText(L"Installing %s", L"Runtime 4.8"), L"Installing Runtime 4.8");
  EXPECT_EQ(FormatResText(L"%s Setup", L""), L" Setup");
  // The argument is inserted as it is, never read as a format itself.
  EXPECT_EQ(FormatResText(L"Downloading %s", L"50%s %% off"), L"Downloading 50%s %% off");
  EXPECT_EQ(FormatResText(L"%s and %s", L"x"), L"x and x");
  // A lone "%" at the end or before another letter stays.
  EXPECT_EQ(FormatResText(L"100% %d %", L"x"), L"100% %d %");
}

}  // namespace
}  // namespace tessaro
