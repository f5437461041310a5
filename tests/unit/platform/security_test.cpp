#include "platform/security.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tessaro {
namespace {

using test_support::AllowedMaskFor;

TEST(AccessEntryList, GrantsByNameOrSidTextMergesRevokesAndSecuresARealFolder) {
  AccessEntryList list(SUB_CONTAINERS_AND_OBJECTS_INHERIT, false);
  EXPECT_TRUE(list.AddAccessEntry(L"Everyone", false));
  EXPECT_TRUE(list.AddAccessEntry(L"S-1-5-18", true));
  DWORD error = 12345;
  const std::unique_ptr<SecurityDescriptor> descriptor = list.BuildSecurityDescriptor(nullptr, error);
  ASSERT_NE(descriptor, nullptr) << error;
  EXPECT_EQ(error, 12345u) << "success leaves the error alone";
  EXPECT_EQ(AllowedMaskFor(descriptor->Dacl(), L"S-1-1-0"), static_cast<long long>(GENERIC_ALL));
  EXPECT_EQ(AllowedMaskFor(descriptor->Dacl(), L"S-1-5-18"), static_cast<long long>(GENERIC_ALL));
  // Revoking one of them, merged into that descriptor, keeps the other.
  AccessEntryList revoke(SUB_CONTAINERS_AND_OBJECTS_INHERIT, true);
  EXPECT_TRUE(revoke.AddAccessEntry(L"Everyone", false));
  const std::unique_ptr<SecurityDescriptor> revoked = revoke.BuildSecurityDescriptor(descriptor->Get(), error);
  ASSERT_NE(revoked, nullptr) << error;
  EXPECT_EQ(AllowedMaskFor(revoked->Dacl(), L"S-1-1-0"), -1);
  EXPECT_GE(AllowedMaskFor(revoked->Dacl(), L"S-1-5-18"), 0);

  // The descriptor is complete enough for the system to store on a new folder.
  test_support::ScratchFolder scratch;
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor->Get(), FALSE};
  const std::wstring folder = scratch / L"shared";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), &attributes)) << GetLastError();
  EXPECT_GE(test_support::StoredAllowedMaskFor(folder, L"S-1-1-0"), 0);
}

TEST(AccessEntryList, RejectsUnknownTrusteesAndNeverBuildsAnOpenDescriptor) {
  AccessEntryList list(SUB_CONTAINERS_AND_OBJECTS_INHERIT, false);
  EXPECT_FALSE(list.AddAccessEntry(L"No Such Account Anywhere", false));
  EXPECT_FALSE(list.AddAccessEntry(L"S-not-a-sid", true));
  EXPECT_FALSE(list.AddAccessEntry(L"", true));  // names nobody, whatever the system makes of it

  // Nothing to put in the DACL: no descriptor, rather than one that lets everyone in.
  DWORD error = 0;
  EXPECT_EQ(list.BuildSecurityDescriptor(nullptr, error), nullptr);
  EXPECT_NE(error, 0u);
}

}  // namespace
}  // namespace tessaro
