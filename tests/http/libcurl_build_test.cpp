// The libcurl the library is linked with: the release we build against, with the TLS back end
// each platform should use.
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
#ifdef _WIN32
  EXPECT_STREQ(info->version, "7.88.1");
  EXPECT_NE(std::string(info->ssl_version).find("Schannel"), std::string::npos)
      << info->ssl_version;
#endif
  bool http = false, https = false;
  for (const char* const* protocol = info->protocols; *protocol != nullptr; ++protocol) {
    http = http || std::string(*protocol) == "http";
    https = https || std::string(*protocol) == "https";
  }
  EXPECT_TRUE(http);
  EXPECT_TRUE(https);
}

}  // namespace
