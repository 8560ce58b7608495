// The module's long-lived window: holds the loaded cable list, shows it,
// and starts every operation. Buttons that change the drawing only queue a
// command; the command then reads what it needs through g_pMainDlg.
#pragma once

#include <array>
#include <cstdint>

#include "platform/dialogs/dialog.h"
#include "project/cable_list.h"

class MainDlg : public wb::ui::Dialog {
 public:
  MainDlg();

  wb::ui::Control& m_list;
  CString m_lastPlant;
  CString m_lastFacility;
  CableList m_cableList;
  int32_t m_selectedRow = 0;

  bool ProjectLoaded() const { return !m_cableList.sourcePath.empty(); }

  // Columns, button visibility and column order, from the settings and the
  // project's definition file.
  void SetupList();
  // Refills the list from the rows of the cable list.
  void RefreshList();
  // The route confirmation swaps "確認" and "戻す" while it waits.
  void ShowConfirmButtons(bool confirming);

  std::optional<wb::ui::ColorRef> ListTextColor(int listId, int item, int subItem) override;

 protected:
  void OnInitDialog() override;
  void OnCommand(int id) override;
  void OnOK() override {}      // Enter does not close the window
  void OnCancel() override { ShowWindow(false); }
  void OnClose() override { ShowWindow(false); }

 private:
  void OnLoadProject();
  void OnProjectMode(int mode);
  void OnDrawMark();
  void OnSetCable();
  void OnFileOut();
  void OnDrawInfo();
  void OnConfirm();
  void OnInitLength();
  void OnSaveColumnOrder();
};

extern MainDlg* g_pMainDlg;

// The QZ_WireBinder command: settings, then the main dialog created once
// and shown again later.
void QZ_WireBinder();
