// Keeping an image that an answer carries as base64 text (b64_json) in a host's folder.
#pragma once

#include <string_view>

#include "json/json_value.h"
#include "text/text.h"

namespace llmbridge {

// The file name extension the bytes call for: ".png", ".jpg" or ".webp" by their signature,
// ".bin" for anything else.
Text ImageExtension(std::string_view bytes);

enum class ImageSaving {
  kNotCarried,  // the answer's first image has no b64_json, or has a URL: nothing to write
  kSaved,       // written: `path` is the new file's full path
  kFailed,      // not decoded or not written: `reason` says why, and no file is left
};

// Writes the first image of an image answer (data[0]) to a new file in `folder` when it holds
// b64_json and no url.
ImageSaving SaveCarriedImage(JsonValue* root, const Text& folder, Text& path, Text& reason);

}  // namespace llmbridge
