#include "flows/answer_parse.h"

#include <new>

#include "json/json_parser.h"
#include "json/json_slots.h"

namespace llmbridge {

JsonValue* ParseAnswerInto(int32_t slot, std::string_view body) {
  JsonError error;
  if (ParseUtf8Json(slot, body, &error) == 0) {
    if (error.code == JsonErrorCode::OutOfMemory) throw std::bad_alloc();
    return nullptr;
  }
  return GetJsonRoot(slot);
}

}  // namespace llmbridge
