// The runtime's shell layers: notification-area icons, menus and OLE. No export uses them; they
// are started and released with the library.
#pragma once

#include <cstdint>

namespace llmbridge {

void InitTrayIcons();  // registry; the taskbar-restart message
void InitMenus();      // registry and the menu state
void InitOle();        // on the loading thread
void ShutdownOle();    // balances InitOle only when it succeeded, and only on that thread
void ReleaseAllTrayIcons();

// The message Explorer broadcasts when the taskbar is recreated (0 where there is none).
uint32_t TaskbarCreatedMessage();

}  // namespace llmbridge
