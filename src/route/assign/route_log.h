// The route log, log.csv in the projects root: one entry per search, the
// newest first, in the ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/host/host_types.h"
#include "route/search/route_finder.h"

// The entries of one command, kept until its end and then put on top of the
// file at once. The file then holds what adding them one by one would have
// left: each addition reads the older lines back through the code page and
// writes them again, so older text that changes on such a round trip (an
// escape written as plain text, a character that reads back as another)
// changes as often as later entries were added.
class RouteLog {
 public:
  // What an entry says below its header: one line per route element and
  // the empty line, in the file's bytes when no round trip can change
  // them, else as text.
  class Lines;
  struct Body {
    std::string bytes;
    CStringArray lines;
    bool stable = true;
    // A stable body made with a finder keeps its route (in the finder's
    // numbering), not its bytes, until the log is written: on a long
    // command the entries' bytes would be the bulk of its memory. The maker
    // and the finder must outlive it.
    Lines* maker = nullptr;
    const RouteFinder* finder = nullptr;
    std::vector<int> nodes;
  };

  // Makes bodies on any thread, one Lines per thread: each keeps what it
  // has read about elements and characters.
  class Lines {
   public:
    Lines() : unitStable_(0x10000, -1) {}
    // With a finder, what the elements' lines say is taken from it (it has
    // read the drawing already); `nodes` are the route in its numbering.
    Body Make(const AcDbObjectIdArray& route, const std::vector<int>* nodes,
              const RouteFinder* finder);
    // A kept body's bytes, added to `out`.
    void AppendBytes(const Body& body, std::string& out);
    // A line that reads back as itself, so that no number of round trips
    // changes it.
    bool Stable(const CString& line);

   private:
    // What an element's line says whatever the route: its label, its
    // connection points and, but for equipment, its length; the texts
    // also in the file's bytes.
    struct Element {
      CString label, points;
      std::string labelBytes, pointsBytes;
      bool made = false;
      bool stable = false;
      bool fixedLength = false;
      double length = 0;
    };
    const Element& ElementOf(const AcDbObjectIdArray& route, int index, const RouteFinder* finder,
                             int node);
    // A route jumps about the elements: element i + a few is asked for
    // early, so that each step need not wait on memory.
    void Prefetch(const std::vector<int>* nodes, size_t i) const {
      constexpr size_t kAhead = 8;
      if (nodes && i + kAhead < nodes->size() && !byNode_.empty())
        __builtin_prefetch(&byNode_[static_cast<size_t>((*nodes)[i + kAhead])]);
    }
    double LengthOf(const Element& e, const AcDbObjectIdArray& route, int index,
                    const RouteFinder* finder) const;
    void AppendBytes(const AcDbObjectIdArray& route, const std::vector<int>* nodes,
                     const RouteFinder* finder, std::string& out);

    std::vector<int8_t> unitStable_;  // per UTF-16 unit: unknown, no, yes
    std::vector<Element> byNode_;     // with a finder
    std::unordered_map<uint64_t, Element> byHandle_;
  };

  explicit RouteLog(CString path);

  // The entry of one search: header, cable line, one line per route element.
  void Add(AcDbObjectId from, AcDbObjectId to, const AcDbObjectIdArray& route, uint32_t searchMs,
           uint32_t cumulativeMs);
  // The same with a body made beforehand.
  void Add(AcDbObjectId from, AcDbObjectId to, Body body, uint32_t searchMs, uint32_t cumulativeMs);
  // An entry of the given lines.
  void Add(const CStringArray& entry);
  // Writes the entries above the older lines; nothing without entries.
  // False when the file could not be written (the old one stays).
  bool Write();

 private:
  struct Entry {
    std::string bytes;   // as first written, entry and empty line
    CStringArray lines;  // kept only when a round trip may change them
    Body body;           // the rest of `bytes`, when they are kept apart
  };
  std::string Settle(CStringArray lines, size_t passes);
  static bool Stable(std::string_view bytes);

  CString path_;
  std::vector<Entry> entries_;
  Lines own_;
};

// Adds one entry at the top of the route log when the log is switched on.
void WriteRouteLog(AcDbObjectId from, AcDbObjectId to, AcDbObjectIdArray route, uint32_t searchMs,
                   uint32_t cumulativeMs);
