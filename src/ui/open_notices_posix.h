// The notices the X11 window layer keeps open: one per entry of the open-window list.
#pragma once

#include <cstdint>
#include <memory>

#include "ui/notice_window_posix.h"

namespace llmbridge {

// The window layer owns the notice of open window `number` from here on, until CloseAllWindows
// destroys it.
void KeepOpenNotice(int32_t number, std::unique_ptr<NoticeWindow> notice);

}  // namespace llmbridge
