// The MD5 and GUID texts.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "telemetry/text_ids.h"

namespace {

TEST(Md5Text, Rfc1321TestSuite) {
  struct Case {
    const char* input;
    const char* digest;
  };
  const Case cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.digest, telemetry::md5Text(c.input)) << '"' << c.input << '"';
}

TEST(Md5Text, HashesEveryByteIncludingZerosAndHighBytes) {
  // A text cut at the first zero byte, or high bytes sign-extended, would change these.
  EXPECT_EQ("93b885adfe0da089cdf634904fd59f71", telemetry::md5Text(std::string(1, '\0')));
  EXPECT_EQ("00594fd4f42ba43fc1ca0427a0576295", telemetry::md5Text(std::string(1, '\xff')));
}

TEST(GuidText, FormatWithTheThirdGroupInLowerCase) {
  std::set<std::string> seen;
  const std::regex shape("[0-9A-F]{8}_[0-9A-F]{4}_[0-9a-f]{4}_[0-9A-F]{4}_[0-9A-F]{12}");
  for (int i = 0; i < 50; ++i) {
    std::string text = telemetry::guidText();
    EXPECT_TRUE(std::regex_match(text, shape)) << text;
    seen.insert(text);
  }
  EXPECT_EQ(50u, seen.size());
}

}  // namespace
