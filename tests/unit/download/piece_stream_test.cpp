#include "download/piece_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/file_md5.h"
#include "download/file_sha256.h"

namespace tessaro {
namespace {

constexpr std::uint32_t kPieceBytes = 4096;

std::wstring TempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name + std::to_wstring(GetCurrentProcessId());
}

// Pieces of uneven sizes, many more than the stream has slots, after a
// resumed start: the file holds every byte in order, and the digests beside
// the writes are the file's own.
TEST(PieceStream, WritesEveryPieceInOrderAndHashesTheWholeFile) {
  const std::wstring path = TempPath(L"pieces");
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  DWORD written = 0;
  const char start[] = "resumed start";
  ASSERT_TRUE(WriteFile(file.Get(), start, sizeof start, &written, nullptr));
  DownloadDigests digests{true, true, {}, {}, {}};
  std::uint32_t next = 0;
  {
    PieceStream pieces(file.Get(), sizeof start, digests, kPieceBytes);
    for (int i = 0; i < 300; ++i) {
      std::uint8_t* piece = pieces.Piece();
      const DWORD size = 1 + (i * 977) % kPieceBytes;
      for (DWORD b = 0; b < size; ++b) piece[b] = static_cast<std::uint8_t>(next++ * 31 / 7);
      pieces.Filled(size);
    }
    ASSERT_EQ(pieces.Flush(), 0u);
    pieces.Finish(digests);
  }
  file.Reset();
  std::wstring md5, sha256;
  ASSERT_TRUE(FileMd5Hex(path, md5));
  ASSERT_TRUE(FileSha256Hex(path, sha256));
  EXPECT_EQ(digests.md5, md5);
  EXPECT_EQ(digests.sha256, sha256);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, sizeof start + next);
  DeleteFileW(path.c_str());
}

// A file that refuses writes: the first error is kept, the transfer is never
// left waiting for a slot, and no digests come of it.
TEST(PieceStream, KeepsTheFirstWriteErrorWithoutBlocking) {
  const std::wstring path = TempPath(L"refused");
  UniqueFile(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  DownloadDigests digests{true, false, {}, {}, {}};
  PieceStream pieces(file.Get(), 0, digests, kPieceBytes);
  for (int i = 0; i < 40; ++i) {
    (void)pieces.Piece();
    pieces.Filled(kPieceBytes);
  }
  EXPECT_EQ(pieces.Flush(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(pieces.WriteError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  file.Reset();
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace tessaro
