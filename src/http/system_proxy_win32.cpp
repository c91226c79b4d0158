#include <windows.h>

#include "http/static_proxy.h"
#include "http/system_proxy.h"
#include "text/narrow_text.h"

namespace llmbridge {

namespace {

constexpr wchar_t kInternetSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// A string value of the user's Internet Settings in UTF-8, or "" when it is absent.
std::string SettingText(const wchar_t* name) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, name, RRF_RT_REG_SZ, nullptr, nullptr,
                   &size) != ERROR_SUCCESS ||
      size < sizeof(wchar_t))
    return std::string();
  std::u16string value(size / sizeof(wchar_t), u'\0');
  if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, name, RRF_RT_REG_SZ, nullptr, &value[0],
                   &size) != ERROR_SUCCESS)
    return std::string();
  value.resize(value.find(u'\0') == std::u16string::npos ? value.size() : value.find(u'\0'));
  return EncodeText(value, NarrowEncoding::Utf8);
}

}  // namespace

// Read on every call, so that a change of the user's settings applies to the next request.
std::optional<std::string> SystemProxyFor(const std::string& url) {
  StaticProxySettings settings;
  DWORD enabled = 0;
  DWORD size = sizeof enabled;
  settings.enabled = RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable",
                                  RRF_RT_REG_DWORD, nullptr, &enabled, &size) == ERROR_SUCCESS &&
                     enabled != 0;
  if (settings.enabled) {
    settings.server = SettingText(L"ProxyServer");
    settings.bypass = SettingText(L"ProxyOverride");
  }
  return StaticProxyFor(settings, url);
}

}  // namespace llmbridge
