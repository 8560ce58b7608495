// A synthetic plant written as a tagged drawing (the authoring tools'
// conventions) and made the active drawing, with a cable list whose marks
// name its equipment: the input of the cable assignment for tests and
// benchmarks.
#pragma once

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "platform/db/database.h"
#include "platform/editor/document.h"
#include "project/cable_list.h"
#include "synthetic_plant.h"

namespace synth {

struct PlantDrawing {
  std::unique_ptr<wb::db::Database> database;
  CableList list;
  CString facility = u"設備A";
};

inline std::string Exact(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

inline std::string BlockPrefix(int blockClass) {
  static const std::map<int, std::string> prefix{{0, "KK-"}, {1, "RT-"}, {2, "RB-"}, {3, "RBT-"}, {7, "RBS-"}};
  return prefix.count(blockClass) ? prefix.at(blockClass) : "XX-";
}

// Equipment k gets mark "M<k>" and name "名称<k>". Now and then two equipment
// share mark, name and sub-number: in different facilities (told apart) or
// in the same one (ambiguous, skipped); a few rows name missing equipment.
inline PlantDrawing MakePlantDrawing(Plant& plant, uint32_t seed) {
  PlantDrawing out;
  out.database = wb::db::Database::CreateEmpty();
  wb::db::Database& db = *out.database;
  Random random(seed * 7919u + 17u);
  Random damaged(seed * 104729u + 3u);
  std::map<uint64_t, std::array<std::string, 4>> marks;  // mark, name, sub, facility
  const std::string facility = wb::Utf16ToUtf8(out.facility);
  for (size_t k = 0; k < plant.equipment.size(); ++k) {
    std::array<std::string, 4> m{"M" + std::to_string(k), "名称" + std::to_string(k),
                                 k % 3 == 0 ? "" : std::to_string(k % 3), facility};
    if (k > 0 && random.Chance(0.06)) {
      m = marks[plant.equipment[k - 1].handle];
      m[3] = random.Chance(0.5) ? "設備B" : facility;
    }
    marks[plant.equipment[k].handle] = m;
  }
  int blockNumber = 0;
  // In the plant's scan order: entity k of the drawing is element k of the scan.
  for (AcDbObjectId id : plant.tagged) {
    const TableElementSource::Element& e = plant.source.At(id);
    const std::string block = BlockPrefix(e.blockClass) + std::to_string(++blockNumber);
    db.CreateBlock(block, {});
    for (const auto& p : e.points)
      db.AddEntity(block, "POINT", "QZ_CONNECT",
                   {{100, "AcDbPoint"}, {10, Exact(p.x)}, {20, Exact(p.y)}, {30, Exact(p.z)}});
    const AcDbObjectId entity =
        db.AddEntity("", "INSERT", "0",
                     {{100, "AcDbBlockReference"}, {2, block}, {10, "0"}, {20, "0"}, {30, "0"}});
    std::vector<wb::db::Tag> attr;
    std::vector<std::pair<std::u16string, std::u16string>> sorted(e.attributes.begin(),
                                                                 e.attributes.end());
    std::sort(sorted.begin(), sorted.end());
    for (const auto& [key, value] : sorted)
      attr.push_back({1000, wb::Utf16ToUtf8(key + u"|" + value + u"|1|1|99|1|")});
    if (auto it = marks.find(id.handle); it != marks.end()) {
      const auto& m = it->second;
      attr.push_back({1000, "CB01|" + m[0] + "|1|1|99|1|"});
      attr.push_back({1000, "CB02|" + m[1] + "|1|1|99|1|"});
      attr.push_back({1000, "CB00|" + m[2] + "|1|1|99|1|"});
      attr.push_back({1000, "CB11|" + m[3] + "|1|1|99|1|"});
    }
    // Cable keys of an earlier run, which the assignment must clear.
    if (random.Chance(0.1)) attr.push_back({1000, "CB08|OLD-1,OLD-2|1|1|99|1|"});
    // Now and then a key twice, the second one damaged: the clearing removes
    // only the first, and the cables are added to what remains.
    if (damaged.Chance(0.03)) {
      attr.push_back({1000, "CB08|OLD|1|1|99|1|"});
      const char* kinds[] = {"CB08|x|2", "CB08|", "CB08|1|2|3|", "CB08|a|b|c|d|e"};
      attr.push_back({1000, kinds[damaged.Below(4)]});
    }
    if (e.rootKind >= 0) db.SetXData(entity, "QZ_LINK", {{1070, std::to_string(e.rootKind)}});
    db.SetXData(entity, "QZ_ATTR", attr);
  }

  out.list.plant = u"PLANT";
  out.list.facility = out.facility;
  for (size_t k = 0; k < plant.cables.size(); ++k) {
    const auto& from = marks[plant.cables[k].first.handle];
    const auto& to = marks[plant.cables[k].second.handle];
    CableRow row;
    row.number = wb::Utf8ToUtf16("C-" + std::to_string(k + 1));
    if (damaged.Chance(0.1)) row.number += u"|B";  // a bar inside a value
    row.size = random.Chance(0.5) ? u"CV5.5-3C" : u"IV2";
    // Texts no CSV should hold, but a list in memory can: a lone surrogate
    // and a NUL inside the value.
    if (damaged.Chance(0.05))
      row.size = damaged.Chance(0.5) ? CString(u"CV\xD800") : CString(u"IV\0x", 4);
    row.fromMark = wb::Utf8ToUtf16(from[0]);
    row.fromName = wb::Utf8ToUtf16(from[1]);
    row.fromSubNo = wb::Utf8ToUtf16(from[2]);
    row.toMark = wb::Utf8ToUtf16(to[0]);
    row.toName = wb::Utf8ToUtf16(to[1]);
    row.toSubNo = wb::Utf8ToUtf16(to[2]);
    if (random.Chance(0.03)) row.toMark += u" ";  // no such equipment
    if (random.Chance(0.2)) {
      row.hasLength = true;
      row.length = 12.5;  // from an earlier run
    }
    out.list.rows.push_back(row);
  }
  return out;
}

}  // namespace synth
