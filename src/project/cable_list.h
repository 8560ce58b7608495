// The cable list of one project: one row per cable, imported from the
// user's comma-separated file through the columns its definition file names.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host/host_types.h"

struct CableRow {
  CString number;
  CString size;
  CString fromMark;
  CString fromName;
  CString toMark;
  CString toName;
  CString fromSubNo;
  CString toSubNo;
  bool hasLength = false;
  double length = 0;  // metres
};

struct CableList {
  CString plant;
  CString facility;
  std::vector<CableRow> rows;
  CString sourcePath;
  int32_t startRow = 1;

  void Clear();
  // 0 success, -1 no definition file, -2 a required column is not
  // configured, -3 no row was read. A file with bytes that are no text in
  // the ANSI code page (another encoding, a damaged file) gives -3 with no
  // rows, and `problem`, when given, names the file and the first such line.
  int Import(CString* problem = nullptr);
};

// Digits after the point of a plain decimal number ("12.5" gives 1); 0 for
// anything else.
int CountDecimals(const CString& text);
// True for the first field of a comment line.
bool IsCommentField(const CString& field);
