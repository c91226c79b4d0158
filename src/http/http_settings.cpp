#include "http/http_settings.h"

namespace llmbridge {

namespace {
HttpSettings g_settings;
}  // namespace

void InitHttpSettings() { g_settings = HttpSettings(); }

const HttpSettings& GetHttpSettings() { return g_settings; }

}  // namespace llmbridge
