// The libcurl linked into the Windows DLL: the release built from Debian's source, with the
// platform's own TLS.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LibcurlBuild, IsDebiansReleaseWithSchannel) {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info->version, "7.88.1");
  ASSERT_NE(info->ssl_version, nullptr);
  EXPECT_NE(std::string(info->ssl_version).find("Schannel"), std::string::npos)
      << info->ssl_version;
}

// Proxies that ask for a Windows login are answered as the current user, through SSPI.
TEST(LibcurlBuild, LogsInToProxiesThroughSspi) {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  ASSERT_NE(info, nullptr);
  EXPECT_NE(info->features & CURL_VERSION_SSPI, 0);
  EXPECT_NE(info->features & CURL_VERSION_NTLM, 0);
  EXPECT_NE(info->features & CURL_VERSION_SPNEGO, 0);
}

}  // namespace
