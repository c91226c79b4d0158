// The X11 window layer: it owns the open notices and the Xlib it loaded for them.
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "ui/open_notices_posix.h"
#include "ui/open_window_list.h"
#include "ui/window_layer.h"
#include "ui/window_platform.h"
#include "ui/xlib_posix.h"

namespace llmbridge {

namespace {
// The open notices by window number: each owns its display connection.
std::map<int32_t, std::unique_ptr<NoticeWindow>> g_notices;
}  // namespace

void KeepOpenNotice(int32_t number, std::unique_ptr<NoticeWindow> notice) {
  g_notices[number] = std::move(notice);
}

// No window classes or icons exist here: the notice brings its own.
void InitWindowLayer() {}

namespace platform {

void DestroyTopLevelWindow(const OpenWindow& window) { g_notices.erase(window.number); }

void ReleaseWindowDefaults() { UnloadXlib(); }

}  // namespace platform

}  // namespace llmbridge
