#include "http/static_proxy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace llmbridge {
namespace {

// Windows' static settings read for one URL: per-scheme entries, the socks fallback, and the
// bypass list with its wildcards, ports, schemes and <local>.
TEST(StaticProxy, SettingsAreReadPerSchemeWithTheBypassList) {
  struct Case {
    StaticProxySettings settings;
    std::string url;
    std::string proxy;  // "" for direct
  };
  const std::vector<Case> cases = {
      {{false, "p:8080", ""}, "http://a.example/", ""},
      {{true, "p:8080", ""}, "https://a.example/v1", "http://p:8080"},
      {{true, "http=h:1;https=s:2", ""}, "https://a.example/", "http://s:2"},
      {{true, "http=h:1;https=s:2", ""}, "http://a.example/", "http://h:1"},
      {{true, "http=h:1; socks=k:3", ""}, "https://a.example/", "socks4://k:3"},
      {{true, "ftp=f:4", ""}, "https://a.example/", ""},
      {{true, "https=https://s:2", ""}, "https://a.example/", "https://s:2"},
      {{true, "p:8080", "*.corp.example;<local>"}, "https://api.CORP.example/", ""},
      {{true, "p:8080", "*.corp.example;<local>"}, "https://corp.example/", "http://p:8080"},
      {{true, "p:8080", "*.corp.example;<local>"}, "http://intranet:8080/", ""},
      {{true, "p:8080", "<local>"}, "http://127.0.0.1:8080/", "http://p:8080"},
      {{true, "p:8080", "10.*"}, "http://10.1.2.3/", ""},
      {{true, "p:8080", "a.example:8443"}, "https://a.example:8443/", ""},
      {{true, "p:8080", "a.example:8443"}, "https://a.example/", "http://p:8080"},
      {{true, "p:8080", "https://a.example"}, "http://a.example/", "http://p:8080"},
      {{true, "p:8080", " https://a.example ;"}, "https://a.example/", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StaticProxyFor(c.settings, c.url), c.proxy)
        << c.settings.server << " / " << c.settings.bypass << " / " << c.url;
}

TEST(StaticProxy, WildcardsMatchAnyRunIgnoringCase) {
  EXPECT_TRUE(WildcardMatches("*", ""));
  EXPECT_TRUE(WildcardMatches("a*c*e", "AbCdE"));
  EXPECT_TRUE(WildcardMatches("*.x.y", "a.b.x.y"));
  EXPECT_FALSE(WildcardMatches("*.x.y", "x.y"));
  EXPECT_FALSE(WildcardMatches("a*c", "abcd"));
}

}  // namespace
}  // namespace llmbridge
