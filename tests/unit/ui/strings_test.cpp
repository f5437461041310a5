#include "ui/strings.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tessaro {
namespace {

TEST(ResStrings, MissingIdGivesEmptyTextLongTextIsCutAndEveryPlaceholderFilled) {
  const UniqueModule program = test_support::LoadAsData(L"tessaro.exe");
  const UniqueModule table = test_support::LoadAsData(L"string_table.exe");
  ASSERT_TRUE(program && table) << "the programs must be built beside the tests";
  EXPECT_EQ(LoadResString(program.Get(), 279), L"");
  const std::wstring text = LoadResString(table.Get(), 1);
  ASSERT_EQ(text.size(), static_cast<std::size_t>(kResStringBufferLength - 1));
  EXPECT_EQ(text.substr(0, 3), L"abc");
  EXPECT_EQ(text.back(), static_cast<wchar_t>(L'a' + (kResStringBufferLength - 2) % 26));
  EXPECT_EQ(FormatResText(LoadResString(table.Get(), 2), L"Setup"), L"100% of Setup done");

  // The argument is inserted as it is, never read as a format itself; a lone
  // "%" at the end or before another letter stays.
  EXPECT_EQ(FormatResText(L"Downloading %s", L"50%s %% off"), L"Downloading 50%s %% off");
  EXPECT_EQ(FormatResText(L"%s and %s", L"x"), L"x and x");
  EXPECT_EQ(FormatResText(L"100% %d %", L"x"), L"100% %d %");
}

}  // namespace
}  // namespace tessaro
