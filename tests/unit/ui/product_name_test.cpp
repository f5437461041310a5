#include "ui/product_name.h"

#include <gtest/gtest.h>

#include "test_binaries.h"

namespace tessaro {
namespace {

using testbin::BinaryPath;

TEST(ProductName, ReadUnderTheFirstListedTranslationOrUsEnglish1250) {
  EXPECT_EQ(ReadProductName(BinaryPath(L"tessaro.exe")), L"Tessaro");
  // Listed first is German, although a US English block exists as well.
  EXPECT_EQ(ReadProductName(BinaryPath(L"string_table.exe")), L"Deutscher Name");
  // No translation listed at all.
  EXPECT_EQ(ReadProductName(BinaryPath(L"untranslated_version.exe")), L"Fallback Name");
  for (const std::wstring& nothing :
       {BinaryPath(L"plain_program.exe"), BinaryPath(L"no_such.exe"), std::wstring()}) {
    EXPECT_EQ(ReadProductName(nothing), L"");
  }
}

TEST(ProductName, WindowTitleFromTheProgramsOwnText) {
  const UniqueModule program = testbin::LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);
  EXPECT_EQ(MakeWindowTitle(program.Get(), L"Tessaro"), L"Tessaro Setup");
  EXPECT_EQ(MakeWindowTitle(program.Get(), L""), L" Setup");
}

}  // namespace
}  // namespace tessaro
