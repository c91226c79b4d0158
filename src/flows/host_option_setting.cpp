#include "flows/host_option_setting.h"

#include <initializer_list>
#include <utility>

#include "flows/header_option.h"
#include "flows/json_object_option.h"
#include "flows/proxy_option.h"
#include "flows/server_address.h"
#include "flows/timeout_option.h"
#include "state/host_options.h"
#include "state/new_file.h"

namespace llmbridge {

namespace {

// Reads a body option and refuses the members the library must write itself.
bool ReadBodyMembers(const Text& name, const Text& value,
                     std::initializer_list<const char16_t*> refused,
                     std::vector<OptionMember>& members, Text& reason) {
  if (!ReadJsonObjectOption(value, members, reason)) {
    reason = u"the " + name + u" option is not a JSON object: " + reason;
    return false;
  }
  for (const OptionMember& member : members) {
    for (const char16_t* key : refused) {
      if (member.key == key) {
        reason = u"the " + name + u" option may not set \"" + member.key +
                 u"\", which the library writes itself";
        return false;
      }
    }
  }
  return true;
}

// One option: how its value is read into a HostOptions, and which fields it owns.
struct OptionRule {
  const char16_t* name;
  bool (*read)(const Text& value, HostOptions& read, Text& reason);
  void (*keep)(HostOptions& stored, HostOptions&& read);
};

const OptionRule kOptionRules[] = {
    {u"system",
     [](const Text& value, HostOptions& read, Text&) {
       read.system = value;
       return true;
     },
     [](HostOptions& stored, HostOptions&& read) { stored.system = std::move(read.system); }},
    {u"body",
     [](const Text& value, HostOptions& read, Text& reason) {
       return ReadBodyMembers(u"body", value, {u"messages", u"stream"}, read.body, reason);
     },
     [](HostOptions& stored, HostOptions&& read) { stored.body = std::move(read.body); }},
    {u"imagebody",
     [](const Text& value, HostOptions& read, Text& reason) {
       return ReadBodyMembers(u"imagebody", value, {u"prompt"}, read.imagebody, reason);
     },
     [](HostOptions& stored, HostOptions&& read) { stored.imagebody = std::move(read.imagebody); }},
    {u"header",
     [](const Text& value, HostOptions& read, Text& reason) {
       return ReadHeaderOption(value, read.headers, reason);
     },
     [](HostOptions& stored, HostOptions&& read) { stored.headers = std::move(read.headers); }},
    {u"timeout",
     [](const Text& value, HostOptions& read, Text& reason) {
       if (!ReadTimeoutOption(value, read.timeout_ms, reason)) return false;
       if (read.timeout_ms != 0) read.timeout = value;
       return true;
     },
     [](HostOptions& stored, HostOptions&& read) {
       stored.timeout_ms = read.timeout_ms;
       stored.timeout = std::move(read.timeout);
     }},
    {u"proxy",
     [](const Text& value, HostOptions& read, Text& reason) {
       read.proxy = value;
       return ReadProxyOption(value, reason);
     },
     [](HostOptions& stored, HostOptions&& read) { stored.proxy = std::move(read.proxy); }},
    {u"imageurl",
     [](const Text& value, HostOptions& read, Text& reason) {
       read.imageurl = value;
       if (IsBaseUrl(value)) return true;
       reason =
           u"the imageurl \"" + value + u"\" is not a base URL beginning with http:// or https://";
       return false;
     },
     [](HostOptions& stored, HostOptions&& read) { stored.imageurl = std::move(read.imageurl); }},
    {u"imagedir",
     [](const Text& value, HostOptions& read, Text& reason) {
       read.imagedir = value;
       if (IsFolder(value)) return true;
       reason = u"the imagedir \"" + value + u"\" is not an existing folder";
       return false;
     },
     [](HostOptions& stored, HostOptions&& read) { stored.imagedir = std::move(read.imagedir); }},
};

}  // namespace

bool SetHostOption(const Text& name, const Text& value, Text& reason) {
  for (const OptionRule& rule : kOptionRules) {
    if (name != rule.name) continue;
    // An empty value leaves `read` at the defaults, which is what resetting stores.
    HostOptions read;
    if (!value.empty() && !rule.read(value, read, reason)) return false;
    ChangeHostOptions([&](HostOptions& stored) { rule.keep(stored, std::move(read)); });
    return true;
  }
  reason = u"there is no option named \"" + name + u"\"";
  return false;
}

}  // namespace llmbridge
