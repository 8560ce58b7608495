// The route log, log.csv in the projects root: one entry per search, the
// newest first, in the ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/host_types.h"

// The lines of one entry: header, cable line, one line per route element.
CStringArray RouteLogEntry(AcDbObjectId from, AcDbObjectId to, const AcDbObjectIdArray& route,
                           uint32_t searchMs, uint32_t cumulativeMs);

// The entries of one command, kept until its end and then put on top of the
// file at once. The file then holds what adding them one by one would have
// left: each addition reads the older lines back through the code page and
// writes them again, so older text that changes on such a round trip (an
// escape written as plain text, a character that reads back as another)
// changes as often as later entries were added.
class RouteLog {
 public:
  explicit RouteLog(CString path);

  void Add(const CStringArray& entry);
  // Writes the entries above the older lines; nothing without entries.
  // False when the file could not be written (the old one stays).
  bool Write();

 private:
  struct Entry {
    std::string bytes;   // as first written, entry and empty line
    CStringArray lines;  // kept only when a round trip may change them
  };
  std::string Settle(CStringArray lines, size_t passes);
  bool Stable(const CString& line);

  CString path_;
  std::vector<Entry> entries_;
  std::vector<int8_t> unitStable_;  // per UTF-16 unit: unknown, no, yes
};

// Adds one entry at the top of the route log when the log is switched on.
void WriteRouteLog(AcDbObjectId from, AcDbObjectId to, AcDbObjectIdArray route, uint32_t searchMs,
                   uint32_t cumulativeMs);
