// Small drawings built in memory for the drawing-model tests.
#pragma once

#include <string>
#include <vector>

#include "platform/db/database.h"

namespace wb::rendertest {

using db::Tag;

inline std::string Num(double v) { return std::to_string(v); }

inline std::vector<Tag> Xyz(int code, double x, double y) {
  return {{code, Num(x)}, {code + 10, Num(y)}, {code + 20, "0"}};
}

inline std::vector<Tag> Join(std::initializer_list<std::vector<Tag>> parts) {
  std::vector<Tag> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline db::ObjectId Line(db::Database& d, std::string_view owner, std::string_view layer, double x0,
                         double y0, double x1, double y1, std::vector<Tag> extra = {}) {
  return d.AddEntity(owner, "LINE", layer,
                     Join({{{100, "AcDbLine"}}, Xyz(10, x0, y0), Xyz(11, x1, y1), extra}));
}

inline db::ObjectId Insert(db::Database& d, std::string_view owner, std::string_view layer,
                           std::string block, double x, double y, double scale = 1,
                           double rotation = 0, std::vector<Tag> extra = {}) {
  return d.AddEntity(owner, "INSERT", layer,
                     Join({extra, {{100, "AcDbBlockReference"}, {2, block}}, Xyz(10, x, y),
                           {{41, Num(scale)}, {42, Num(scale)}, {43, Num(scale)}, {50, Num(rotation)}}}));
}

}  // namespace wb::rendertest
