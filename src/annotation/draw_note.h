// The hidden dialog that receives the drag loop's events while an
// annotation is placed.
#pragma once

#include "platform/dialogs/dialog.h"

class CDrawNote : public wb::ui::Dialog {
 public:
  CDrawNote();

  double m_globalScale = 1.0;
};

extern CDrawNote* g_pDrawNote;
