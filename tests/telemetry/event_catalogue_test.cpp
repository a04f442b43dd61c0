// The property fillers: members, order and the route facts they carry.
#include <gtest/gtest.h>

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <climits>
#include <string>

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

TEST(Catalogue, FillersAddTheirMembersInOrder) {
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
      {events::makeDownloadSource(RouteFacts()), R"({"ext_field":"aws"})"},
      {events::makeDownloadSource(RouteFacts{true, false}), R"({"ext_field":"res"})"},
      {events::makeDownloadDuration(95000, RouteFacts()), R"({"duration":95000,"ext_field":"aws_ie"})"},
      {events::makeDownloadDuration(7, RouteFacts{true, true}), R"({"duration":7,"ext_field":"res_ie"})"},
      {events::makeDownloadDuration(7, RouteFacts{false, false}), R"({"duration":7,"ext_field":"aws_curl"})"},
      {events::makeDownloadDuration(7, RouteFacts{true, false}), R"({"duration":7,"ext_field":"res_curl"})"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, filled(c.filler));
}

TEST(Catalogue, CancelTextCarriesPercentSecondsSourceAndStack) {
  EXPECT_EQ(L"37_95_aws_IE", events::cancelText(37, 95, RouteFacts()));
  EXPECT_EQ(L"0_-1_res_Curl", events::cancelText(0, -1, RouteFacts{true, false}));
  EXPECT_EQ(L"100_3_res_IE", events::cancelText(100, 3, RouteFacts{true, true}));
  EXPECT_EQ(L"5_60_aws_Curl", events::cancelText(5, 60, RouteFacts{false, false}));
}

}  // namespace
