// Control IDs of the module's dialogs.
#pragma once

// Main dialog.
enum MainDlgControl {
  IDC_LOAD = 223,
  IDC_DELETE = 224,
  IDC_DRAWMARK = 226,
  IDC_CABLELIST = 227,
  IDC_SETCABLE = 228,
  IDC_FILEOUT = 229,
  IDC_DRAWINFO = 230,
  IDC_CONFIRM = 231,
  IDC_FROMTO = 232,
  IDC_CABLENO = 233,
  IDC_NEW = 234,
  IDC_DELETEMARK = 235,
  IDC_DELETEATT = 236,
  IDC_BACK = 242,
  IDC_OPTION = 243,
  IDC_RESTORE = 260,
  IDC_INITLENGTH = 262,
  IDC_SAVEORDER = 269,
};

// Project dialog.
enum ProjectDlgControl {
  IDC_PROJECT_PLANT_EDIT = 234,
  IDC_PROJECT_FACILITY_EDIT = 235,
  IDC_PROJECT_PLANT_LIST = 237,
  IDC_PROJECT_FACILITY_LIST = 238,
};

// Start-row dialog.
enum StartRowDlgControl {
  IDC_STARTROW_EDIT = 268,
};
