// Project dialog: picks PLANT and 設備 folders under the projects root and
// loads a cable list, creates a project or deletes one. Every folder it
// touches lies inside the projects root.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialog.h"
#include "project/cable_list.h"

class ProjectDlg : public wb::ui::Dialog {
 public:
  enum Mode : int32_t { kLoad = 0, kCreate = 1, kDelete = 2 };

  ProjectDlg();

  int32_t m_mode = kLoad;
  // Set by the caller; after a successful load, the loaded project.
  CString m_selectedPlant;
  CString m_selectedFacility;
  CableList m_cableList;

  // True for a name that stays one folder below its parent: not "." or
  // "..", no path separator of either system, no control characters.
  static bool IsFolderName(const CString& name);
  // Both names are folder names and their folder really lies under the
  // projects root (an empty facility: the plant folder).
  static bool InRoot(const CString& plant, const CString& facility);

 protected:
  void OnInitDialog() override;
  void OnOK() override;
  void OnSelChange(int id) override;

 private:
  int PlantBox() const;
  int FacilityBox() const;
  // Text of the selected entry, else the typed text.
  CString CurrentText(int id) const;
  void FillPlants();
  void FillFacilities();
  void FillBox(int id, const CString& folder);
  void SelectCreated(const CString& plant, const CString& facility);

  void Load();
  void CreateProject();
  void DeleteProject();
};
