// Texts from the program's resources. The product's own name, and the title
// made from it, show in the basic-UI scenarios; these are the other layouts
// of a version resource and the edges of the string table.
#include <gtest/gtest.h>

#include "test_support.h"
#include "ui/product_name.h"
#include "ui/strings.h"

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
}

using test_support::BinPath;

TEST(ProductName, ReadUnderTheFirstListedTranslationOrUsEnglish1250) {
  // Listed first is German, although a US English block exists as well.
  EXPECT_EQ(ReadProductName(BinPath(L"string_table.exe")), L"Deutscher Name");
  EXPECT_EQ(ReadProductName(BinPath(L"untranslated_version.exe")), L"Fallback Name");  // none listed
  for (const std::wstring& nothing :
       {BinPath(L"plain_program.exe"), BinPath(L"no_such.exe"), std::wstring()}) {
    EXPECT_EQ(ReadProductName(nothing), L"");
  }
}

}  // namespace
}  // namespace tessaro
