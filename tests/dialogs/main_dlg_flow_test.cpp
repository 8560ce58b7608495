// The main dialog driven as a user drives it: its buttons open the project
// dialog, the file dialog and the start-row dialog in turn.
#include "ui/main_dlg.h"

#include "dialog_test_util.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace wbtest {
namespace {

using wb::ui::Dialog;

class MainDlgFlowTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    // The system folder comes from the environment profile, the projects
    // root relative to it from the module configuration.
    WritePrivateProfileStringW(u"環境設定", u"ｼｽﾃﾑ", U(dir.path()), U(dir / "qzenv.ini"));
    QzComn_writeConfig(u"WireBinder", u"ProjectDir", u"/projects", u"");
    g_cableSetting = CableSetting();
    QZ_WireBinder();
    ASSERT_NE(g_pMainDlg, nullptr);
    ASSERT_EQ(g_cableSetting.projectRoot, U(root) + u"/");
  }
  void TearDown() override {
    delete g_pMainDlg;
    g_pMainDlg = nullptr;
    DialogTest::TearDown();
  }

  // "読込み", then plant and facility picked by name, the file and the row.
  void LoadProject(const std::string& plant, const std::string& facility,
                   const std::string& file, int row) {
    user.ExpectModal(IDD_PROJECT, [=](Dialog& d) {
      const auto& plants = d.Item(IDC_PLANT_LIST);
      ASSERT_TRUE(d.SelectComboItem(IDC_PLANT_LIST, plants.FindStringExact(-1, wb::W(plant))));
      const auto& facilities = d.Item(IDC_FACILITY_LIST);
      ASSERT_TRUE(
          d.SelectComboItem(IDC_FACILITY_LIST, facilities.FindStringExact(-1, wb::W(facility))));
      d.Click(IDOK);
    });
    user.AnswerFileOpen(U(file));
    user.ExpectModal(IDD_STARTROW, [=](Dialog& d) {
      d.TypeText(IDC_STARTROW, wb::Format(u"%d", row));
      d.Click(IDOK);
    });
    ASSERT_TRUE(g_pMainDlg->Click(IDC_LOAD));
    EXPECT_TRUE(user.Idle());
  }
  std::vector<std::string> Row(int item) const {
    std::vector<std::string> cells;
    for (int c = 0; c < 7; ++c) cells.push_back(wb::Utf16ToUtf8(g_pMainDlg->m_list.GetItemText(item, c)));
    return cells;
  }
};

TEST_F(MainDlgFlowTest, LoadCreateDeleteAndExportFromTheMainDialog) {
  MainDlg& main = *g_pMainDlg;
  // Create a project from the main dialog.
  user.ExpectModal(IDD_PROJECT, [](Dialog& d) {
    EXPECT_EQ(d.GetWindowText(), LoadModuleString(105));
    d.TypeText(IDC_PLANT_EDIT, u"PLANT1");
    d.TypeText(IDC_FACILITY_EDIT, u"設備1");
    d.Click(IDOK);
    d.TypeText(IDC_FACILITY_EDIT, u"設備2");
    d.Click(IDOK);
    d.Click(IDCANCEL);
  });
  ASSERT_TRUE(main.Click(IDC_NEW));
  EXPECT_EQ(MessageIds(), (std::vector<int>{113, 113}));
  EXPECT_TRUE(stdfs::is_directory(Project("PLANT1", "設備1")));

  DefineSimple(root + "/PLANT1");
  Define(root + "/PLANT1", {{"DIST", "5"}});
  WriteList(dir / "cables.csv",
            {"番号,サイズ,From,To,長さ", "W-1,IV5.5,P1,M1,", "#保留", "W-2,〃,P2,M2,3.5"});
  user.Clear();
  LoadProject("PLANT1", "設備2", dir / "cables.csv", 2);
  EXPECT_EQ(MessageIds(), std::vector<int>{111});
  EXPECT_EQ(main.GetWindowText(), u"設備2 - " + LoadModuleString(120));
  EXPECT_EQ(main.m_lastPlant, u"PLANT1");
  EXPECT_EQ(main.m_lastFacility, u"設備2");
  ASSERT_EQ(main.m_list.GetItemCount(), 2);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"W-1", "IV5.5", "P1", "", "M1", "", ""}));
  EXPECT_EQ(Row(1), (std::vector<std::string>{"W-2", "IV5.5", "P2", "", "M2", "", "3.5"}));

  // Export: the length lands in column 5 of its own line only.
  main.m_cableList.rows[0].hasLength = true;
  main.m_cableList.rows[0].length = 12.34;
  user.Clear();
  ASSERT_TRUE(main.Click(IDC_FILEOUT));
  EXPECT_EQ(MessageIds(), std::vector<int>{141});
  EXPECT_EQ(LastMessageType(), MB_OK | MB_ICONINFORMATION);
  const std::string exported = ReadBytes(Project("PLANT1", "設備2") + "/Cablelist.csv");
  EXPECT_EQ(exported, wb::codepage::FromUtf16(u"番号,サイズ,From,To,長さ\r\nW-1,IV5.5,P1,M1,12.3\r\n"
                                               u"#保留\r\nW-2,〃,P2,M2,3.5\r\n"));

  // Delete the other project; the loaded one stays.
  user.Clear();
  user.ExpectModal(IDD_PROJECT, [](Dialog& d) {
    d.TypeText(IDC_PLANT_EDIT, u"PLANT1");
    d.TypeText(IDC_FACILITY_EDIT, u"設備1");
    d.Click(IDOK);
  });
  user.AnswerMessageBox(IDYES);
  ASSERT_TRUE(main.Click(IDC_DELETE));
  EXPECT_EQ(MessageIds(), (std::vector<int>{114, 117}));
  EXPECT_FALSE(stdfs::exists(Project("PLANT1", "設備1")));
  EXPECT_TRUE(stdfs::exists(Project("PLANT1", "設備2") + "/Cablelist.csv"));
  EXPECT_EQ(main.m_list.GetItemCount(), 2);
}

TEST_F(MainDlgFlowTest, TheSavedColumnOrderComesBackWithTheProject) {
  MainDlg& main = *g_pMainDlg;
  stdfs::create_directories(Project("P", "F"));
  DefineSimple(Project("P", "F"));
  WriteList(dir / "list.csv", {"W-1,IV,P1,M1"});
  LoadProject("P", "F", dir / "list.csv", 1);
  EXPECT_EQ(main.m_list.GetColumnOrderArray(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

  ASSERT_TRUE(main.DragColumns(IDC_CABLELIST, {6, 0, 2, 1, 3, 4, 5}));
  user.Clear();
  ASSERT_TRUE(main.Click(IDC_SAVEORDER));
  EXPECT_EQ(MessageIds(), std::vector<int>{164});
  const auto ini = U(Project("P", "F") + "/CablelistDefine.ini");
  EXPECT_EQ(QzComn_GetEnv(ini, u"ListColumnNumber", u"NO"), u"7");
  EXPECT_EQ(QzComn_GetEnv(ini, u"ListColumnNumber", u"DIST"), u"6");

  // Back to the natural order on screen, then the project again.
  ASSERT_TRUE(main.DragColumns(IDC_CABLELIST, {0, 1, 2, 3, 4, 5, 6}));
  LoadProject("P", "F", dir / "list.csv", 1);
  EXPECT_EQ(main.m_list.GetColumnOrderArray(), (std::vector<int>{6, 0, 2, 1, 3, 4, 5}));
  // Showing the dialog again keeps it.
  QZ_WireBinder();
  EXPECT_EQ(main.m_list.GetColumnOrderArray(), (std::vector<int>{6, 0, 2, 1, 3, 4, 5}));
}

TEST_F(MainDlgFlowTest, ButtonsFollowTheSettingsAtTheNextLoad) {
  MainDlg& main = *g_pMainDlg;
  EXPECT_FALSE(main.Item(IDC_OPTION).visible());
  QzComn_writeConfig(u"WireBinder", u"ShowOptionButton", u"On", u"");
  QZ_WireBinder();
  EXPECT_TRUE(g_cableSetting.showOptionButton);
  EXPECT_FALSE(main.Item(IDC_OPTION).visible());  // not before the list is set up again
  stdfs::create_directories(Project("P", "F"));
  DefineSimple(Project("P", "F"));
  WriteList(dir / "list.csv", {"W-1,IV,P1,M1"});
  LoadProject("P", "F", dir / "list.csv", 1);
  EXPECT_TRUE(main.Item(IDC_OPTION).visible());
  EXPECT_FALSE(main.Item(IDC_DELETEATT).visible());
}

TEST_F(MainDlgFlowTest, ExportWithoutAProjectIsRefused) {
  ASSERT_TRUE(g_pMainDlg->Click(IDC_FILEOUT));
  EXPECT_EQ(MessageIds(), std::vector<int>{137});
  EXPECT_EQ(LastMessageType(), MB_OK);
  // A source that has gone: the box names it.
  g_pMainDlg->m_cableList.sourcePath = U(dir / "gone.csv");
  ASSERT_TRUE(g_pMainDlg->Click(IDC_FILEOUT));
  EXPECT_EQ(MessageIds(), (std::vector<int>{137, 137}));
  EXPECT_NE(user.messages().back().caption.find(u"gone.csv"), wb::WString::npos);
}

}  // namespace
}  // namespace wbtest
