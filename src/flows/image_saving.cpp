#include "flows/image_saving.h"

#include <string>

#include "flows/answer_reading.h"
#include "state/new_file.h"
#include "text/base64.h"

namespace llmbridge {

Text ImageExtension(std::string_view bytes) {
  if (bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return u".png";
  if (bytes.substr(0, 3) == "\xFF\xD8\xFF") return u".jpg";
  if (bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WEBP")
    return u".webp";
  return u".bin";
}

ImageSaving SaveCarriedImage(JsonValue* root, const Text& folder, Text& path, Text& reason) {
  JsonValue* image = ElementOf(MemberOf(root, u"data"), 0);
  JsonValue* carried = MemberOf(image, u"b64_json");
  if (!IsKind(carried, JsonKind::String) || IsKind(MemberOf(image, u"url"), JsonKind::String))
    return ImageSaving::kNotCarried;
  std::string bytes;
  if (!DecodeBase64(BorrowString(*carried), bytes)) {
    reason = u"the answer's b64_json is not base64";
    return ImageSaving::kFailed;
  }
  return WriteNewFile(folder, ImageExtension(bytes), bytes, path, reason) ? ImageSaving::kSaved
                                                                          : ImageSaving::kFailed;
}

}  // namespace llmbridge
