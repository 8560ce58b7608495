#include "settings/cable_setting.h"

#include "platform/arxutil/convert.h"
#include "platform/fs/file_system.h"
#include "platform/profile/profile_file.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "project/cable_list.h"
#include "resources/string_table.h"

CableSetting g_cableSetting;

namespace {

const CString kSection = u"WireBinder";
const char16_t* kColumnKeys[7] = {u"NO", u"SIZE", u"FROM_MARK", u"FROM_NO",
                                  u"TO_MARK", u"TO_NO", u"DIST"};

CString Read(const CString& key) {
  CString value;
  QzComn_readConfig(value, u"", kSection, key);
  return value;
}

bool OnlyIfOn(const CString& value) { return wb::EqualsNoCase(value, u"ON"); }
bool UnlessOff(const CString& value) { return !wb::EqualsNoCase(value, u"OFF"); }

void AssignDouble(const CString& text, double& field) {
  if (!text.empty()) field = ApiComn_atof(text);
}
void AssignInt(const CString& text, int32_t& field) {
  if (!text.empty()) field = _wtoi(text);
}
void AssignString(const CString& text, CString& field) {
  if (!text.empty()) field = text;
}

void Write(const CString& key, const CString& value) {
  QzComn_writeConfig(kSection, key, value, u"");
}
CString G(double v) { return wb::Format(u"%g", v); }
CString D(int v) { return wb::Format(u"%d", v); }
CString Switch(bool v) { return v ? u"ON" : u"OFF"; }

}  // namespace

void LoadSettings(CableSetting& s) {
  const CString section = LoadModuleString(101);
  const CString key = LoadModuleString(102);
  s.systemDir = QzComn_GetEnv(QZCE_INIFILE, section, key);
  if (s.systemDir.empty() || s.systemDir.back() != kPathSeparator) s.systemDir += kPathSeparator;

  CString projectDir = Read(u"ProjectDir");
  if (!projectDir.empty()) {
    if (projectDir.front() == kPathSeparator) projectDir.erase(0, 1);
    if (projectDir.empty() || projectDir.back() != kPathSeparator) projectDir += kPathSeparator;
    s.projectRoot = s.systemDir + projectDir;
  } else {
    s.projectRoot = s.systemDir + LoadModuleString(103) + kPathSeparator;
  }

  s.showOptionButton = OnlyIfOn(Read(u"ShowOptionButton"));
  s.showDeleteAttButton = OnlyIfOn(Read(u"ShowDeleteAttButton"));
  s.showInitLengthButton = OnlyIfOn(Read(u"ShowInitLengthButton"));
  s.outLog = OnlyIfOn(Read(u"OutLog"));
  s.readDefaultOutFile = OnlyIfOn(Read(u"ReadDefaultOutFile"));
  s.oneMarkDialog = UnlessOff(Read(u"OneMarkDialog"));
  AssignString(Read(u"OutCableListName"), s.outCableListName);

  s.drawSubNumber = UnlessOff(Read(u"NO_DRAW"));
  const CString separator = Read(u"NO_DEVIDESTRING");
  s.subNumberSeparator = separator.empty() ? CString(u" ") : separator;
  s.annoSubNumber = OnlyIfOn(Read(u"NO_ANNO"));
  s.mostShortDist = UnlessOff(Read(u"MOST_SHORT_DIST"));

  const CString kigoHeight = Read(u"KIGO_HEIGHT"), kigoWidth = Read(u"KIGO_WIDTHFACTOR"),
                kigoOffset = Read(u"KIGO_OFFSET"), kigoLayer = Read(u"KIGO_LAYER"),
                kigoColor = Read(u"KIGO_COLOR"), confirmColor = Read(u"CONFIRM_COLOR"),
                confirmWeight = Read(u"CONFIRM_LINEWEIGHT"),
                textHeight = Read(u"CINFO_TEXTHEIGHT"), textWidth = Read(u"CINFO_TEXTWIDTH"),
                rowInterval = Read(u"CINFO_TEXTROWINTERVAL"),
                startOffset = Read(u"CINFO_TEXTSTARTOFFSET"),
                leaderRevision = Read(u"CINFO_TEXTLEADERREVISION"),
                leaderDegree = Read(u"CINFO_TEXTLEADERDEGREE"),
                arcMajor = Read(u"CINFO_TEXTARCMAJORAXIS"),
                arcMinor = Read(u"CINFO_TEXTARCMINORAXIS"), format = Read(u"CINFO_TEXTFORMAT");
  AssignDouble(kigoHeight, s.markTextHeight);
  AssignDouble(kigoWidth, s.markWidthFactor);
  AssignDouble(kigoOffset, s.markOffset);
  AssignString(kigoLayer, s.markLayer);
  AssignInt(kigoColor, s.markColor);
  AssignInt(confirmColor, s.confirmColor);
  AssignInt(confirmWeight, s.confirmLineWeight);
  AssignDouble(textHeight, s.cinfoTextHeight);
  AssignDouble(textWidth, s.cinfoTextWidth);
  AssignDouble(rowInterval, s.cinfoRowInterval);
  AssignDouble(startOffset, s.cinfoStartOffset);
  s.cinfoLeaderRevision = UnlessOff(leaderRevision);
  AssignDouble(leaderDegree, s.cinfoLeaderDegree);
  AssignDouble(arcMajor, s.cinfoArcMajorAxis);
  AssignDouble(arcMinor, s.cinfoArcMinorAxis);
  AssignString(format, s.cinfoTextFormat);
}

void SaveDrawingSettings(const CableSetting& s) {
  Write(u"KIGO_HEIGHT", G(s.markTextHeight));
  Write(u"KIGO_WIDTHFACTOR", G(s.markWidthFactor));
  Write(u"KIGO_OFFSET", G(s.markOffset));
  Write(u"KIGO_LAYER", s.markLayer);
  Write(u"KIGO_COLOR", D(s.markColor));
  Write(u"CONFIRM_COLOR", D(s.confirmColor));
  Write(u"CONFIRM_LINEWEIGHT", D(s.confirmLineWeight));
  Write(u"CINFO_TEXTHEIGHT", G(s.cinfoTextHeight));
  Write(u"CINFO_TEXTWIDTH", G(s.cinfoTextWidth));
  Write(u"CINFO_TEXTROWINTERVAL", G(s.cinfoRowInterval));
  Write(u"CINFO_TEXTSTARTOFFSET", G(s.cinfoStartOffset));
  Write(u"CINFO_TEXTLEADERREVISION", Switch(s.cinfoLeaderRevision));
  Write(u"CINFO_TEXTLEADERDEGREE", G(s.cinfoLeaderDegree));
  Write(u"CINFO_TEXTARCMAJORAXIS", G(s.cinfoArcMajorAxis));
  Write(u"CINFO_TEXTARCMINORAXIS", G(s.cinfoArcMinorAxis));
  Write(u"CINFO_TEXTFORMAT", s.cinfoTextFormat);
  Write(u"NO_DRAW", Switch(s.drawSubNumber));
  Write(u"NO_DEVIDESTRING", s.subNumberSeparator);
  Write(u"NO_ANNO", Switch(s.annoSubNumber));
}

bool FindDefinitionFile(const CableList& list, CString& path, const CableSetting& setting) {
  const CString name = u"CablelistDefine.ini";
  const CString& root = setting.projectRoot;
  const CString candidates[3] = {
      root + list.plant + kPathSeparator + list.facility + kPathSeparator + name,
      root + list.plant + kPathSeparator + name,
      root + name,
  };
  for (const auto& candidate : candidates) {
    path = candidate;
    if (wb::fs::FileExists(path)) return true;
  }
  return false;
}

int ColumnNumber(const CString& text) {
  // _wtoi saturates, so the callers' "- 1" to a 0-based index cannot
  // overflow once everything below 1 is 0.
  const int value = _wtoi(text);
  return value < 1 ? 0 : value;
}

int ReadLengthColumn(const CableList& list, const CableSetting& setting) {
  CString path;
  if (!FindDefinitionFile(list, path, setting)) return -1;
  return ColumnNumber(QzComn_GetEnv(path, u"WireBinder", u"DIST"));
}

int ReadStartRow(const CableList& list, const CableSetting& setting) {
  CString path;
  if (!FindDefinitionFile(list, path, setting)) return -1;
  int row = _wtoi(QzComn_GetEnv(path, u"StartRow", u"RowNumber"));
  return row < 1 ? 1 : row;
}

void WriteStartRow(const CableList& list, int row, const CableSetting& setting) {
  CString path;
  if (!FindDefinitionFile(list, path, setting)) return;
  WritePrivateProfileStringW(u"StartRow", u"RowNumber", wb::Format(u"%d", row), path);
}

void ReadListColumnOrder(const CableList& list, std::array<int, 7>& order,
                         const CableSetting& setting) {
  for (int i = 0; i < 7; ++i) order[i] = i + 1;
  CString path;
  if (!FindDefinitionFile(list, path, setting)) return;
  for (int i = 0; i < 7; ++i) {
    const CString value = QzComn_GetEnv(path, u"ListColumnNumber", kColumnKeys[i]);
    if (!value.empty()) order[i] = ColumnNumber(value);
  }
}

void WriteListColumnOrder(const CableList& list, const std::array<int, 7>& order,
                          const CableSetting& setting) {
  CString path;
  if (!FindDefinitionFile(list, path, setting)) return;
  for (int i = 0; i < 7; ++i)
    WritePrivateProfileStringW(u"ListColumnNumber", kColumnKeys[i], wb::Format(u"%d", order[i]),
                               path);
}
