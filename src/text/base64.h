// Base64 as RFC 4648 writes it, for images that answers carry as text.
#pragma once

#include <string>
#include <string_view>

namespace llmbridge {

// Decodes the standard alphabet, with or without its "=" padding; false for any other character,
// for padding anywhere but at the end, or for a length no encoder makes.
bool DecodeBase64(std::u16string_view text, std::string& bytes);

}  // namespace llmbridge
