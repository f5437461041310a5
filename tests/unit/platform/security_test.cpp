#include "platform/security.h"

#include <gtest/gtest.h>

#include "platform_scratch.h"

namespace tessaro {
namespace {

using testing::AllowedMaskFor;

// A descriptor granting (or revoking) the SID texts, merged into |existing|.
std::unique_ptr<SecurityDescriptor> Build(std::initializer_list<const wchar_t*> sids, bool revoke = false,
                                          PSECURITY_DESCRIPTOR existing = nullptr) {
  AccessEntryList list(SUB_CONTAINERS_AND_OBJECTS_INHERIT, revoke);
  for (const wchar_t* sid : sids) EXPECT_TRUE(list.AddAccessEntry(sid, true)) << sid;
  DWORD error = 12345;
  std::unique_ptr<SecurityDescriptor> descriptor = list.BuildSecurityDescriptor(existing, error);
  EXPECT_NE(descriptor, nullptr) << error;
  EXPECT_EQ(error, 12345u) << "success leaves the error alone";
  return descriptor;
}

TEST(AccessEntryList, GrantsByAccountNameAndBySidText) {
  AccessEntryList list(SUB_CONTAINERS_AND_OBJECTS_INHERIT, false);
  ASSERT_TRUE(list.AddAccessEntry(L"Everyone", false));
  ASSERT_TRUE(list.AddAccessEntry(L"S-1-5-18", true));
  DWORD error = 0;
  std::unique_ptr<SecurityDescriptor> descriptor = list.BuildSecurityDescriptor(nullptr, error);
  ASSERT_NE(descriptor, nullptr) << error;
  EXPECT_TRUE(IsValidSecurityDescriptor(descriptor->Get()));
  EXPECT_EQ(AllowedMaskFor(descriptor->Dacl(), L"S-1-1-0"), static_cast<long long>(GENERIC_ALL));
  EXPECT_EQ(AllowedMaskFor(descriptor->Dacl(), L"S-1-5-18"), static_cast<long long>(GENERIC_ALL));

  BOOL present = FALSE;
  BOOL defaulted = TRUE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor->Get(), &present, &dacl, &defaulted));
  EXPECT_TRUE(present);
  EXPECT_EQ(dacl, descriptor->Dacl());
}

TEST(AccessEntryList, MergesIntoAnExistingDescriptorAndRevokes) {
  const auto base = Build({L"S-1-1-0"});
  ASSERT_NE(base, nullptr);
  const auto merged = Build({L"S-1-5-18"}, false, base->Get());
  ASSERT_NE(merged, nullptr);
  EXPECT_GE(AllowedMaskFor(merged->Dacl(), L"S-1-1-0"), 0);
  EXPECT_GE(AllowedMaskFor(merged->Dacl(), L"S-1-5-18"), 0);

  AccessEntryList revoke(SUB_CONTAINERS_AND_OBJECTS_INHERIT, true);
  ASSERT_TRUE(revoke.AddAccessEntry(L"Everyone", false));
  DWORD error = 0;
  const auto revoked = revoke.BuildSecurityDescriptor(merged->Get(), error);
  ASSERT_NE(revoked, nullptr) << error;
  EXPECT_EQ(AllowedMaskFor(revoked->Dacl(), L"S-1-1-0"), -1);
  EXPECT_GE(AllowedMaskFor(revoked->Dacl(), L"S-1-5-18"), 0);
}

TEST(AccessEntryList, DescriptorCreatesARealFolder) {
  const auto descriptor = Build({L"S-1-1-0"});
  ASSERT_NE(descriptor, nullptr);
  testing::ScratchFolder scratch;
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor->Get(), FALSE};
  const std::wstring folder = scratch / L"shared";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), &attributes)) << GetLastError();

  EXPECT_GE(testing::StoredAllowedMaskFor(folder, L"S-1-1-0"), 0);
}

TEST(AccessEntryList, RejectsUnknownTrusteesAndNeverBuildsAnOpenDescriptor) {
  AccessEntryList list(SUB_CONTAINERS_AND_OBJECTS_INHERIT, false);
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
