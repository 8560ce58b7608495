// Every tunable value of the module, in one record, and the project's
// definition file that describes its cable list.
#pragma once

#include <array>
#include <cstdint>

#include "platform/host/host_types.h"
#include "resources/string_table.h"

struct CableList;

// The platform's path separator; folder strings always end with it.
inline constexpr char16_t kPathSeparator = u'/';

struct CableSetting {
  CString systemDir;
  CString projectRoot;
  bool showOptionButton = false;
  bool showDeleteAttButton = false;
  bool showInitLengthButton = false;
  bool outLog = false;
  bool readDefaultOutFile = false;
  bool oneMarkDialog = true;
  CString outCableListName = u"Cablelist.csv";
  bool drawSubNumber = true;
  CString subNumberSeparator = u"-";
  bool annoSubNumber = false;
  bool mostShortDist = true;
  double markTextHeight = 2.0;
  double markWidthFactor = 0.8;
  double markOffset = 0.5;
  CString markLayer = u"_QZ_KIGO";
  int32_t markColor = 256;
  int32_t confirmColor = 1;
  int32_t confirmLineWeight = 30;
  double cinfoTextHeight = 2.0;
  double cinfoTextWidth = 1.6;
  double cinfoRowInterval = 2.5;
  double cinfoStartOffset = 4.0;
  bool cinfoLeaderRevision = true;
  double cinfoLeaderDegree = 15.0;
  double cinfoArcMajorAxis = 1.0;
  double cinfoArcMinorAxis = 0.8;
  CString cinfoTextFormat = u"C D A B";
};

extern CableSetting g_cableSetting;

void LoadSettings(CableSetting& setting);
void SaveDrawingSettings(const CableSetting& setting);

// The project's CablelistDefine.ini: its own, its plant's, or the projects
// root's (under `setting.projectRoot`), never cached. `path` holds the last
// candidate tried.
bool FindDefinitionFile(const CableList& list, CString& path,
                        const CableSetting& setting = g_cableSetting);
// A column number of the definition file: its leading integer, 0 when that
// is below 1 (not configured) or when the text holds no number.
int ColumnNumber(const CString& text);
// "DIST": 0 when below 1, -1 without a definition file.
int ReadLengthColumn(const CableList& list, const CableSetting& setting = g_cableSetting);
// "RowNumber": 1 when below 1, -1 without a definition file.
int ReadStartRow(const CableList& list, const CableSetting& setting = g_cableSetting);
void WriteStartRow(const CableList& list, int row, const CableSetting& setting = g_cableSetting);
// 1..7, each non-empty key of the file overriding its position (0 for a
// value below 1); the ranks are not checked here.
void ReadListColumnOrder(const CableList& list, std::array<int, 7>& order,
                         const CableSetting& setting = g_cableSetting);
void WriteListColumnOrder(const CableList& list, const std::array<int, 7>& order,
                          const CableSetting& setting = g_cableSetting);
