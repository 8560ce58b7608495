#include "route/assign/cable_assignment.h"

#include <exception>
#include <map>
#include <memory>
#include <thread>
#include <tuple>
#include <unordered_map>

#include "drawing/drawing_element_source.h"
#include "drawing/tagged_entities.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/editor/document.h"
#include "platform/editor/ticks.h"
#include "platform/host/worker_threads.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "resources/string_table.h"
#include "route/search/route_constants.h"
#include "route/search/route_finder.h"
#include "settings/cable_setting.h"

const CStringArray& CableKeys() {
  static const CStringArray keys{cablekey::kSizes,   cablekey::kFromMarks,
                                 cablekey::kFromNames, cablekey::kToMarks,
                                 cablekey::kToNames, cablekey::kNumbers,
                                 cablekey::kFromSubNumbers, cablekey::kToSubNumbers};
  return keys;
}

std::array<CString, 8> CableValues(const CableRow& row) {
  return {row.size,   row.fromMark, row.fromName,  row.toMark,
          row.toName, row.number,   row.fromSubNo, row.toSubNo};
}

namespace {

const CString kAttrApp = u"QZ_ATTR";

// The attribute lists of the command's tagged entities, edited in memory with
// the very operations of the one-by-one writes and written once per entity
// at the end. The drawing's geometry and marks do not change meanwhile, so
// nothing read during the run can tell the difference.
class AttributeLists {
 public:
  explicit AttributeLists(const AcDbObjectIdArray& tagged) {
    for (AcDbObjectId id : tagged)
      if (slot_.emplace(id.handle, static_cast<int>(ids_.size())).second) ids_.push_back(id);
    const size_t n = ids_.size();
    lists_.resize(n);
    initial_.resize(n);
    linked_.resize(n);
    routed_.resize(n);
    // Reading only: spread over the threads.
    auto* database = wb::editor::ActiveDatabase();
    wb::ForEachInBlocks(n, 512, wb::WorkerThreads(), [&](size_t i, int) {
      ApiComn_extractAttributesArrayID(ids_[i], kAttrApp, lists_[i], 0);
      initial_[i] = lists_[i];
      linked_[i] = database && database->IsAlive(ids_[i]) && database->HasXData(ids_[i], "QZ_LINK");
    });
  }

  int SlotOf(AcDbObjectId id) const {
    auto it = slot_.find(id.handle);
    return it == slot_.end() ? -1 : it->second;
  }
  size_t size() const { return ids_.size(); }
  AcDbObjectId Id(int slot) const { return ids_[slot]; }
  const CStringArray& Initial(int slot) const { return initial_[slot]; }

  // As RemoveEntityAttributes, once per appearance in the scan.
  void Clear(const AcDbObjectIdArray& tagged, const CStringArray& keys) {
    for (AcDbObjectId id : tagged) {
      CStringArray& list = lists_[SlotOf(id)];
      for (const auto& key : keys) {
        const int index = CAttributeData::FindAtt(list, key);
        if (index >= 0) list.erase(list.begin() + index);
      }
    }
    clearedEmpty_.resize(ids_.size());
    for (size_t i = 0; i < ids_.size(); ++i) clearedEmpty_[i] = lists_[i].empty();
  }

  // The cable (an index into the run's routed values) runs through the
  // element. Rows arrive in row order; the keys are put in place at the end.
  void Route(int slot, int cable) { routed_[slot].push_back(cable); }

  // The scan's filter, as it would answer now: an entity whose list the
  // clearing emptied has lost its QZ_ATTR data until a route writes it again.
  bool TaggedNow(int slot) const { return linked_[slot] || !lists_[slot].empty(); }

  // The lists are worked out on the workers and each let go as soon as it
  // is in the drawing: on long routes they are the bulk of the drawing, and
  // held twice they would double the memory.
  void WriteAll(const std::vector<std::array<CString, 8>>& values, int threads) {
    // The long entries are joined in the bytes they are stored in, from
    // each cable's values made UTF-8 once.
    std::vector<std::array<std::string, 8>> utf8(values.size());
    wb::ForEachInBlocks(values.size(), 256, threads, [&](size_t c, int) {
      for (int key = 0; key < 8; ++key) utf8[c][key] = wb::Utf16ToUtf8(values[c][key]);
    });
    ApiComn_appendAttributesArrays(ids_, kAttrApp, [&](size_t k) {
      const int i = static_cast<int>(k);
      std::array<Tail, 8> tails;
      if (!routed_[i].empty()) Collect(i, values, tails);
      std::vector<Utf8List> writes;
      // Emptied and then written again: the data was removed and added anew,
      // which puts it after the entity's other applications.
      if (clearedEmpty_[i] && !lists_[i].empty()) writes.emplace_back();
      writes.push_back(Joined(i, tails, utf8));
      CStringArray().swap(lists_[i]);
      std::vector<int>().swap(routed_[i]);
      return writes;
    }, threads);
  }

 private:
  // A key's entry that later values are only appended to (index -1 until
  // one is): the entry, where its value ends, and the first cable (of the
  // element's, in row order) still to append.
  struct Tail {
    int index = -1;
    size_t valueEnd = 0, from = 0;
  };

  // The writes of every cable through the element, key by key in row order,
  // as WriteEntityAttribute with number1 = number2 = accumulate = 1 makes
  // them. The first write of a key is made as such; as long as the entry's
  // four trailing fields stay where the value parser looks for them, every
  // later write only appends "," and the value: those are left in `tails`
  // and put in at once, instead of rebuilding a growing entry per cable.
  void Collect(int slot, const std::vector<std::array<CString, 8>>& values,
               std::array<Tail, 8>& tails) {
    const std::vector<int>& cables = routed_[slot];
    int regular = 0;
    for (size_t r = 0; r < cables.size() && regular < 8; ++r)
      for (int key = 0; key < 8; ++key) {
        Tail& t = tails[key];
        if (t.index >= 0) continue;
        Write(slot, t, key, values[cables[r]][key]);
        if (t.index >= 0) {
          t.from = r + 1;
          ++regular;
        }
      }
  }

  // The element's list in UTF-8, the tails joined in. Where a tail goes in,
  // the entry has a bar on its right and a comma comes after any value, so
  // no surrogate pair is cut: the bytes are those of the joined entry.
  Utf8List Joined(int slot, const std::array<Tail, 8>& tails,
                  const std::vector<std::array<std::string, 8>>& utf8) const {
    const CStringArray& list = lists_[slot];
    const std::vector<int>& cables = routed_[slot];
    Utf8List out(list.size());
    for (int key = 0; key < 8; ++key) {
      const Tail& t = tails[key];
      if (t.index < 0 || t.from == cables.size()) continue;
      const wb::WStringView entry(list[t.index]);
      const std::string head = wb::Utf16ToUtf8(entry.substr(0, t.valueEnd));
      const std::string end = wb::Utf16ToUtf8(entry.substr(t.valueEnd));
      size_t size = head.size() + end.size();
      for (size_t r = t.from; r < cables.size(); ++r) size += 1 + utf8[cables[r]][key].size();
      std::string& joined = out[t.index];
      joined.reserve(size);
      joined += head;
      for (size_t r = t.from; r < cables.size(); ++r) {
        joined += ',';
        joined += utf8[cables[r]][key];
      }
      joined += end;
    }
    for (size_t j = 0; j < list.size(); ++j)
      if (out[j].empty()) out[j] = wb::Utf16ToUtf8(list[j]);  // a joined entry never is
    return out;
  }

  void Write(int slot, Tail& t, int key, const CString& value) {
    const CString& name = CableKeys()[key];
    CStringArray& list = lists_[slot];
    int index = CAttributeData::FindAtt(list, name);
    if (index >= 0) {
      CAttributeData::SetAtAtt(list, name, CAttributeData::ValueOf(list[index]) + u"," + value);
    } else {
      list.push_back(NewEntry(name, value));
      index = static_cast<int>(list.size()) - 1;
    }
    const CString& entry = list[index];
    const size_t valueEnd = name.size() + 1 + CAttributeData::ValueOf(entry).size();
    if (TrailingFieldsIntact(entry, valueEnd)) {
      t.index = index;
      t.valueEnd = valueEnd;
    }
  }

  // What wb::Format(u"%s|%s|%d|1|99|%d|", key, value, 1, 1) makes, as the
  // one-by-one write does, put together directly. Format takes the value up
  // to a NUL and passes it through UTF-8, which turns a lone surrogate into
  // U+FFFD; such values still go through Format.
  static CString NewEntry(const CString& name, const CString& value) {
    for (char16_t c : value)
      if (c == 0 || (c >= 0xD800 && c < 0xE000))
        return wb::Format(u"%s|%s|%d|1|99|%d|", name.c_str(), value.c_str(), 1, 1);
    CString entry;
    entry.reserve(name.size() + value.size() + 12);
    entry += name;
    entry += u'|';
    entry += value;
    entry += u"|1|1|99|1|";
    return entry;
  }

  // The value parser takes the last four bar-separated fields (after an
  // optional final bar) as numbers: text inserted before them never moves
  // them when the part after the value holds at least four bars.
  static bool TrailingFieldsIntact(const CString& entry, size_t valueEnd) {
    if (valueEnd > entry.size()) return false;
    size_t end = entry.size();
    if (end > valueEnd && entry[end - 1] == u'|') --end;
    int bars = 0;
    for (size_t i = valueEnd; i < end; ++i) bars += entry[i] == u'|';
    return bars >= 4;
  }

  std::vector<std::vector<int>> routed_;  // per slot, the cables in row order
  std::unordered_map<uint64_t, int> slot_;
  std::vector<AcDbObjectId> ids_;
  std::vector<CStringArray> lists_, initial_;
  std::vector<uint8_t> linked_;  // written by several threads: not vector<bool>
  std::vector<bool> clearedEmpty_;
};

CString ValueIn(const CStringArray& list, const char16_t* key) {
  const int index = CAttributeData::FindAtt(list, key);
  return index < 0 ? CString() : CAttributeData::ValueOf(list[index]);
}

// The equipment scan by mark, name and sub-number, answered from one reading
// of the marks (which the command never changes), in scan order.
class EquipmentLookup {
 public:
  explicit EquipmentLookup(const AttributeLists& lists) : lists_(lists) {
    for (size_t i = 0; i < lists.size(); ++i) {
      const CStringArray& list = lists.Initial(static_cast<int>(i));
      buckets_[{ValueIn(list, cablekey::kMark), ValueIn(list, cablekey::kName),
                ValueIn(list, cablekey::kSubNumber)}]
          .push_back(static_cast<int>(i));
    }
  }

  AcDbObjectIdArray Find(const CString& mark, const CString& name, const CString& subNumber,
                         const CString& facility) const {
    AcDbObjectIdArray found;
    auto it = buckets_.find({mark, name, subNumber});
    if (it == buckets_.end()) return found;
    std::vector<int> kept;
    for (int slot : it->second)
      if (lists_.TaggedNow(slot)) kept.push_back(slot);
    for (int slot : kept)
      if (kept.size() == 1 || ValueIn(lists_.Initial(slot), cablekey::kFacility) == facility)
        found.push_back(lists_.Id(slot));
    return found;
  }

 private:
  const AttributeLists& lists_;
  std::map<std::tuple<CString, CString, CString>, std::vector<int>> buckets_;
};

}  // namespace

AssignmentSummary AssignCables(CableList& list, const CString& facility,
                               const AssignmentHooks& hooks) {
  AssignmentSummary summary;
  const AcDbObjectIdArray tagged = GetTaggedEntities(TAGSCAN_ALL, u"", u"", u"", u"");
  AttributeLists lists(tagged);
  lists.Clear(tagged, CableKeys());
  const EquipmentLookup equipment(lists);

  const int rowCount = static_cast<int>(list.rows.size());
  acedSetStatusBarProgressMeter(LoadModuleString(140), 0, rowCount);
  uint32_t cumulativeMs = 0;
  RouteSearchCallCount = 0;

  // The ends of every row first: the lookup reads only marks, which the run
  // never changes, so the searches can start ahead of the rows.
  struct Search {
    int row;
    AcDbObjectId from, to;
    RouteSearchResult result;
    uint32_t ms = 0;
    RouteLog::Body logBody;
  };
  std::vector<Search> searches;
  for (int k = 0; k < rowCount; ++k) {
    const CableRow& row = list.rows[k];
    const AcDbObjectIdArray from = equipment.Find(row.fromMark, row.fromName, row.fromSubNo, facility);
    const AcDbObjectIdArray to = equipment.Find(row.toMark, row.toName, row.toSubNo, facility);
    if (from.size() == 1 && to.size() == 1) searches.push_back(Search{k, from[0], to[0], {}, 0, {}});
  }

  DrawingElementSource source;
  std::unique_ptr<RouteFinder> finder;
  std::vector<int> slotOf;  // finder element index -> list slot
  uint32_t buildMs = 0;     // counted in the first searched row's time
  if (!searches.empty()) {
    const uint32_t start = GetTickCount();
    finder = std::make_unique<RouteFinder>(source, tagged);
    buildMs = GetTickCount() - start;
    slotOf.resize(finder->size());
    for (size_t i = 0; i < slotOf.size(); ++i) slotOf[i] = lists.SlotOf(finder->IdAt(static_cast<int>(i)));
  }
  const bool mostShortDist = g_cableSetting.mostShortDist;
  const int threads = std::max(1, std::min(wb::WorkerThreads(), static_cast<int>(searches.size())));
  std::vector<std::unique_ptr<RouteFinder::Workspace>> workspaces;
  const bool logging = g_cableSetting.outLog;
  std::vector<RouteLog::Lines> logLines(logging ? threads : 0);
  for (int t = 0; t < threads && finder; ++t)
    workspaces.push_back(std::make_unique<RouteFinder::Workspace>(*finder));
  // Workers only read the finder, which stays as it is meanwhile: they
  // search and make the log's element lines, the bulk of the log. The
  // drawing, the dialogs and the log file are left to this thread.
  wb::OrderedWork work(searches.size(), threads, [&](size_t i, int worker) {
    Search& s = searches[i];
    const uint32_t start = GetTickCount();
    s.result = finder->Find(s.from, s.to, mostShortDist, *workspaces[worker]);
    s.ms = GetTickCount() - start;
    if (logging) s.logBody = logLines[worker].Make(s.result.route, &s.result.nodes, finder.get());
  });

  RouteLog log(g_cableSetting.projectRoot + u"log.csv");
  std::vector<std::array<CString, 8>> routedValues;
  size_t next = 0;
  for (int k = 0; k < rowCount; ++k) {
    if (hooks.pumpMessage) hooks.pumpMessage();
    acedSetStatusBarProgressMeterPos(k);
    if (next == searches.size() || searches[next].row != k) continue;
    work.Wait(next);
    Search& s = searches[next++];
    ++summary.rowsSearched;
    const uint32_t searchMs = s.ms + (summary.rowsSearched == 1 ? buildMs : 0);
    cumulativeMs += searchMs;
    RouteSearchCallCount += s.result.calls;
    if (logging) log.Add(s.from, s.to, std::move(s.logBody), searchMs, cumulativeMs);
    if (s.result.found()) {
      ++summary.rowsRouted;
      const int cable = static_cast<int>(routedValues.size());
      routedValues.push_back(CableValues(list.rows[k]));
      for (int node : s.result.nodes) lists.Route(slotOf[node], cable);
      list.rows[k].length = s.result.length / 1000;
      list.rows[k].hasLength = true;
    }
    s = Search{};
  }
  {
    // The log goes to its file while the keys go into the drawing: the one
    // is mostly the kernel's work, the other the threads'.
    std::exception_ptr logFailure;
    std::jthread logWriter;  // joined however the writing below ends
    if (logging)
      logWriter = std::jthread([&] {
        try {
          log.Write();
        } catch (...) {
          logFailure = std::current_exception();
        }
      });
    lists.WriteAll(routedValues, wb::WorkerThreads());
    logWriter = {};
    if (logFailure) std::rethrow_exception(logFailure);
  }
  acedRestoreStatusBar();
  summary.cumulativeMs = cumulativeMs;
  return summary;
}
