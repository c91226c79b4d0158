// Server-sent events read as a browser's EventSource reads them, from bytes as they arrive in
// chunks of any size: lines end with CR LF, LF or CR; a line starting with a colon is a comment;
// "data" lines add to the event's data, joined with LF; a blank line dispatches the event; other
// fields ("event", "id", "retry", unknown ones) are read and set nothing the reader uses. An event
// whose blank line never arrives is never dispatched.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace llmbridge {

class EventStreamReader {
 public:
  using EventHandler = std::function<void(std::string_view data)>;

  // Reads `chunk`, calling `on_event` with the data of each event it completes (its data lines
  // joined with LF). Keeps a line cut by the chunk's end for the next chunk.
  void Read(std::string_view chunk, const EventHandler& on_event);

  // How many events were dispatched so far.
  size_t events() const { return events_; }

 private:
  void ReadLine(std::string_view line, const EventHandler& on_event);

  std::string line_;  // the line read so far, without its end
  std::string data_;  // the data lines of the event read so far, each followed by LF
  bool has_data_ = false;
  bool after_cr_ = false;  // the last byte was a CR: an LF next ends no second line
  bool at_start_ = true;   // a byte-order mark here is skipped
  size_t events_ = 0;
};

}  // namespace llmbridge
