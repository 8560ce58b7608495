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

// Project dialog: the editable pair (create, delete) and the drop-down
// pair (load) share their places; the mode shows one of them.
enum ProjectDlgControl {
  IDC_PLANT_EDIT = 234,
  IDC_FACILITY_EDIT = 235,
  IDC_PLANT_LIST = 237,
  IDC_FACILITY_LIST = 238,
};

// Start-row dialog.
enum StartRowDlgControl {
  IDC_STARTROW = 268,
};

// Detailed-settings dialog.
enum OptionDlgControl {
  IDC_OPT_MARKHEIGHT = 244,
  IDC_OPT_MARKWIDTH = 245,
  IDC_OPT_MARKOFFSET = 246,
  IDC_OPT_MARKLAYER = 247,
  IDC_OPT_LINEWEIGHT = 250,
  IDC_OPT_TEXTHEIGHT = 251,
  IDC_OPT_TEXTWIDTH = 252,
  IDC_OPT_ROWINTERVAL = 253,
  IDC_OPT_STARTOFFSET = 254,
  IDC_OPT_LEADERDEGREE = 255,
  IDC_OPT_ARCMAJOR = 256,
  IDC_OPT_ARCMINOR = 257,
  IDC_OPT_LEADERREVISION = 258,
  IDC_OPT_MARKCOLOR = 259,
  IDC_OPT_CONFIRMCOLOR = 260,
  IDC_OPT_TEXTFORMAT = 261,
  IDC_OPT_DRAWSUBNO = 262,
  IDC_OPT_FORMATLEGEND = 264,
  IDC_OPT_SEPARATOR = 265,
  IDC_OPT_ANNOSUBNO = 266,
};

// Mark dialog; its set buttons are IDOK (From) and IDC_TOSET (To).
enum DrawMarkDlgControl {
  IDC_FROMLIST = 238,
  IDC_TOLIST = 239,
  IDC_TOSET = 240,
};
