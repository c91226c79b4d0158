// Image generation: one image from a hosted service, whose answer is the image's URL.
#pragma once

#include "state/host_options.h"
#include "text/text.h"

namespace llmbridge {

// The service the `imagen` export calls, fixed when the library is built.
Text ImageEndpoint();

// Test hook: ImageEndpoint() gives `endpoint` instead, so that a test can point the export at a
// loopback server; the empty text brings the built-in one back. The library never calls it.
void OverrideImageEndpoint(const Text& endpoint);

struct ImageArguments {
  Text api_key;
  Text prompt;
  Text image_size;   // sent as it is, for example 1024x1024
  Text show_window;  // "true" shows the progress window
};

// Posts the request to `endpoint` and returns the last string the answer holds (the URL),
// "Request Failed", or "Api Error code: <status>". An answer without any string returns the
// previous call's result. With the host's options (as they stood when the call began) an
// imageurl replaces `endpoint`, and an imagedir keeps a b64_json image in a new file there, whose
// full path is then the result ("Request Failed" when it cannot be written).
Text GenerateImage(const Text& endpoint, const ImageArguments& arguments,
                   const HostOptions& options = HostOptions());

}  // namespace llmbridge
