#include "platform/qzcomn/window/qzcomn_window.h"

namespace {
QzCurrentWindow g_current;
}

void QzComn_SetCurrentWindow2(wb::ui::Dialog* window, bool active, int message, int wParam,
                              int lParam) {
  g_current = {window, active, message, wParam, lParam};
}

const QzCurrentWindow& QzComn_CurrentWindow() { return g_current; }
