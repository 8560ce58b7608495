// Mark dialog: lists the equipment of the loaded cable list and lets the
// user put the selected one's mark on an equipment block in the drawing.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialog.h"
#include "project/cable_list.h"

class DrawMarkDlg : public wb::ui::Dialog {
 public:
  DrawMarkDlg();

  wb::ui::Control& m_fromList;
  wb::ui::Control& m_toList;
  CableList m_cableList;
  // The set button pressed last: 1 From (the only one with a single list),
  // 2 To.
  int32_t m_markSide = 1;

  // Fills both lists from m_cableList: each (mark, sub-number, name) once,
  // in order of first appearance.
  void FillMarkLists();
  void FillLists() { FillMarkLists(); }
  // The selected item of the side's list; three empty texts without one.
  void GetSelectedMark(int side, CString& mark, CString& name, CString& subNumber) const;
  // A set button: checks the selection and the drawing, then queues the
  // mark command.
  void OnSetMark(int side);

 protected:
  void OnInitDialog() override;
  void OnOK() override;  // the From set button
  void OnCommand(int id) override;
  void OnCancel() override;
  void OnClose() override { OnCancel(); }  // the caption's close button
};

extern DrawMarkDlg* g_pDrawMarkDlg;
