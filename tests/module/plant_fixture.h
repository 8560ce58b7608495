// Builds small tagged drawings in memory, following the authoring tools'
// conventions, and makes them the active drawing.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/database.h"
#include "platform/editor/document.h"

namespace wbtest {

inline std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

inline void ExpectPoint(const wb::db::Point3& p, double x, double y, double z = 0,
                        const char* what = "") {
  EXPECT_NEAR(p.x, x, 1e-9) << what;
  EXPECT_NEAR(p.y, y, 1e-9) << what;
  EXPECT_NEAR(p.z, z, 1e-9) << what;
}

// Installs one of the host's backends for the object's lifetime, then puts
// the previous one back: declare it after the backend it installs.
template <auto Set>
class Installed {
 public:
  template <class Backend>
  explicit Installed(Backend* backend) : previous_(Set(backend)) {}
  ~Installed() { Set(previous_); }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

 private:
  decltype(Set(nullptr)) previous_;
};

class PlantFixture {
 public:
  PlantFixture() {
    wb::editor::SetActiveDatabase(wb::db::Database::CreateEmpty());
    db = wb::editor::ActiveDatabase();
  }
  ~PlantFixture() { wb::editor::SetActiveDatabase(nullptr); }

  // A block whose connection points are `points` (block coordinates).
  void Block(const std::string& name, const std::vector<wb::db::Point3>& points,
             wb::db::Point3 base = {}) {
    db->CreateBlock(name, base);
    for (const auto& p : points)
      db->AddEntity(name, "POINT", "QZ_CONNECT",
                    {{100, "AcDbPoint"}, {10, Num(p.x)}, {20, Num(p.y)}, {30, Num(p.z)}});
  }

  AcDbObjectId Insert(const std::string& block, wb::db::Point3 at, double rotation = 0,
                      wb::db::Point3 scale = {1, 1, 1}) {
    return db->AddEntity("", "INSERT", "0",
                         {{100, "AcDbBlockReference"}, {2, block}, {10, Num(at.x)},
                          {20, Num(at.y)}, {30, Num(at.z)}, {41, Num(scale.x)},
                          {42, Num(scale.y)}, {43, Num(scale.z)}, {50, Num(rotation)}});
  }

  void Tag(AcDbObjectId id, int rootKind, const std::vector<std::string>& entries) {
    db->SetXData(id, "QZ_LINK", {{1070, std::to_string(rootKind)}});
    std::vector<wb::db::Tag> items;
    for (const auto& e : entries) items.push_back({1000, e});
    db->SetXData(id, "QZ_ATTR", items);
  }

  // A straight wire from a to b (world coordinates) with its length S304,
  // and `entries` after its length entries.
  AcDbObjectId Wire(wb::db::Point3 a, wb::db::Point3 b, int s304, double s401 = 0,
                    std::vector<std::string> entries = {}) {
    std::string name = "RT-" + std::to_string(++wires_);
    Block(name, {{0, 0, 0}, {b.x - a.x, b.y - a.y, b.z - a.z}});
    AcDbObjectId id = Insert(name, a);
    entries.insert(entries.begin(), {"S304|" + std::to_string(s304) + "|1|1|99|1|",
                                     "S401|" + Num(s401) + "|1|1|99|1|"});
    Tag(id, 3, entries);
    return id;
  }

  // Equipment with one connection point at `at`, already marked.
  AcDbObjectId Equipment(wb::db::Point3 at, const std::string& mark, const std::string& name,
                         const std::string& subNo, const std::string& facility, double s225 = 0,
                         double s401 = 0) {
    std::string block = "KK-" + std::to_string(++equipment_);
    Block(block, {{0, 0, 0}});
    AcDbObjectId id = Insert(block, at);
    Tag(id, 0,
        {"S225|" + Num(s225) + "|1|1|99|1|", "S401|" + Num(s401) + "|1|1|99|1|",
         "CB01|" + mark + "|1|1|99|1|", "CB02|" + name + "|1|1|99|1|",
         "CB00|" + subNo + "|1|1|99|1|", "CB11|" + facility + "|1|1|99|1|"});
    return id;
  }

  wb::db::Database* db = nullptr;

 private:
  int wires_ = 0;
  int equipment_ = 0;
};

}  // namespace wbtest
