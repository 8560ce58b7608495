// The common library's record of the module window it forwards host
// notifications to.
#pragma once

namespace wb::ui {
class Dialog;
}

struct QzCurrentWindow {
  wb::ui::Dialog* window = nullptr;
  bool active = false;
  int message = 0;
  int wParam = 0;
  int lParam = 0;
};

void QzComn_SetCurrentWindow2(wb::ui::Dialog* window, bool active, int message, int wParam,
                              int lParam);
const QzCurrentWindow& QzComn_CurrentWindow();
