// The libcurl the library is linked with: a release new enough, with TLS and both protocols.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LibcurlBuild, IsTheExpectedReleaseWithTls) {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  ASSERT_NE(info, nullptr);
  EXPECT_GE(info->version_num, 0x074400u);  // 7.68.0 or later
  EXPECT_TRUE(info->features & CURL_VERSION_SSL);
  ASSERT_NE(info->ssl_version, nullptr);
  bool http = false, https = false;
  for (const char* const* protocol = info->protocols; *protocol != nullptr; ++protocol) {
    http = http || std::string(*protocol) == "http";
    https = https || std::string(*protocol) == "https";
  }
  EXPECT_TRUE(http);
  EXPECT_TRUE(https);
}

}  // namespace
