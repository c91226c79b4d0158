// The control layer on Windows: the labels' font and the common control classes.
#include <windows.h>
// clang-format off: commctrl.h needs windows.h first
#include <commctrl.h>
// clang-format on

#include "ui/window_class_win32.h"
#include "ui/window_layer.h"

namespace llmbridge {

namespace {

// Made once at start-up and kept until the process ends, as stock objects are.
HFONT g_control_font = nullptr;

// The size of NONCLIENTMETRICSW before Windows Vista added iPaddedBorderWidth. The call then
// succeeds on every version, and the message font is all we read.
constexpr UINT kClassicMetricsSize = 500;

// ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES | ICC_USEREX_CLASSES |
// ICC_INTERNET_CLASSES.
constexpr DWORD kCommonControlClasses = 0xB48;

}  // namespace

HFONT ControlFont() { return g_control_font; }

void InitControlLayer() {
  g_control_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  NONCLIENTMETRICSW metrics{};
  static_assert(sizeof(metrics) >= kClassicMetricsSize);
  metrics.cbSize = kClassicMetricsSize;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kClassicMetricsSize, &metrics, 0)) {
    HFONT message_font = CreateFontIndirectW(&metrics.lfMessageFont);
    if (message_font != nullptr) g_control_font = message_font;
  }
  INITCOMMONCONTROLSEX controls{sizeof(controls), kCommonControlClasses};
  InitCommonControlsEx(&controls);
}

}  // namespace llmbridge
