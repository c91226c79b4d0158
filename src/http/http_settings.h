// Time limits every request takes when it is opened. They never change after start-up.
#pragma once

#include <cstdint>

namespace llmbridge {

struct HttpSettings {
  int32_t ConnectTimeoutMs = 30000;
  int32_t TransferTimeoutMs = 0;  // no limit on the whole transfer
};

void InitHttpSettings();
const HttpSettings& GetHttpSettings();

}  // namespace llmbridge
