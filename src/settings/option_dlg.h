// Detailed-settings dialog: the drawing parameters of the settings record.
#pragma once

#include "platform/dialogs/dialog.h"

class OptionDlg : public wb::ui::Dialog {
 public:
  OptionDlg();

 protected:
  void OnInitDialog() override;
};
