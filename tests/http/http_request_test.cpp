// The request layer against a scripted loopback server: what goes out on the wire, and what the
// caller reads back for every kind of answer.
#include "http/http_request.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "http/header_map.h"
#include "http/http_option_observer.h"
#include "support/loopback_server.h"

namespace llmbridge {
namespace {

using testing::HttpReply;
using testing::LoopbackServer;
using testing::ScriptedReply;

Text Url(const LoopbackServer& server, const std::string& path) {
  const std::string url = "http://" + server.Address() + path;
  return Text(url.begin(), url.end());
}

Text Status(const HttpRequest& request) { return HttpRequestInfo(request, kHttpStatusCode); }
Text Body(const HttpRequest& request) { return HttpRequestInfo(request, kHttpResponseBody); }

HeaderMap ChatHeaders() {
  HeaderMap headers(512);
  headers.SetHeader(u"content-type", u"application/json");
  headers.SetHeader(u"Authorization", u"Bearer key");
  return headers;
}

// Records the libcurl options a transfer sets, removing itself afterwards.
class OptionRecorder {
 public:
  OptionRecorder() {
    SetHttpOptionObserver([this](const HttpOptionSet& set) {
      sets_.push_back(set);
      return true;
    });
  }
  ~OptionRecorder() { SetHttpOptionObserver(nullptr); }
  std::vector<int> Options() const {
    std::vector<int> options;
    for (const HttpOptionSet& set : sets_) options.push_back(set.option);
    return options;
  }
  const HttpOptionSet* Find(int option) const {
    for (const HttpOptionSet& set : sets_) {
      if (set.option == option) return &set;
    }
    return nullptr;
  }

 private:
  std::vector<HttpOptionSet> sets_;
};

TEST(HttpRequest, PostSendsTheUtf8BodyAndTheHeaderLinesInMapOrder) {
  LoopbackServer server;
  server.Script(HttpReply(200, "{}"));
  const HeaderMap headers = ChatHeaders();
  OptionRecorder recorder;
  HttpRequestPtr request = OpenHttpRequest(kHttpPost, Url(server, "/v1/chat/completions"),
                                           u"{\"q\": \"caf\u00e9\"}", 0, &headers);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Status(*request), u"200");

  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& wire = requests[0];
  EXPECT_EQ(wire.rfind("POST /v1/chat/completions HTTP/1.1\r\n", 0), 0u) << wire;
  EXPECT_NE(wire.find("\r\nUser-Agent: Mozilla/5.0 Gecko/41.0 Firefox/41.0\r\n"),
            std::string::npos);
  EXPECT_NE(wire.find("\r\nContent-Length: 14\r\n"), std::string::npos);  // é is two bytes
  const size_t type = wire.find("\r\ncontent-type: application/json\r\n");
  const size_t auth = wire.find("\r\nAuthorization: Bearer key\r\n");
  ASSERT_NE(type, std::string::npos);
  ASSERT_NE(auth, std::string::npos);
  EXPECT_LT(type, auth);
  EXPECT_EQ(wire.substr(wire.size() - 14), "{\"q\": \"caf\xc3\xa9\"}");

  // A POST is named by CURLOPT_POST alone, so that no redirect can keep the word without the body.
  const std::vector<int> expected = {
      kHttpHandleCreation,   CURLOPT_FOLLOWLOCATION,      CURLOPT_POST,
      CURLOPT_POSTFIELDSIZE, CURLOPT_POSTFIELDS,          CURLOPT_HTTPHEADER,
      CURLOPT_URL,           CURLOPT_USERAGENT,           CURLOPT_WRITEFUNCTION,
      CURLOPT_WRITEDATA,     CURLOPT_HEADERFUNCTION,      CURLOPT_HEADERDATA,
      CURLOPT_ERRORBUFFER,   CURLOPT_CONNECTTIMEOUT_MS,   CURLOPT_TIMEOUT_MS,
      CURLOPT_NOSIGNAL,      CURLOPT_MAXREDIRS,           CURLOPT_TCP_KEEPALIVE,
      CURLOPT_POSTREDIR,     CURLOPT_REDIR_PROTOCOLS_STR, CURLOPT_SSL_OPTIONS};
  EXPECT_EQ(recorder.Options(), expected);
  EXPECT_EQ(recorder.Find(CURLOPT_POSTREDIR)->number, CURL_REDIR_POST_301 | CURL_REDIR_POST_302);
  EXPECT_STREQ(static_cast<const char*>(recorder.Find(CURLOPT_REDIR_PROTOCOLS_STR)->pointer),
               "http,https");
  EXPECT_EQ(recorder.Find(CURLOPT_SSL_OPTIONS)->number, CURLSSLOPT_REVOKE_BEST_EFFORT);
  EXPECT_EQ(recorder.Find(CURLOPT_MAXREDIRS)->number, 20);
  EXPECT_EQ(recorder.Find(CURLOPT_TCP_KEEPALIVE)->number, 1);
  EXPECT_EQ(recorder.Find(CURLOPT_POSTFIELDSIZE)->number, 14);
  EXPECT_EQ(recorder.Find(CURLOPT_CONNECTTIMEOUT_MS)->number, 30000);
  EXPECT_EQ(recorder.Find(CURLOPT_TIMEOUT_MS)->number, 0);
}

TEST(HttpRequest, GetSendsNoBodyAndSetsNoPostOptions) {
  LoopbackServer server;
  server.Script(HttpReply(200, "{\"data\": []}"));
  HeaderMap headers(512);
  headers.SetHeader(u"Authorization", u"Bearer key");
  OptionRecorder recorder;
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/v1/models"), u"", 0, &headers);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Body(*request), u"{\"data\": []}");
  const std::string wire = server.Requests().at(0);
  EXPECT_EQ(wire.rfind("GET /v1/models HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(wire.find("Content-Length"), std::string::npos);
  EXPECT_EQ(recorder.Find(CURLOPT_POST), nullptr);
  EXPECT_EQ(recorder.Find(CURLOPT_POSTFIELDS), nullptr);
  EXPECT_EQ(recorder.Find(CURLOPT_POSTFIELDSIZE), nullptr);
  EXPECT_STREQ(static_cast<const char*>(recorder.Find(CURLOPT_CUSTOMREQUEST)->pointer), "GET");
}

TEST(HttpRequest, HeaderLinesForEmptyValuesAndValuesWithLineBreaks) {
  LoopbackServer server;
  server.Script(HttpReply(200, "{}"));
  HeaderMap headers(512);
  headers.SetHeader(u"X-Empty", u"");
  // A key read from a file with its newline must not end the header block early.
  headers.SetHeader(u"Authorization", u"Bearer key\r\n");
  headers.SetHeader(u"X-Split\n", u"a\rb");
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/"), u"", 0, &headers);
  ASSERT_NE(request, nullptr);
  const std::string wire = server.Requests().at(0);
  EXPECT_NE(wire.find("\r\nX-Empty:\r\n"), std::string::npos) << wire;
  EXPECT_NE(wire.find("\r\nAuthorization: Bearer key\r\n"), std::string::npos) << wire;
  EXPECT_NE(wire.find("\r\nX-Split: ab\r\n"), std::string::npos) << wire;
  EXPECT_EQ(wire.find("\r\n\r\n"), wire.size() - 4);  // nothing after the head
}

TEST(HttpRequest, MethodCodesSendTheirMethodStrings) {
  struct Case {
    int32_t method;
    const char* request_line;
  };
  const Case cases[] = {
      {kHttpPut, "PUT /"}, {kHttpPatch, "PATCH /"}, {kHttpDelete, "DELETE /"}, {7, "GET /"}};
  for (const Case& c : cases) {
    LoopbackServer server;
    server.Script(HttpReply(200, "{}"));
    OpenHttpRequest(c.method, Url(server, "/"), u"", 0, nullptr);
    EXPECT_EQ(server.Requests().at(0).rfind(c.request_line, 0), 0u) << c.request_line;
  }
}

TEST(HttpRequest, ErrorStatusesAreAnswersWithTheirBody) {
  LoopbackServer server;
  const std::string error = "{\"error\": {\"message\": \"Incorrect API key provided\"}}";
  server.Script(HttpReply(401, error));
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/v1/models"), u"", 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Status(*request), u"401");
  EXPECT_EQ(Body(*request), Text(error.begin(), error.end()));
  EXPECT_EQ(HttpRequestInfo(*request, kHttpErrorMessage), u"");
  // Reading twice gives the same texts; an unknown kind gives nothing.
  EXPECT_EQ(Status(*request), u"401");
  EXPECT_EQ(Body(*request), Text(error.begin(), error.end()));
  EXPECT_EQ(HttpRequestInfo(*request, 99), u"");
  FinishHttpRequest(std::move(request));
}

TEST(HttpRequest, RedirectsAreFollowedToTheFinalAnswer) {
  LoopbackServer target;
  target.Script(HttpReply(200, "{\"final\": true}"));
  LoopbackServer server;
  server.Script(HttpReply(302, "", "Location: http://" + target.Address() + "/moved\r\n"));
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/start"), u"", 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Status(*request), u"200");
  EXPECT_EQ(Body(*request), u"{\"final\": true}");
  EXPECT_EQ(target.Requests().at(0).rfind("GET /moved HTTP/1.1\r\n", 0), 0u);
  const Text head = HttpRequestInfo(*request, kHttpResponseHeaders);
  EXPECT_EQ(head.rfind(u"HTTP/1.1 302", 0), 0u);
  EXPECT_NE(head.find(u"\r\nHTTP/1.1 200 OK\r\n"), Text::npos);
}

TEST(HttpRequest, ARedirectLoopEndsAfterTwentyHops) {
  LoopbackServer server;
  for (int i = 0; i < 25; ++i)
    server.Script(HttpReply(302, "", "Location: http://" + server.Address() + "/again\r\n"));
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/start"), u"", 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Status(*request), u"0");
  EXPECT_NE(HttpRequestInfo(*request, kHttpErrorMessage), u"");
  EXPECT_EQ(server.Requests().size(), 21u);  // the first request and twenty redirects
}

// A POST without a body still sets its body fields: libcurl would otherwise read the body from
// the host's standard input.
TEST(HttpRequest, APostWithoutBodySendsAnEmptyOne) {
  LoopbackServer server;
  server.Script(HttpReply(200, "{}"));
  OptionRecorder recorder;
  HttpRequestPtr request = OpenHttpRequest(kHttpPost, Url(server, "/"), u"", 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Status(*request), u"200");
  EXPECT_NE(server.Requests().at(0).find("\r\nContent-Length: 0\r\n"), std::string::npos);
  ASSERT_NE(recorder.Find(CURLOPT_POSTFIELDS), nullptr);
  EXPECT_STREQ(static_cast<const char*>(recorder.Find(CURLOPT_POSTFIELDS)->pointer), "");
  EXPECT_EQ(recorder.Find(CURLOPT_POSTFIELDSIZE)->number, 0);
}

// Refusing the handle or any option (as libcurl does when it has no room) fails the transfer
// before anything is sent.
TEST(HttpRequest, ARefusedOptionOrHandleFailsTheTransfer) {
  for (int refused : {kHttpHandleCreation, int{CURLOPT_URL}, int{CURLOPT_HTTPHEADER},
                      int{CURLOPT_TCP_KEEPALIVE}}) {
    LoopbackServer server;
    server.Script(HttpReply(200, "{}"));
    SetHttpOptionObserver([refused](const HttpOptionSet& set) { return set.option != refused; });
    const HeaderMap headers = ChatHeaders();
    HttpRequestPtr request = OpenHttpRequest(kHttpPost, Url(server, "/"), u"{}", 0, &headers);
    SetHttpOptionObserver(nullptr);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(Status(*request), u"0") << refused;
    EXPECT_TRUE(server.Requests().empty()) << refused;
  }
}

TEST(HttpRequest, FailedTransfersHaveStatusZeroAndLibcurlsMessage) {
  Text refused_url;
  {
    LoopbackServer closed;  // a port that was free a moment ago and is closed now
    refused_url = Url(closed, "/");
  }
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, refused_url, u"", 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Status(*request), u"0");
  EXPECT_EQ(Body(*request), u"");
  EXPECT_NE(HttpRequestInfo(*request, kHttpErrorMessage), u"");
}

TEST(HttpRequest, AConnectionBrokenInTheBodyFailsButKeepsWhatArrived) {
  LoopbackServer server;
  ScriptedReply reply = HttpReply(200, "{\"content\": \"cut here and never finished\"}");
  reply.close_after = reply.bytes.find("cut") + 3;
  server.Script(reply);
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/"), u"", 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Status(*request), u"0");
  EXPECT_EQ(Body(*request), u"{\"content\": \"cut");
}

TEST(HttpRequest, BodiesEndAtAZeroByteAndInvalidUtf8BecomesReplacementCharacters) {
  LoopbackServer server;
  server.Script(HttpReply(200, std::string("ok\xff\xc3\xa9", 5) + std::string("\0rest", 5)));
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/"), u"", 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Body(*request), u"ok\uFFFD\u00E9");
}

TEST(HttpRequest, LargeBodiesGrowTheBufferAndArriveWhole) {
  for (size_t size : {size_t{524288}, size_t{524289}, size_t{50} << 20}) {
    LoopbackServer server;
    server.Script(HttpReply(200, std::string(size, 'z')));
    HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/"), u"", 0, nullptr);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->Response.received(), static_cast<int64_t>(size));
    EXPECT_EQ(request->Response.capacity(), static_cast<int32_t>(size));  // cut to size
    EXPECT_EQ(Body(*request).size(), size);
  }
}

// However large, a body goes with its request: no server is asked for "100 Continue" first.
TEST(HttpRequest, LargePostBodiesGoAtOnce) {
  LoopbackServer server;
  server.Script(HttpReply(200, "{}"));
  const Text body(3u << 20, u'b');
  HttpRequestPtr request = OpenHttpRequest(kHttpPost, Url(server, "/"), body, 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Status(*request), u"200");
  const std::string wire = server.Requests().at(0);
  EXPECT_EQ(wire.find("Expect:"), std::string::npos);
  EXPECT_EQ(wire.size() - wire.find("\r\n\r\n") - 4, body.size());
}

// A redirected POST keeps its question wherever HTTP lets it: 301, 302, 307 and 308 send the
// same method and body again, 303 fetches the new place with GET. The key stays behind when the
// new place is another host or port; the other headers go along.
TEST(HttpRequest, RedirectedPostsKeepTheirQuestion) {
  struct Case {
    int status;
    const char* request_line;
    const char* body;
  };
  const Case cases[] = {{301, "POST /moved ", "{\"q\": 1}"},
                        {302, "POST /moved ", "{\"q\": 1}"},
                        {303, "GET /moved ", ""},
                        {307, "POST /moved ", "{\"q\": 1}"},
                        {308, "POST /moved ", "{\"q\": 1}"}};
  for (const Case& c : cases) {
    LoopbackServer target;
    target.Script(HttpReply(200, "{}"));
    LoopbackServer server;
    server.Script(HttpReply(c.status, "", "Location: http://" + target.Address() + "/moved\r\n"));
    const HeaderMap headers = ChatHeaders();
    HttpRequestPtr request =
        OpenHttpRequest(kHttpPost, Url(server, "/start"), u"{\"q\": 1}", 0, &headers);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(Status(*request), u"200") << c.status;
    const std::string wire = target.Requests().at(0);
    EXPECT_EQ(wire.rfind(c.request_line, 0), 0u) << c.status << ": " << wire;
    EXPECT_EQ(wire.substr(wire.find("\r\n\r\n") + 4), c.body) << c.status;
    EXPECT_EQ(wire.find("Authorization"), std::string::npos) << c.status;
    EXPECT_NE(wire.find("\r\ncontent-type: application/json\r\n"), std::string::npos) << c.status;
  }
}

TEST(HttpRequest, ASlowServerIsWaitedFor) {
  LoopbackServer server;
  ScriptedReply reply = HttpReply(200, "{\"late\": 1}");
  reply.delay_ms = 1500;
  server.Script(reply);
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/"), u"", 0, nullptr);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Body(*request), u"{\"late\": 1}");
}

// A request with the host's own header lines follows a redirect only within its origin (scheme,
// host and port); one that leads elsewhere ends the transfer, and the other server gets nothing.
TEST(HttpRequest, RedirectsKeepTheHostsHeadersOnTheirOrigin) {
  struct Case {
    std::string location;  // "@" stands for the other server's address, "=" for this one's
    bool followed;
  };
  const std::vector<Case> cases = {
      {"/moved", true},          {"http://=/moved", true}, {"HTTP://=/moved", true},
      {"http://@/moved", false}, {"//@/moved", false},     {"https://=/moved", false},
  };
  HeaderMap headers(512);
  headers.SetHeader(u"api-key", u"k1");
  TransferChoices choices;
  choices.headers_stay_on_origin = true;
  for (const Case& c : cases) {
    LoopbackServer server;
    LoopbackServer other;
    std::string location = c.location;
    if (location.find('@') != std::string::npos)
      location.replace(location.find('@'), 1, other.Address());
    if (location.find('=') != std::string::npos)
      location.replace(location.find('='), 1, server.Address());
    server.Script(HttpReply(302, "", "Location: " + location + "\r\n"));
    server.Script(HttpReply(200, "{\"here\": 1}"));
    other.Script(HttpReply(200, "{\"there\": 1}"));
    HttpRequestPtr request =
        OpenHttpRequest(kHttpGet, Url(server, "/start"), u"", 0, &headers, choices);
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(other.Requests().size(), 0u) << location;
    if (c.followed) {
      EXPECT_EQ(Body(*request), u"{\"here\": 1}") << location;
      EXPECT_NE(server.Requests().at(1).find("\r\napi-key: k1\r\n"), std::string::npos);
    } else {
      EXPECT_EQ(Status(*request), u"0") << location;
      EXPECT_EQ(HttpRequestInfo(*request, kHttpErrorMessage)
                    .rfind(u"refused a redirect to another origin", 0),
                0u)
          << location;
    }
  }
}

// The timeout option bounds the whole exchange: a server that keeps silent ends the call soon
// after the limit, as a failed transfer whose message names the limit.
TEST(HttpRequest, TheTimeoutOptionEndsASilentExchange) {
  LoopbackServer server;
  ScriptedReply reply = HttpReply(200, "{\"late\": 1}");
  reply.delay_ms = 2000;
  server.Script(reply);
  TransferChoices choices;
  choices.timeout_ms = 300;
  choices.timeout = u"0.3";
  const auto start = std::chrono::steady_clock::now();
  HttpRequestPtr request = OpenHttpRequest(kHttpGet, Url(server, "/"), u"", 0, nullptr, choices);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(Status(*request), u"0");
  EXPECT_EQ(HttpRequestInfo(*request, kHttpErrorMessage).rfind(u"timed out after 0.3 s", 0), 0u);
  EXPECT_LT(elapsed, std::chrono::milliseconds(300 + 500));
}

// A proxy URL takes every request, loopback included; "none" goes straight to the server.
TEST(HttpRequest, TheProxyOptionChoosesTheWay) {
  for (const char16_t* way : {u"proxy", u"none"}) {
    LoopbackServer server;
    LoopbackServer proxy;
    server.Script(HttpReply(200, "{\"direct\": 1}"));
    proxy.Script(HttpReply(200, "{\"proxied\": 1}"));
    TransferChoices choices;
    const std::string proxy_url = "http://" + proxy.Address();
    choices.proxy = Text(way) == u"none" ? Text(way) : Text(proxy_url.begin(), proxy_url.end());
    HttpRequestPtr request =
        OpenHttpRequest(kHttpGet, Url(server, "/v1/models"), u"", 0, nullptr, choices);
    ASSERT_NE(request, nullptr);
    if (Text(way) == u"none") {
      EXPECT_EQ(Body(*request), u"{\"direct\": 1}");
      EXPECT_EQ(proxy.Requests().size(), 0u);
    } else {
      EXPECT_EQ(Body(*request), u"{\"proxied\": 1}");
      // A proxy is asked for the whole URL.
      EXPECT_EQ(proxy.Requests().at(0).rfind("GET http://" + server.Address() + "/v1/models ", 0),
                0u)
          << proxy.Requests().at(0);
      EXPECT_EQ(server.Requests().size(), 0u);
    }
  }
}

}  // namespace
}  // namespace llmbridge
