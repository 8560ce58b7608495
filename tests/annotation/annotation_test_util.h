// Shared pieces of the annotation tests: a drawing with one wire, settings
// restored after each test, and font metrics with round numbers.
#pragma once

#include <gtest/gtest.h>

#include "platform/host/host_types.h"
// (the fixture needs the host type names first)
#include "module/plant_fixture.h"
#include "platform/editor/drag_entity.h"
#include "platform/editor/font_metrics.h"
#include "settings/cable_setting.h"

namespace wbtest {

// One drawing unit per UTF-16 unit of text, whatever the height: frame
// widths become easy to state.
class UnitFontMetrics : public wb::editor::FontMetrics {
 public:
  double TextWidth(const wb::WString& text, const wb::WString&, double,
                   double) const override {
    return static_cast<double>(text.size());
  }
};

class AnnotationTest : public ::testing::Test {
 protected:
  void SetUp() override { g_cableSetting = CableSetting{}; }
  void TearDown() override { g_cableSetting = saved_; }

  AcDbObjectId Wire(wb::db::Point3 a, wb::db::Point3 b, std::vector<std::string> entries = {}) {
    return plant.Wire(a, b, 1000, 0, std::move(entries));
  }

  PlantFixture plant;
  UnitFontMetrics fonts_;

 private:
  CableSetting saved_ = g_cableSetting;
  Installed<wb::editor::SetFontMetrics> installFonts_{&fonts_};
};

}  // namespace wbtest
