#include "ui/product_name.h"

#include <gtest/gtest.h>

#include "test_binaries.h"

namespace tessaro {
namespace {

using testbin::BinaryPath;
using testbin::LoadAsData;

TEST(ProductName, ProgramNamesItselfInTheTitle) {
  EXPECT_EQ(ReadProductName(BinaryPath(L"tessaro.exe")), L"Tessaro");
  const UniqueModule program = LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);
  EXPECT_EQ(MakeWindowTitle(program.Get(), ReadProductName(BinaryPath(L"tessaro.exe"))), L"Tessaro Setup");
  EXPECT_EQ(MakeWindowTitle(program.Get(), L""), L" Setup");
}

TEST(ProductName, ReadsUnderTheFirstListedTranslation) {
  // Listed first is German, although a US English block exists as well.
  EXPECT_EQ(ReadProductName(BinaryPath(L"string_table.exe")), L"Deutscher Name");
}

TEST(ProductName, FallsBackToUsEnglishCodePage1250WhenNoneIsListed) {
  EXPECT_EQ(ReadProductName(BinaryPath(L"untranslated_version.exe")), L"Fallback Name");
}

TEST(ProductName, NothingToReadGivesEmptyName) {
  EXPECT_EQ(ReadProductName(BinaryPath(L"plain_program.exe")), L"");
  EXPECT_EQ(ReadProductName(BinaryPath(L"no_such_program.exe")), L"");
  EXPECT_EQ(ReadProductName(L""), L"");
}

}  // namespace
}  // namespace tessaro
