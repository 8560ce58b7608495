// Project dialog: picks PLANT and 設備 folders under the projects root and
// loads a cable list, creates a project or deletes one.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialog.h"
#include "project/cable_list.h"

class ProjectDlg : public wb::ui::Dialog {
 public:
  enum Mode : int32_t { kLoad = 0, kCreate = 1, kDelete = 2 };

  ProjectDlg();

  int32_t m_mode = kLoad;
  CString m_selectedPlant;
  CString m_selectedFacility;
  CableList m_cableList;

 protected:
  void OnInitDialog() override;
};
