#include "platform/security.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include "platform_scratch.h"

namespace tessaro {
namespace {

using testing::ScratchFolder;

constexpr DWORD kInherit = SUB_CONTAINERS_AND_OBJECTS_INHERIT;

// The access mask of the allowed entries for |sidText| in |dacl|; -1 when none.
long long AllowedMaskFor(PACL dacl, const wchar_t* sidText) {
  PSID sid = nullptr;
  if (dacl == nullptr || !ConvertStringSidToSidW(sidText, &sid)) return -1;
  long long mask = -1;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(dacl, index, &ace)) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    if (EqualSid(const_cast<DWORD*>(&allowed->SidStart), sid)) mask = (mask < 0 ? 0 : mask) | allowed->Mask;
  }
  LocalFree(sid);
  return mask;
}

TEST(AccessEntryList, GrantsByAccountNameAndBySidText) {
  AccessEntryList list(kInherit, false);
  ASSERT_TRUE(list.AddAccessEntry(L"Everyone", false));
  ASSERT_TRUE(list.AddAccessEntry(L"S-1-5-18", true));
  DWORD error = 12345;
  std::unique_ptr<SecurityDescriptor> descriptor = list.BuildSecurityDescriptor(nullptr, error);
  ASSERT_NE(descriptor, nullptr) << error;
  EXPECT_EQ(error, 12345u);
  EXPECT_TRUE(IsValidSecurityDescriptor(descriptor->Get()));
  EXPECT_EQ(AllowedMaskFor(descriptor->Dacl(), L"S-1-1-0"), static_cast<long long>(GENERIC_ALL));
  EXPECT_EQ(AllowedMaskFor(descriptor->Dacl(), L"S-1-5-18"), static_cast<long long>(GENERIC_ALL));

  BOOL present = FALSE;
  BOOL defaulted = TRUE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor->Get(), &present, &dacl, &defaulted));
  EXPECT_TRUE(present);
  EXPECT_EQ(dacl, descriptor->Dacl());

  // Moving hands the DACL over.
  SecurityDescriptor moved(std::move(*descriptor));
  EXPECT_EQ(descriptor->Dacl(), nullptr);
  EXPECT_EQ(moved.Dacl(), dacl);
}

TEST(AccessEntryList, DescriptorCreatesARealFolder) {
  AccessEntryList list(kInherit, false);
  ASSERT_TRUE(list.AddAccessEntry(L"S-1-1-0", true));
  DWORD error = 0;
  std::unique_ptr<SecurityDescriptor> descriptor = list.BuildSecurityDescriptor(nullptr, error);
  ASSERT_NE(descriptor, nullptr) << error;

  ScratchFolder scratch;
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor->Get(), FALSE};
  const std::wstring folder = scratch / L"shared";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), &attributes)) << GetLastError();

  DWORD needed = 0;
  GetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
  ASSERT_GT(needed, 0u);
  std::vector<std::uint64_t> buffer(needed / 8 + 1);
  ASSERT_TRUE(GetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, buffer.data(), needed, &needed));
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(buffer.data(), &present, &dacl, &defaulted));
  EXPECT_GE(AllowedMaskFor(dacl, L"S-1-1-0"), 0);
}

TEST(AccessEntryList, MergesIntoAnExistingDescriptorAndRevokes) {
  AccessEntryList first(kInherit, false);
  ASSERT_TRUE(first.AddAccessEntry(L"S-1-1-0", true));
  DWORD error = 0;
  std::unique_ptr<SecurityDescriptor> base = first.BuildSecurityDescriptor(nullptr, error);
  ASSERT_NE(base, nullptr);

  AccessEntryList second(kInherit, false);
  ASSERT_TRUE(second.AddAccessEntry(L"S-1-5-18", true));
  std::unique_ptr<SecurityDescriptor> merged = second.BuildSecurityDescriptor(base->Get(), error);
  ASSERT_NE(merged, nullptr);
  EXPECT_GE(AllowedMaskFor(merged->Dacl(), L"S-1-1-0"), 0);
  EXPECT_GE(AllowedMaskFor(merged->Dacl(), L"S-1-5-18"), 0);

  AccessEntryList revoke(kInherit, true);
  ASSERT_TRUE(revoke.AddAccessEntry(L"Everyone", false));
  std::unique_ptr<SecurityDescriptor> revoked = revoke.BuildSecurityDescriptor(merged->Get(), error);
  ASSERT_NE(revoked, nullptr);
  EXPECT_EQ(AllowedMaskFor(revoked->Dacl(), L"S-1-1-0"), -1);
  EXPECT_GE(AllowedMaskFor(revoked->Dacl(), L"S-1-5-18"), 0);
}

TEST(AccessEntryList, RejectsUnknownTrusteesAndNeverBuildsAnOpenDescriptor) {
  AccessEntryList list(kInherit, false);
  EXPECT_FALSE(list.AddAccessEntry(L"No Such Account Anywhere", false));
  EXPECT_FALSE(list.AddAccessEntry(L"S-not-a-sid", true));
  EXPECT_FALSE(list.AddAccessEntry(L"", true));
  EXPECT_FALSE(list.AddAccessEntry(std::wstring(40000, L'a'), false));

  // Nothing to put in the DACL: no descriptor, rather than one that lets everyone in.
  DWORD error = 0;
  EXPECT_EQ(list.BuildSecurityDescriptor(nullptr, error), nullptr);
  EXPECT_NE(error, 0u);
}

}  // namespace
}  // namespace tessaro
