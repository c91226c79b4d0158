// The proxy option "system" on Windows: the user's static settings, written to the registry for
// the test (Wine keeps them in its prefix) and put back afterwards.
// The registry functions come with windows.h, which the loopback server's winsock2.h includes
// in the order it needs.
#include <gtest/gtest.h>

#include <string>

#include "http/http_request.h"
#include "http/system_proxy.h"
#include "support/loopback_server.h"

namespace llmbridge {
namespace {

using testing::HttpReply;
using testing::LoopbackServer;

constexpr wchar_t kInternetSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Sets the values for the test and restores each one (or its absence) at the end.
class InternetSettings {
 public:
  InternetSettings() {
    for (Saved& value : saved_) {
      value.size = sizeof value.data;
      value.present = RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, value.name, RRF_RT_ANY,
                                   &value.type, value.data, &value.size) == ERROR_SUCCESS;
    }
  }
  ~InternetSettings() {
    for (const Saved& value : saved_) {
      if (value.present)
        RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, value.name, value.type, value.data,
                        value.size);
      else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kInternetSettings, value.name);
    }
  }
  void SetScript(const std::wstring& url) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"AutoConfigURL", REG_SZ, url.c_str(),
                    static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
  }
  void Set(DWORD enabled, const std::wstring& server, const std::wstring& bypass) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable", REG_DWORD, &enabled,
                    sizeof enabled);
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer", REG_SZ, server.c_str(),
                    static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyOverride", REG_SZ, bypass.c_str(),
                    static_cast<DWORD>((bypass.size() + 1) * sizeof(wchar_t)));
  }

 private:
  struct Saved {
    const wchar_t* name;
    bool present = false;
    DWORD type = 0;
    DWORD size = 0;
    BYTE data[2048] = {};
  };
  Saved saved_[4] = {{L"ProxyEnable"}, {L"ProxyServer"}, {L"ProxyOverride"}, {L"AutoConfigURL"}};
};

std::wstring WideAscii(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TEST(SystemProxy, TheUsersStaticSettingsChooseTheWay) {
  LoopbackServer server;
  LoopbackServer proxy;
  InternetSettings settings;
  const std::string url = "http://" + server.Address() + "/v1/models";
  const std::wstring proxy_address = WideAscii(proxy.Address());
  settings.Set(1, L"https=127.0.0.2:1;http=" + proxy_address, L"*.example;<local>");
  EXPECT_EQ(SystemProxyFor(url), "http://" + proxy.Address());
  EXPECT_EQ(SystemProxyFor("http://intranet/x"), "");

  proxy.Script(HttpReply(200, "{\"proxied\": 1}"));
  TransferChoices choices;
  choices.proxy = u"system";
  HttpRequestPtr request =
      OpenHttpRequest(kHttpGet, Text(url.begin(), url.end()), u"", 0, nullptr, choices);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(HttpRequestInfo(*request, kHttpResponseBody), u"{\"proxied\": 1}");
  EXPECT_EQ(proxy.Requests().at(0).rfind("GET " + url + " ", 0), 0u);

  settings.Set(1, proxy_address, L"127.0.0.*");
  server.Script(HttpReply(200, "{\"direct\": 1}"));
  request = OpenHttpRequest(kHttpGet, Text(url.begin(), url.end()), u"", 0, nullptr, choices);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(HttpRequestInfo(*request, kHttpResponseBody), u"{\"direct\": 1}");

  settings.Set(0, proxy_address, L"");
  EXPECT_EQ(SystemProxyFor(url), "");
}

// An automatic configuration script, fetched and run by WinHTTP (Wine runs it too), comes before
// the static settings; its answer is kept for the host.
TEST(SystemProxy, AConfigurationScriptChoosesFirst) {
  LoopbackServer script_server;
  LoopbackServer proxy;
  InternetSettings settings;
  settings.Set(0, L"", L"");
  settings.SetScript(WideAscii("http://" + script_server.Address() + "/proxy.pac"));
  script_server.Script(
      HttpReply(200,
                "function FindProxyForURL(url, host) { return host == \"direct.example\" ? "
                "\"DIRECT\" : \"PROXY " +
                    proxy.Address() + "; DIRECT\"; }",
                "Content-Type: application/x-ns-proxy-autoconfig\r\n"));
  script_server.Script(HttpReply(200, "function FindProxyForURL(url, host) { return \"DIRECT\"; }",
                                 "Content-Type: application/x-ns-proxy-autoconfig\r\n"));
  EXPECT_EQ(SystemProxyFor("http://api.example/v1"), "http://" + proxy.Address());
  EXPECT_EQ(SystemProxyFor("http://direct.example/v1"), "");
  // The first host's answer is kept: the script is not fetched again for it.
  const size_t fetched = script_server.Requests().size();
  EXPECT_EQ(SystemProxyFor("http://api.example/other"), "http://" + proxy.Address());
  EXPECT_EQ(script_server.Requests().size(), fetched);
}

}  // namespace
}  // namespace llmbridge
