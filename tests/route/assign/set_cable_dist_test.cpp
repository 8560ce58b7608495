#include <gtest/gtest.h>

#include "platform/host/host_types.h"
#include "module/plant_fixture.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/scripted_backend.h"
#include "drawing/tagged_entities.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "resources/string_table.h"
#include "route/assign/cable_assignment.h"
#include "settings/cable_setting.h"
#include "ui/main_dlg.h"

using wb::W;

namespace {

class Recorder : public wb::editor::HostOutput {
 public:
  void Print(const wb::WString&) override {}
  void ProgressStart(const wb::WString& label, int min, int max) override {
    events.push_back(u"start " + label + wb::Format(u" %d %d", min, max));
  }
  void ProgressPos(int pos) override { events.push_back(wb::Format(u"pos %d", pos)); }
  void ProgressEnd() override { events.push_back(u"end"); }
  std::vector<wb::WString> events;
};

class SetCableDistCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = wb::ui::SetBackend(&user_);
    from_ = plant_.Equipment({0, 0, 0}, "P1", "ポンプ", "", "設備A", 1);
    wire_ = plant_.Wire({0, 0, 0}, {10, 0, 0}, 3000);
    to_ = plant_.Equipment({10, 0, 0}, "M1", "モータ", "", "設備A", 2);
  }
  void TearDown() override {
    delete g_pMainDlg;
    g_pMainDlg = nullptr;
    wb::ui::SetBackend(previous_);
  }
  void OpenDialog() {
    g_pMainDlg = new MainDlg();
    ASSERT_TRUE(g_pMainDlg->Create());
    g_pMainDlg->m_lastFacility = W("設備A");
    g_pMainDlg->m_cableList.sourcePath = u"/nowhere/list.csv";
    CableRow routed{u"W-1", u"IV2", u"P1", W("ポンプ"), u"M1", W("モータ"), u"", u"", false, 0};
    CableRow missing{u"W-2", u"IV2", u"P1", W("ポンプ"), u"M9", W("モータ"), u"", u"", true, 4.5};
    g_pMainDlg->m_cableList.rows = {routed, missing};
  }

  wbtest::PlantFixture plant_;
  wb::ui::ScriptedBackend user_;
  wb::ui::DialogBackend* previous_ = nullptr;
  AcDbObjectId from_, wire_, to_;
};

TEST_F(SetCableDistCommand, FillsTheDialogsRowsAndReportsProgressAndCompletion) {
  OpenDialog();
  Recorder meter;
  wbtest::Installed<wb::editor::SetHostOutput> installed(&meter);
  QZ_SetCableDist();
  const wb::WString start = u"start " + LoadModuleString(140);
  EXPECT_EQ(meter.events, (std::vector<wb::WString>{start + u" 0 2", u"pos 0", u"pos 1", u"end"}));
  const CableList& list = g_pMainDlg->m_cableList;
  ASSERT_TRUE(list.rows[0].hasLength);
  EXPECT_DOUBLE_EQ(list.rows[0].length, 6.0);
  EXPECT_EQ(list.rows[1].length, 4.5);  // no such equipment: kept
  EXPECT_EQ(CAttributeData::GetValueAttID(wire_, u"CB08"), u"W-1");
  // The list shows the new length.
  bool shown = false;
  for (int c = 0; c < 12; ++c) shown |= g_pMainDlg->m_list.GetItemText(0, c) == u"6.0";
  EXPECT_TRUE(shown);
  ASSERT_FALSE(user_.messages().empty());
  EXPECT_EQ(user_.messages().back().text, LoadModuleString(134));
  EXPECT_EQ(user_.messages().back().type, MB_OK | MB_ICONINFORMATION);
  const size_t shownBefore = user_.messages().size();

  // A project whose list has no rows still clears the cable keys, marks aside.
  g_pMainDlg->m_cableList.rows.clear();
  WriteEntityAttribute(to_, u"CB10", u"OLD", 1, 1, 1);
  meter.events.clear();
  QZ_SetCableDist();
  EXPECT_EQ(meter.events, (std::vector<wb::WString>{start + u" 0 0", u"end"}));
  EXPECT_EQ(CAttributeData::GetValueAttID(wire_, u"CB08"), u"");
  EXPECT_EQ(CAttributeData::GetValueAttID(to_, u"CB10"), u"");
  EXPECT_EQ(CAttributeData::GetValueAttID(to_, u"CB01"), u"M1");
  ASSERT_EQ(user_.messages().size(), shownBefore + 1);
  EXPECT_EQ(user_.messages().back().text, LoadModuleString(134));
}

TEST_F(SetCableDistCommand, WithoutALoadedProjectLeavesTheDrawingAlone) {
  WriteEntityAttribute(wire_, u"CB08", u"OLD", 1, 1, 1);
  QZ_SetCableDist();  // no main dialog at all
  ASSERT_EQ(user_.messages().size(), 1u);
  EXPECT_EQ(user_.messages().back().text, LoadModuleString(135));
  EXPECT_EQ(CAttributeData::GetValueAttID(wire_, u"CB08"), u"OLD");
}

}  // namespace
