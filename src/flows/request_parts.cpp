#include "flows/request_parts.h"

#include <new>

#include "flows/header_option.h"
#include "json/json_parser.h"
#include "json/json_slots.h"
#include "state/library_state.h"
#include "text/escaping.h"
#include "ui/progress_window.h"

namespace llmbridge {

Text PreparePrompt(const Text& prompt) { return EscapeText(ReplaceText(prompt, u"\r\n", u" ")); }

HeaderMap BearerHeaders(const Text& api_key, bool json_body,
                        const std::vector<OptionHeader>& extra) {
  const auto replaced = [&extra](const Text& name) {
    for (const OptionHeader& header : extra) {
      if (SameHeaderName(header.name, name)) return true;
    }
    return false;
  };
  HeaderMap headers(512);
  if (json_body && !replaced(u"content-type"))
    headers.SetHeader(u"content-type", u"application/json");
  if (!replaced(u"Authorization")) headers.SetHeader(u"Authorization", u"Bearer " + api_key);
  for (const OptionHeader& header : extra) headers.SetHeader(header.name, header.value);
  return headers;
}

TransferChoices ChosenTransfer(const HostOptions& options, bool with_headers) {
  TransferChoices choices;
  choices.timeout_ms = options.timeout_ms;
  choices.timeout = options.timeout;
  choices.proxy = options.proxy;
  choices.headers_stay_on_origin = with_headers && !options.headers.empty();
  return choices;
}

Text ApiErrorText(const Text& status) { return u"Api Error code: " + status; }

JsonValue* ParseAnswerInto(int32_t slot, std::string_view body) {
  JsonError error;
  if (ParseUtf8Json(slot, body, &error) == 0) {
    // An answer there was no room to read is a failed call, not an answer without content.
    if (error.code == JsonErrorCode::OutOfMemory) throw std::bad_alloc();
    return nullptr;
  }
  return GetJsonRoot(slot);
}

ProgressWindowScope::ProgressWindowScope(const Text& show) {
  if (!TextsEqual(show, u"true")) return;
  // The state keeps what was made; nothing in the library reads it again.
  ProgressWindowHandles made;
  try {
    made = OpenProgressWindow(0, 0, 220, 40);
  } catch (...) {
    CloseAllWindows();  // no destructor runs for a scope that was never made
    throw;
  }
  LibraryState& state = GetLibraryState();
  state.ProgressWindow = made.window;
  state.ProgressFirstLabel = made.first_label;
  state.ProgressSecondLabel = made.second_label;
}

ProgressWindowScope::~ProgressWindowScope() { CloseAllWindows(); }

}  // namespace llmbridge
