// The image layer's codec lists: which formats it can read and write, by four-byte format tag.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace llmbridge {

using FormatTag = std::array<char, 4>;  // e.g. 'B','M','P',0

struct ImageState {
  std::vector<FormatTag> decoders;
  std::vector<FormatTag> encoders;
};

ImageState& GetImageState();

// Tags longer than three characters are cut to three; the fourth byte is always 0.
FormatTag MakeFormatTag(const char* name);

}  // namespace llmbridge
