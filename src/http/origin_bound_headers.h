// Response headers of a request that carries a host's own header lines, which must never reach
// another origin (scheme, host or port): libcurl itself holds back only Authorization and Cookie
// when a redirect leads elsewhere.
#pragma once

#include <cstddef>
#include <string>

#include "http/receive_buffer.h"

namespace llmbridge {

// What StoreHeaderOnOrigin needs: where the headers go, the request's URL and origin, and what
// it found.
struct OriginBoundHeaders {
  ReceiveBuffer& head;
  const std::string& url;
  std::string origin;  // UrlOrigin(url)
  bool in_redirect = false;
  std::string refused_location;  // set when a redirect was refused
};

// A libcurl header callback (its data an OriginBoundHeaders): stores each line as the plain
// receiver does and ends the transfer, by refusing the line, at a redirect whose Location leads
// to another origin.
size_t StoreHeaderOnOrigin(char* bytes, size_t size, size_t count, void* data);

}  // namespace llmbridge
