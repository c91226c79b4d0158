#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <map>
#include <mutex>

#include "http/static_proxy.h"
#include "http/system_proxy.h"
#include "text/narrow_text.h"

namespace llmbridge {

namespace {

constexpr wchar_t kInternetSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// How long WinHTTP may take for each step of fetching a configuration script (name look-up,
// connection, sending, receiving), and how long an answer of the script is kept for a host.
constexpr int kScriptStepTimeoutMs = 5000;
constexpr std::chrono::minutes kScriptAnswerLifetime{5};

// A string value of the user's Internet Settings, or "" when it is absent.
std::u16string SettingValue(const wchar_t* name) {
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, name, RRF_RT_REG_SZ, nullptr, nullptr,
                   &size) != ERROR_SUCCESS ||
      size < sizeof(wchar_t))
    return std::u16string();
  std::u16string value(size / sizeof(wchar_t), u'\0');
  if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, name, RRF_RT_REG_SZ, nullptr, &value[0],
                   &size) != ERROR_SUCCESS)
    return std::u16string();
  value.resize(value.find(u'\0') == std::u16string::npos ? value.size() : value.find(u'\0'));
  return value;
}

std::string SettingText(const wchar_t* name) {
  return EncodeText(SettingValue(name), NarrowEncoding::Utf8);
}

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Closes a WinHTTP handle when it ends.
struct InternetHandle {
  HINTERNET handle;
  ~InternetHandle() {
    if (handle != nullptr) WinHttpCloseHandle(handle);
  }
};

// What the configuration script at `script` answers for `url`, through WinHTTP: "" for a direct
// connection, a proxy URL, or none when the script could not be fetched or run.
std::optional<std::string> AskScript(const std::u16string& script, const std::string& url) {
  const InternetHandle session{WinHttpOpen(L"llmbridge", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                           WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)};
  if (session.handle == nullptr) return std::nullopt;
  WinHttpSetTimeouts(session.handle, kScriptStepTimeoutMs, kScriptStepTimeoutMs,
                     kScriptStepTimeoutMs, kScriptStepTimeoutMs);
  WINHTTP_AUTOPROXY_OPTIONS options{};
  options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
  options.lpszAutoConfigUrl = Wide(script);
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info{};
  const std::u16string wide_url = FromNarrow(url.c_str(), -1, NarrowEncoding::Utf8);
  if (!WinHttpGetProxyForUrl(session.handle, Wide(wide_url), &options, &info)) return std::nullopt;
  std::string proxy;
  if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy != nullptr) {
    // A list ("a:1; b:2") names fallbacks in order; the first is used.
    std::string list = EncodeText(std::u16string(reinterpret_cast<const char16_t*>(info.lpszProxy)),
                                  NarrowEncoding::Utf8);
    list = list.substr(0, list.find_first_of("; "));
    if (!list.empty()) proxy = list.find("://") == std::string::npos ? "http://" + list : list;
  }
  if (info.lpszProxy != nullptr) GlobalFree(info.lpszProxy);
  if (info.lpszProxyBypass != nullptr) GlobalFree(info.lpszProxyBypass);
  return proxy;
}

// The script's answers by script and host, so that a script is fetched and run once per host
// and not on every call.
struct ScriptAnswer {
  std::string proxy;
  std::chrono::steady_clock::time_point asked;
};
std::mutex g_script_answers_lock;
std::map<std::pair<std::u16string, std::string>, ScriptAnswer> g_script_answers;

std::string HostOf(const std::string& url) {
  const size_t start = url.find("://");
  if (start == std::string::npos) return url;
  return url.substr(start + 3, url.find_first_of("/?#", start + 3) - start - 3);
}

std::optional<std::string> ScriptProxyFor(const std::u16string& script, const std::string& url) {
  const auto key = std::make_pair(script, HostOf(url));
  const auto now = std::chrono::steady_clock::now();
  {
    const std::lock_guard<std::mutex> guard(g_script_answers_lock);
    const auto found = g_script_answers.find(key);
    if (found != g_script_answers.end() && now - found->second.asked < kScriptAnswerLifetime)
      return found->second.proxy;
  }
  std::optional<std::string> proxy = AskScript(script, url);
  if (proxy) {
    const std::lock_guard<std::mutex> guard(g_script_answers_lock);
    g_script_answers[key] = {*proxy, now};
  }
  return proxy;
}

}  // namespace

// Read on every call, so that a change of the user's settings applies to the next request. A
// configuration script (AutoConfigURL) comes first, as in Windows; when it cannot be fetched or
// run, the static settings apply.
std::optional<std::string> SystemProxyFor(const std::string& url) {
  const std::u16string script = SettingValue(L"AutoConfigURL");
  if (!script.empty()) {
    if (std::optional<std::string> proxy = ScriptProxyFor(script, url)) return proxy;
  }
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
