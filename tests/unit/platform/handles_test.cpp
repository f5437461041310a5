#include "platform/handles.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

TEST(UniqueAny, ClosingKeepsTheLastErrorAndInvalidValuesDiffer) {
  UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  SetLastError(ERROR_FILE_NOT_FOUND);
  event.Reset();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(event);

  // A file handle is invalid as INVALID_HANDLE_VALUE, not as null.
  UniqueFile file;
  EXPECT_EQ(file.Get(), INVALID_HANDLE_VALUE);
  UniqueFindHandle find;
  EXPECT_FALSE(find);
}

TEST(UniqueAny, MovingTransfersOwnership) {
  UniqueHandle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE raw = first.Get();
  UniqueHandle second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(second.Get(), raw);
  EXPECT_TRUE(SetEvent(second.Get()));
}

}  // namespace
}  // namespace tessaro
