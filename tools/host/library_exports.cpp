#include "library_exports.h"

namespace llmbridge::host {

namespace {

template <typename Function>
bool BindOne(const LoadedLibrary& library, const char* name, Function& function,
             std::string& error) {
  function = reinterpret_cast<Function>(library.Find(name));
  if (function == nullptr && error.empty())
    error = std::string("the library does not export ") + name;
  return function != nullptr;
}

}  // namespace

bool LoadedLibrary::Bind(LibraryExports& exports) {
  bool all = BindOne(*this, "chat", exports.chat, error_);
  all = BindOne(*this, "getmodels", exports.getmodels, error_) && all;
  all = BindOne(*this, "imagen", exports.imagen, error_) && all;
  all = BindOne(*this, "checkdllversion", exports.checkdllversion, error_) && all;
  all = BindOne(*this, "FreeMem", exports.FreeMem, error_) && all;
  all = BindOne(*this, "chatW", exports.chatW, error_) && all;
  all = BindOne(*this, "getmodelsW", exports.getmodelsW, error_) && all;
  all = BindOne(*this, "imagenW", exports.imagenW, error_) && all;
  all = BindOne(*this, "checkdllversionW", exports.checkdllversionW, error_) && all;
  all = BindOne(*this, "newchat", exports.newchat, error_) && all;
  all = BindOne(*this, "lasterror", exports.lasterror, error_) && all;
  all = BindOne(*this, "lasterrorW", exports.lasterrorW, error_) && all;
  all = BindOne(*this, "chatstart", exports.chatstart, error_) && all;
  all = BindOne(*this, "chatstartW", exports.chatstartW, error_) && all;
  all = BindOne(*this, "chatstatus", exports.chatstatus, error_) && all;
  all = BindOne(*this, "chatpoll", exports.chatpoll, error_) && all;
  all = BindOne(*this, "chatpollW", exports.chatpollW, error_) && all;
  all = BindOne(*this, "chatcancel", exports.chatcancel, error_) && all;
  all = BindOne(*this, "setoption", exports.setoption, error_) && all;
  return BindOne(*this, "setoptionW", exports.setoptionW, error_) && all;
}

}  // namespace llmbridge::host
