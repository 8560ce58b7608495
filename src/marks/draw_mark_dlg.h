// Mark dialog: lists the marks of the loaded cable list and places the one
// the user picks on an equipment block.
#pragma once

#include "platform/dialogs/dialog.h"
#include "project/cable_list.h"

class DrawMarkDlg : public wb::ui::Dialog {
 public:
  DrawMarkDlg();

  CableList m_cableList;
  // Fills the mark lists from m_cableList.
  void FillLists();
};

extern DrawMarkDlg* g_pDrawMarkDlg;
