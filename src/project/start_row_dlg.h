// Asks for the first data line of the cable list file being loaded.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialog.h"

class StartRowDlg : public wb::ui::Dialog {
 public:
  StartRowDlg();

  int32_t m_proposedRow = 1;  // shown when the dialog opens
  int32_t m_startRow = 1;     // the row accepted with OK

 protected:
  void OnInitDialog() override;
  void OnOK() override;
};
