// A user session for the module's commands: a drawing, the main dialog, the
// commands registered, a dialog script and a prompt script that play the
// user, and font metrics with round numbers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_table.h"
#include "marks/draw_mark_dlg.h"
#include "module/plant_fixture.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/scripted_backend.h"
#include "platform/editor/command_queue.h"
#include "platform/editor/document.h"
#include "platform/editor/font_metrics.h"
#include "platform/editor/prompts.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"
#include "ui/main_dlg.h"

namespace wbtest {

class CapturedOutput : public wb::editor::HostOutput {
 public:
  void Print(const wb::WString& text) override { text_ += text; }
  void ProgressStart(const wb::WString& label, int min, int max) override {
    progress.push_back(label + wb::Format(u" %d %d", min, max));
  }
  void ProgressPos(int pos) override { progress.push_back(wb::Format(u"%d", pos)); }
  void ProgressEnd() override { progress.push_back(u"end"); }
  wb::WString text_;
  std::vector<wb::WString> progress;  // the progress meter's start, positions and end
};

inline CableRow Row(const char* number, const char* fromMark, const char* fromName,
                    const char* fromSub, const char* toMark, const char* toName, const char* toSub) {
  return {wb::W(number), u"5.5",       wb::W(fromMark), wb::W(fromName),
          wb::W(toMark), wb::W(toName), wb::W(fromSub),  wb::W(toSub)};
}

// One drawing unit per UTF-16 unit of text, whatever the height: frame
// widths become easy to state.
class UnitFontMetrics : public wb::editor::FontMetrics {
 public:
  double TextWidth(const wb::WString& text, const wb::WString&, double, double) const override {
    return static_cast<double>(text.size());
  }
};

class UserSession : public ::testing::Test {
 protected:
  void SetUp() override {
    g_cableSetting = CableSetting{};
    wb::editor::CommandStack::Instance().ClearQueue();
    TheApp().On_kInitAppMsg(nullptr);
    g_pMainDlg = new MainDlg();
    ASSERT_TRUE(g_pMainDlg->Create());
    g_pMainDlg->ShowWindow(true);
    g_pMainDlg->m_lastPlant = u"PLANT";
    g_pMainDlg->m_lastFacility = wb::W("第1設備");
  }

  void TearDown() override {
    EXPECT_TRUE(prompts.problems().empty()) << wb::Utf16ToUtf8(prompts.problems().front());
    EXPECT_TRUE(dialogs.problems().empty());
    delete g_pDrawMarkDlg;
    g_pDrawMarkDlg = nullptr;
    delete g_pMainDlg;
    g_pMainDlg = nullptr;
    TheApp().On_kUnloadAppMsg(nullptr);
    wb::editor::CommandStack::Instance().ClearQueue();
    g_cableSetting = CableSetting{};
  }

  void LoadList(std::vector<CableRow> rows) {
    g_pMainDlg->m_cableList.rows = std::move(rows);
    g_pMainDlg->m_cableList.sourcePath = u"/projects/PLANT/list.csv";
    g_pMainDlg->RefreshList();
  }

  // The main dialog's 記号設定 button.
  DrawMarkDlg& OpenMarkDialog() {
    EXPECT_TRUE(g_pMainDlg->Click(IDC_DRAWMARK));
    EXPECT_NE(g_pDrawMarkDlg, nullptr);
    return *g_pDrawMarkDlg;
  }

  // Runs what the buttons queued, as the host does once a handler returns.
  std::vector<wb::WString> RunQueued() {
    std::vector<wb::WString> ran;
    auto& stack = wb::editor::CommandStack::Instance();
    while (stack.HasQueued()) {
      wb::WString line = stack.TakeQueued();
      ran.push_back(line);
      stack.Run(line);
    }
    return ran;
  }

  // An entity's entries of one application, as the module reads them.
  static CStringArray Entries(AcDbObjectId id, const char16_t* app = u"QZ_ATTR") {
    CStringArray list;
    ApiComn_extractAttributesArrayID(id, app, list, 0);
    return list;
  }

  std::vector<wb::WString> Messages() const {
    std::vector<wb::WString> texts;
    for (const auto& m : dialogs.messages()) texts.push_back(m.text);
    return texts;
  }

  AcDbObjectId Wire(wb::db::Point3 a, wb::db::Point3 b, std::vector<std::string> entries = {}) {
    return plant.Wire(a, b, 1000, 0, std::move(entries));
  }

  // Model-space entities of one type, in drawing order.
  std::vector<AcDbObjectId> OfType(const std::string& type) const {
    std::vector<AcDbObjectId> out;
    for (AcDbObjectId id : plant.db->ModelSpaceEntities())
      if (plant.db->EntityType(id) == type) out.push_back(id);
    return out;
  }

  // An equipment block drawn as a w x h rectangle centred on its insertion
  // point, with one connection point there; tagged, not marked.
  AcDbObjectId BareEquipment(wb::db::Point3 at, double w = 4, double h = 2) {
    const std::string block = "KK-B" + std::to_string(++bare_);
    plant.Block(block, {{0, 0, 0}});
    plant.db->AddEntity(block, "LWPOLYLINE", "0",
                        {{100, "AcDbPolyline"}, {90, "4"}, {70, "1"},
                         {10, Num(-w / 2)}, {20, Num(-h / 2)}, {10, Num(w / 2)}, {20, Num(-h / 2)},
                         {10, Num(w / 2)}, {20, Num(h / 2)}, {10, Num(-w / 2)}, {20, Num(h / 2)}});
    AcDbObjectId id = plant.Insert(block, at);
    plant.Tag(id, 0, {"S225|0|1|1|99|1|"});
    return id;
  }

  PlantFixture plant;
  wb::ui::ScriptedBackend dialogs;
  wb::editor::ScriptedPrompts prompts;
  CapturedOutput output;
  UnitFontMetrics fonts;

 private:
  Installed<wb::ui::SetBackend> installDialogs_{&dialogs};
  Installed<wb::editor::SetPromptBackend> installPrompts_{&prompts};
  Installed<wb::editor::SetHostOutput> installOutput_{&output};
  Installed<wb::editor::SetFontMetrics> installFonts_{&fonts};
  int bare_ = 0;
};

}  // namespace wbtest
