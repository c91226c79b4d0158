#include "runtime/image_codecs.h"

#include <algorithm>
#include <cstring>

#include "runtime/graphics_layers.h"

namespace llmbridge {

ImageState& GetImageState() {
  static ImageState state;
  return state;
}

FormatTag MakeFormatTag(const char* name) {
  FormatTag tag{};
  std::memcpy(tag.data(), name, std::min<size_t>(std::strlen(name), tag.size() - 1));
  return tag;
}

void InitImageLayer() { GetImageState() = ImageState{}; }

void InitImageCodecs() {
  const FormatTag bmp = MakeFormatTag("BMP");
  GetImageState().decoders.push_back(bmp);
  GetImageState().encoders.push_back(bmp);
}

int32_t ImageDecoderCount() { return static_cast<int32_t>(GetImageState().decoders.size()); }

namespace {
bool Lists(const std::vector<FormatTag>& tags, const char* format_tag) {
  return std::find(tags.begin(), tags.end(), MakeFormatTag(format_tag)) != tags.end();
}
}  // namespace

bool HasImageDecoder(const char* format_tag) { return Lists(GetImageState().decoders, format_tag); }

bool HasImageEncoder(const char* format_tag) { return Lists(GetImageState().encoders, format_tag); }

}  // namespace llmbridge
