#include "flows/exchange.h"

#include <string_view>
#include <utility>

#include "flows/answer_parse.h"
#include "flows/failure_detail.h"
#include "flows/server_message.h"

namespace llmbridge {

namespace {
// Where the exports' calls keep the last answer they read.
constexpr int32_t kAnswerSlot = 0;
}  // namespace

bool AnswerFailed(HttpRequest& request, const Text& api_key, int32_t slot, Text& result,
                  Text& detail) {
  const Text status = HttpRequestInfo(request, kHttpStatusCode);
  if (TextsEqual(status, u"200")) return false;
  result = u"Api Error code: " + status;
  detail = FailureDetail(request, api_key, slot);
  return true;
}

Exchange::Exchange(HttpMethod method, const Text& url, const Text& body, const HeaderMap& headers,
                   const TransferChoices& choices, const Text& api_key)
    : request_(OpenHttpRequest(method, url, body, 0, &headers, choices)) {
  if (request_ == nullptr) {
    failed_ = true;
    result_ = kRequestFailed;
    detail_ = u"out of memory";
    return;
  }
  failed_ = AnswerFailed(*request_, api_key, kErrorAnswerSlot, result_, detail_);
}

JsonValue* Exchange::ReadAnswer() {
  if (request_ == nullptr) return nullptr;
  const std::string_view body = ResponseBodyBytes(*request_);
  return body.empty() ? nullptr : ParseAnswerInto(kAnswerSlot, body);
}

void Exchange::Finish() { FinishHttpRequest(std::move(request_)); }

}  // namespace llmbridge
