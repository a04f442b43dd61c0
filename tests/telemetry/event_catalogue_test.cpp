// The property fillers: members, order and the flags they read when they run.
#include <gtest/gtest.h>

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <climits>
#include <string>

#include "identity/config_imp.h"
#include "telemetry/event_catalogue.h"

namespace {

std::string filled(const PropertiesFiller& filler) {
  rapidjson::Document doc(rapidjson::kObjectType);
  filler(doc, doc.GetAllocator());
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  doc.Accept(writer);
  return buffer.GetString();
}

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { ConfigImp::instance().resetForTest(); }
  void TearDown() override { ConfigImp::instance().resetForTest(); }
};

TEST_F(CatalogueTest, FillersAddTheirMembersInOrder) {
  struct Case {
    PropertiesFiller filler;
    const char* expected;
  } cases[] = {
      {events::makeExtField(L"notDownload"), R"({"ext_field":"notDownload"})"},
      {events::makeExtField(L"caf\x00e9"), "{\"ext_field\":\"caf\xc3\xa9\"}"},
      {events::makeFailureReason(L"timeout"), R"({"failure_reason":"timeout"})"},
      {events::makeErrorCodeReason(5), R"({"failure_reason":"errorcode_5"})"},
      {events::makeErrorCodeReason(-2), R"({"failure_reason":"errorcode_-2"})"},
      {events::makePackageErrorReason(2), R"({"failure_reason":"package_error_2"})"},
      {events::makePackageErrorReason(0xFFFFFFFFu), R"({"failure_reason":"package_error_4294967295"})"},
      {events::makeCodePairReason(9999, 0), R"({"failure_reason":"9999_0"})"},
      {events::makeCodePairReason(12029, -1), R"({"failure_reason":"12029_-1"})"},
      {events::makeDuration(1234), R"({"duration":1234})"},
      {events::makeDuration(INT_MIN), R"({"duration":-2147483648})"},
      {events::makeDownloadSource(), R"({"ext_field":"aws"})"},
      {events::makeDownloadDuration(95000), R"({"duration":95000,"ext_field":"aws_ie"})"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, filled(c.filler));
}

TEST_F(CatalogueTest, DownloadFieldsAreReadWhenTheFillerRuns) {
  PropertiesFiller source = events::makeDownloadSource();
  PropertiesFiller duration = events::makeDownloadDuration(7);
  ConfigImp::instance().setResourceCdn(true);
  EXPECT_EQ(R"({"ext_field":"res"})", filled(source));
  EXPECT_EQ(R"({"duration":7,"ext_field":"res_ie"})", filled(duration));
  ConfigImp::instance().setWininetDownloader(false);
  EXPECT_EQ(R"({"duration":7,"ext_field":"res_curl"})", filled(duration));
}

TEST_F(CatalogueTest, CancelTextCarriesPercentSecondsSourceAndStack) {
  EXPECT_EQ(L"37_95_aws_IE", events::cancelText(37, 95));
  ConfigImp::instance().setResourceCdn(true);
  ConfigImp::instance().setWininetDownloader(false);
  EXPECT_EQ(L"0_-1_res_Curl", events::cancelText(0, -1));
}

}  // namespace
