// Only web addresses from the service documents are opened; anything else falls back to
// the language table's link.
#include <gtest/gtest.h>

#include "skin/language_table.h"
#include "tests/ui/box_fixture.h"
#include "ui/customer_link.h"

namespace {

TEST(CustomerLinkTest, OnlyWebAddressesFromTheDocumentsAreOpened) {
  boxes::setUpSkin();
  const std::wstring table = lookupText(L"customerLink").value_or(L"");
  ASSERT_TRUE(msg::isWebAddress(table)) << "the packed table's link: " << std::string(table.begin(), table.end());
  for (const wchar_t* good : {L"https://support.example.com/help?id=3", L"http://example.com", L"HTTPS://Example.com/x"}) {
    EXPECT_EQ(good, msg::customerLinkToOpen(good));
  }
  for (const wchar_t* bad :
       {L"file:///C:/x.exe", L"C:\\x.exe", L"\\\\host\\share", L"javascript:alert(1)", L"javascript:", L"x.exe",
        L"http:\\\\host\\share\\x.exe", L"https:///C:/x.exe", L"http://", L"ftp://example.com/x.exe",
        L"https://example.com/a b.exe", L"https://example.com/\nC:\\x.exe", L" https://example.com"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(bad)));
    EXPECT_FALSE(msg::isWebAddress(bad));
    EXPECT_EQ(table, msg::customerLinkToOpen(bad));
  }
  // No link from the documents: the table's.
  EXPECT_EQ(table, msg::customerLinkToOpen(L""));
}

TEST(CustomerLinkTest, TheSeamReceivesWhatWouldBeOpened) {
  boxes::setUpSkin();
  std::vector<std::wstring> opened;
  msg::setAddressOpener([&opened](const std::wstring& address) { opened.push_back(address); });
  msg::openCustomerLink(L"");  // no link from the documents
  msg::setAddressOpener(nullptr);
  ASSERT_EQ(1u, opened.size());
  EXPECT_EQ(lookupText(L"customerLink").value_or(L""), opened[0]);
}

}  // namespace
