#include "project/project_dlg.h"

#include "platform/dialogs/dialog_backend.h"
#include "platform/dialogs/message_box.h"
#include "platform/fs/file_system.h"
#include "project/start_row_dlg.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"

namespace {

void ShowMessage(int stringId, unsigned type = MB_OK) {
  AfxMessageBox(LoadModuleString(stringId), type);
}

const CString& Root() { return g_cableSetting.projectRoot; }

}  // namespace

ProjectDlg::ProjectDlg() : Dialog(DialogTemplate(IDD_PROJECT)) {}

bool ProjectDlg::IsFolderName(const CString& name) {
  if (name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (c == u'/' || c == u'\\' || c < 0x20) return false;
  return true;
}

bool ProjectDlg::InRoot(const CString& plant, const CString& facility) {
  if (!IsFolderName(plant) || (!facility.empty() && !IsFolderName(facility))) return false;
  // A plant or facility folder that is a symbolic link out of the root
  // would let create, delete and export act outside it.
  return wb::fs::LiesWithin(Root() + plant + kPathSeparator + facility, Root());
}

int ProjectDlg::PlantBox() const { return m_mode == kLoad ? IDC_PLANT_LIST : IDC_PLANT_EDIT; }
int ProjectDlg::FacilityBox() const {
  return m_mode == kLoad ? IDC_FACILITY_LIST : IDC_FACILITY_EDIT;
}

CString ProjectDlg::CurrentText(int id) const {
  const wb::ui::Control& box = Item(id);
  return box.currentIndex() >= 0 ? box.GetLBText(box.currentIndex()) : box.text();
}

void ProjectDlg::OnInitDialog() {
  static constexpr int kCaptions[] = {104, 105, 106};
  const int mode = (m_mode >= kLoad && m_mode <= kDelete) ? m_mode : kLoad;
  SetWindowText(LoadModuleString(kCaptions[mode]));
  if (mode == kLoad) {
    SetDlgItemText(IDOK, LoadModuleString(124));
  } else {
    SetDlgItemText(IDCANCEL, LoadModuleString(115));
    SetDlgItemText(IDOK, LoadModuleString(mode == kCreate ? 118 : 119));
  }
  ShowItem(PlantBox(), true);
  ShowItem(FacilityBox(), true);
  FillPlants();
  FillFacilities();
}

void ProjectDlg::FillBox(int id, const CString& folder) {
  wb::ui::Control& box = Item(id);
  for (const CString& name : wb::fs::SubFolders(folder))
    if (IsFolderName(name) && wb::fs::LiesWithin(folder + name, Root())) box.AddString(name);
  if (box.GetCount() > 0) box.SetCurSel(0);
  Touch(id);
}

void ProjectDlg::FillPlants() {
  for (int id : {PlantBox(), FacilityBox()}) {
    Item(id).ResetContent();
    SetDlgItemText(id, CString());
  }
  // An empty root is the working folder, as the paths are plain
  // concatenations.
  FillBox(PlantBox(), Root());
}

void ProjectDlg::FillFacilities() {
  const CString plant = CurrentText(PlantBox());
  if (plant.empty()) return;
  Item(FacilityBox()).ResetContent();
  SetDlgItemText(FacilityBox(), CString());
  if (!IsFolderName(plant)) return;
  FillBox(FacilityBox(), Root() + plant + kPathSeparator);
}

void ProjectDlg::OnSelChange(int id) {
  if (id == PlantBox()) FillFacilities();
}

void ProjectDlg::OnOK() {
  switch (m_mode) {
    case kLoad: Load(); break;
    case kCreate: CreateProject(); break;
    case kDelete: DeleteProject(); break;
    default: break;
  }
}

void ProjectDlg::Load() {
  const CString plant = CurrentText(PlantBox());
  const CString facility = CurrentText(FacilityBox());
  // Loading without a complete project would search definition files and
  // export into a folder the user never chose, so the load stops here.
  if (plant.empty() || facility.empty() || !InRoot(plant, facility)) {
    ShowMessage(107);
    return;
  }

  wb::ui::FileDialogRequest request;
  request.filter = u"Csv Files (*.csv)|*.csv||";
  request.defaultExtension = u".csv";
  request.fileMustExist = true;
  request.readOnlyChecked = true;
  request.initialDir = Root();
  request.initialFile = Root() + u"*.csv";
  if (g_cableSetting.readDefaultOutFile) {
    const CString exported =
        Root() + plant + kPathSeparator + facility + kPathSeparator + g_cableSetting.outCableListName;
    if (wb::fs::FileExists(exported)) {
      request.initialDir = Root() + plant + kPathSeparator + facility + kPathSeparator;
      request.initialFile = exported;
    } else {
      request.initialFile = Root();
    }
  }
  std::optional<CString> chosen;
  {
    wb::ui::ResourceOverride resources;
    chosen = wb::ui::Backend().FileOpen(request);
  }
  if (!chosen || chosen->empty()) return;

  const CString keptPath = m_cableList.sourcePath;
  const CString keptPlant = m_cableList.plant;
  const CString keptFacility = m_cableList.facility;
  auto restore = [&] {
    m_cableList.sourcePath = keptPath;
    m_cableList.plant = keptPlant;
    m_cableList.facility = keptFacility;
  };
  m_cableList.sourcePath = *chosen;
  m_cableList.plant = plant;
  m_cableList.facility = facility;

  const int proposed = ReadStartRow(m_cableList);
  if (proposed < 0) {
    restore();
    return;
  }
  int startRow = 1;
  {
    wb::ui::ResourceOverride resources;
    StartRowDlg rowDialog;
    rowDialog.m_proposedRow = proposed;
    if (rowDialog.DoModal() != IDOK) {
      restore();
      return;
    }
    startRow = rowDialog.m_startRow;
  }
  WriteStartRow(m_cableList, startRow);
  m_cableList.startRow = startRow;
  CString problem;
  switch (m_cableList.Import(&problem)) {
    case -1: ShowMessage(108); return;
    case -2: ShowMessage(109); return;
    case -3:
      // The box's title names the file and line that could not be read.
      if (problem.empty())
        ShowMessage(110);
      else
        MessageBoxW(LoadModuleString(110), problem, MB_OK);
      return;
    default: break;
  }
  ShowMessage(111, MB_OK | MB_ICONINFORMATION);
  m_selectedPlant = plant;
  m_selectedFacility = facility;
  EndDialog(IDOK);
}

// The combo box's prefix search from index 0 looks at entry 1 first and at
// entry 0 last: beside "AB", a new "A" (entry 0) finds "AB".
void ProjectDlg::SelectCreated(const CString& plant, const CString& facility) {
  FillPlants();
  FillFacilities();
  const int plantIndex = Item(PlantBox()).FindString(0, plant);
  if (plantIndex >= 0) {
    Item(PlantBox()).SetCurSel(plantIndex);
    Touch(PlantBox());
    FillFacilities();
  }
  const int facilityIndex = Item(FacilityBox()).FindString(0, facility);
  Item(FacilityBox()).SetCurSel(facilityIndex);
  if (facilityIndex < 0) Item(FacilityBox()).set_text(CString());
  Touch(FacilityBox());
}

void ProjectDlg::CreateProject() {
  const CString plant = CurrentText(PlantBox());
  const CString facility = CurrentText(FacilityBox());
  if (plant.empty() || !InRoot(plant, facility)) {
    ShowMessage(107);
    return;
  }
  const CString plantFolder = Root() + plant + kPathSeparator;
  const bool plantMade = wb::fs::CreateFolder(plantFolder);
  const bool projectMade =
      !facility.empty() && wb::fs::CreateFolder(plantFolder + facility + kPathSeparator);
  if (!plantMade && !projectMade) {
    ShowMessage(112);
    return;
  }
  SelectCreated(plant, facility);
  ShowMessage(113, MB_OK | MB_ICONINFORMATION);
}

void ProjectDlg::DeleteProject() {
  const CString plant = CurrentText(PlantBox());
  const CString facility = CurrentText(FacilityBox());
  if (plant.empty() || !InRoot(plant, facility)) {
    ShowMessage(107);
    return;
  }
  if (AfxMessageBox(LoadModuleString(114), MB_YESNO) != IDYES) return;
  CString target = Root() + plant;
  if (!facility.empty()) target += kPathSeparator + facility;
  // Not cut to any length: a shortened path would name another folder. A
  // typed name of a file in the root (the shared definition file, the route
  // log) is no project and stays.
  const bool deleted = wb::fs::DirectoryExists(target) && wb::fs::DeleteTree(target);
  if (!deleted) {
    ShowMessage(116);
    return;
  }
  SelectCreated(plant, facility);
  ShowMessage(117, MB_OK | MB_ICONINFORMATION);
}
