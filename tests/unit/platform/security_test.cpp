#include "platform/security.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tessaro {
namespace {

using test_support::AllowedMaskFor;

// A descriptor granting (or revoking) the trustees, merged into |existing|.
std::unique_ptr<SecurityDescriptor> Build(std::initializer_list<std::pair<const wchar_t*, bool>> trustees,
                                          bool revoke = false, PSECURITY_DESCRIPTOR existing = nullptr) {
  AccessEntryList list(SUB_CONTAINERS_AND_OBJECTS_INHERIT, revoke);
  for (const auto& [trustee, isSidText] : trustees) EXPECT_TRUE(list.AddAccessEntry(trustee, isSidText)) << trustee;
  DWORD error = 12345;
  std::unique_ptr<SecurityDescriptor> descriptor = list.BuildSecurityDescriptor(existing, error);
  EXPECT_NE(descriptor, nullptr) << error;
  EXPECT_EQ(error, 12345u) << "success leaves the error alone";
  return descriptor;
}

TEST(AccessEntryList, GrantsByNameOrSidTextMergesRevokesAndSecuresARealFolder) {
  const auto base = Build({{L"Everyone", false}});
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(AllowedMaskFor(base->Dacl(), L"S-1-1-0"), static_cast<long long>(GENERIC_ALL));
  const auto merged = Build({{L"S-1-5-18", true}}, false, base->Get());
  ASSERT_NE(merged, nullptr);
  EXPECT_EQ(AllowedMaskFor(merged->Dacl(), L"S-1-1-0"), static_cast<long long>(GENERIC_ALL));
  EXPECT_EQ(AllowedMaskFor(merged->Dacl(), L"S-1-5-18"), static_cast<long long>(GENERIC_ALL));
  const auto revoked = Build({{L"Everyone", false}}, true, merged->Get());
  ASSERT_NE(revoked, nullptr);
  EXPECT_EQ(AllowedMaskFor(revoked->Dacl(), L"S-1-1-0"), -1);
  EXPECT_GE(AllowedMaskFor(revoked->Dacl(), L"S-1-5-18"), 0);

  // The descriptor is complete enough for the system to store on a new folder.
  test_support::ScratchFolder scratch;
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), merged->Get(), FALSE};
  const std::wstring folder = scratch / L"shared";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), &attributes)) << GetLastError();
  EXPECT_GE(test_support::StoredAllowedMaskFor(folder, L"S-1-1-0"), 0);
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
