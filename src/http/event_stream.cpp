#include "http/event_stream.h"

namespace llmbridge {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

void EventStreamReader::Read(std::string_view chunk, const EventHandler& on_event) {
  if (at_start_) {
    // The mark may itself arrive split: hold back a prefix of it until it is whole or broken.
    line_ += chunk;
    if (line_.size() < kByteOrderMark.size() && kByteOrderMark.substr(0, line_.size()) == line_)
      return;
    at_start_ = false;
    const std::string held = std::move(line_);
    line_.clear();
    const std::string_view rest = std::string_view(held).substr(
        held.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 ? kByteOrderMark.size() : 0);
    return Read(rest, on_event);
  }
  size_t start = 0;
  for (size_t i = 0; i < chunk.size(); ++i) {
    const char c = chunk[i];
    if (c != '\r' && c != '\n') continue;
    if (c == '\n' && after_cr_ && i == start && line_.empty()) {
      // The LF of a CR LF pair whose CR ended the line already.
      after_cr_ = false;
      start = i + 1;
      continue;
    }
    line_.append(chunk.data() + start, i - start);
    after_cr_ = c == '\r';
    start = i + 1;
    const std::string line = std::move(line_);
    line_.clear();
    ReadLine(line, on_event);
  }
  if (start < chunk.size()) after_cr_ = false;
  line_.append(chunk.data() + start, chunk.size() - start);
}

void EventStreamReader::ReadLine(std::string_view line, const EventHandler& on_event) {
  if (line.empty()) {
    if (!has_data_) return;
    std::string data = std::move(data_);
    data_.clear();
    has_data_ = false;
    data.pop_back();  // the LF after the last data line
    ++events_;
    on_event(data);
    return;
  }
  if (line.front() == ':') return;  // a comment, as servers send to keep a slow stream alive
  const size_t colon = line.find(':');
  const std::string_view field = line.substr(0, colon);
  std::string_view value =
      colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
  if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  if (field != "data") return;
  data_.append(value.data(), value.size());
  data_ += '\n';
  has_data_ = true;
}

}  // namespace llmbridge
