// The main dialog driven as a user drives it: its list, and its buttons
// that open the project dialog, the file dialog and the start-row dialog in
// turn or queue the module's commands.
#include "ui/main_dlg.h"

#include "app/command_table.h"
#include "dialogs/dialog_test_util.h"
#include "platform/editor/command_queue.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace wbtest {
namespace {

using wb::WString;
using wb::ui::Dialog;

class MainDlgTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    // The system folder comes from the environment profile, the projects
    // root relative to it from the module configuration.
    WritePrivateProfileStringW(u"環境設定", u"ｼｽﾃﾑ", U(dir.path()), U(dir / "qzenv.ini"));
    QzComn_writeConfig(u"WireBinder", u"ProjectDir", u"/projects", u"");
    acrxEntryPoint(kInitAppMsg, nullptr);
    QZ_WireBinder();
    ASSERT_NE(g_pMainDlg, nullptr);
    ASSERT_EQ(g_cableSetting.projectRoot, U(root) + u"/");
  }
  void TearDown() override {
    acrxEntryPoint(kUnloadAppMsg, nullptr);
    wb::editor::CommandStack::Instance().ClearQueue();
    DialogTest::TearDown();
  }
  MainDlg& main() { return *g_pMainDlg; }

  // "読込み", then plant and facility picked by name, the file and the row.
  void LoadProject(const std::string& plant, const std::string& facility, const std::string& file, int row) {
    user.ExpectModal(IDD_PROJECT, [=](Dialog& d) {
      const auto& plants = d.Item(IDC_PLANT_LIST);
      ASSERT_TRUE(d.SelectComboItem(IDC_PLANT_LIST, plants.FindStringExact(-1, wb::W(plant))));
      const auto& facilities = d.Item(IDC_FACILITY_LIST);
      ASSERT_TRUE(d.SelectComboItem(IDC_FACILITY_LIST, facilities.FindStringExact(-1, wb::W(facility))));
      d.Click(IDOK);
    });
    user.AnswerFileOpen(U(file));
    user.ExpectModal(IDD_STARTROW, [=](Dialog& d) {
      d.TypeText(IDC_STARTROW, wb::Format(u"%d", row));
      d.Click(IDOK);
    });
    ASSERT_TRUE(main().Click(IDC_LOAD));
    EXPECT_TRUE(user.Idle());
  }
  std::vector<std::string> Row(int item) const {
    std::vector<std::string> cells;
    for (int c = 0; c < 7; ++c) cells.push_back(wb::Utf16ToUtf8(g_pMainDlg->m_list.GetItemText(item, c)));
    return cells;
  }
  std::vector<WString> Queued() {
    std::vector<WString> out;
    auto& stack = wb::editor::CommandStack::Instance();
    while (stack.HasQueued()) out.push_back(stack.TakeQueued());
    return out;
  }
};

TEST_F(MainDlgTest, ListShowsRowsWithLengthsInRed) {
  const auto& list = main().m_list;
  ASSERT_EQ(list.columns().size(), 7u);
  EXPECT_EQ(list.columns()[0].title, u"ｹｰﾌﾞﾙ番号");
  EXPECT_EQ(list.columns()[3].title, u"From副番");
  EXPECT_EQ(list.columns()[6].title, u"m");
  EXPECT_EQ(list.columns()[1].width, 165);
  EXPECT_EQ(list.extendedStyle(), 0x31u);
  // An empty list asks for no colours.
  EXPECT_FALSE(main().ListTextColor(IDC_CABLELIST, 0, 6).has_value());

  main().m_cableList.rows = {{u"C-1", u"CV 2sq", u"M1", u"", u"M2", u"", u"1", u"2", true, 12.34},
                             {u"C-2", u"CV 5.5sq", u"M3", u"", u"M4", u"", u"", u"", false, 0}};
  main().RefreshList();
  ASSERT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"C-1", "CV 2sq", "M1", "1", "M2", "2", "12.3"}));
  EXPECT_EQ(list.GetItemText(1, 6), u"");
  EXPECT_EQ(main().ListTextColor(IDC_CABLELIST, 1, 6), wb::ui::Rgb(255, 0, 0));
  EXPECT_EQ(main().ListTextColor(IDC_CABLELIST, 1, 2), wb::ui::Rgb(0, 0, 0));

  // "長さ初期化" is hidden by default and empties every length at once.
  EXPECT_FALSE(main().Item(IDC_INITLENGTH).visible());
  EXPECT_FALSE(main().Click(IDC_INITLENGTH));
  main().ShowItem(IDC_INITLENGTH, true);
  EXPECT_TRUE(main().Click(IDC_INITLENGTH));
  EXPECT_EQ(list.GetItemText(0, 6), u"");
  EXPECT_FALSE(main().m_cableList.rows[0].hasLength);
}

TEST_F(MainDlgTest, ButtonsRefuseOrQueueTheirCommand) {
  // Without a project.
  for (int button : {IDC_SETCABLE, IDC_DRAWMARK, IDC_CONFIRM, IDC_FILEOUT}) main().Click(button);
  EXPECT_EQ(MessageIds(), (std::vector<int>{135, 135, 142, 137}));
  EXPECT_EQ(LastMessageType(), MB_OK);
  EXPECT_TRUE(Queued().empty());

  // A list whose source has gone: the export's box names it.
  main().m_cableList.sourcePath = U(dir / "list.csv");
  ASSERT_TRUE(main().Click(IDC_FILEOUT));
  EXPECT_NE(user.messages().back().caption.find(u"list.csv"), WString::npos);
  main().m_cableList.rows.resize(2);
  main().RefreshList();
  user.AnswerMessageBox(IDNO);
  main().Click(IDC_SETCABLE);
  EXPECT_EQ(MessageIds().back(), 129);
  EXPECT_EQ(user.messages().back().type & MB_TYPEMASK, MB_YESNO);
  EXPECT_TRUE(Queued().empty());
  user.AnswerMessageBox(IDYES);
  main().Click(IDC_SETCABLE);
  EXPECT_EQ(Queued(), std::vector<WString>{u"QZ_SETCABLEDIST"});

  main().SelectListItem(IDC_CABLELIST, 1);
  main().Click(IDC_CONFIRM);
  EXPECT_EQ(main().m_selectedRow, 1);
  // A list longer than the rows (not reachable by the dialog itself).
  main().m_list.InsertItem(2, u"extra");
  main().SelectListItem(IDC_CABLELIST, 2);
  main().Click(IDC_CONFIRM);
  EXPECT_EQ(MessageIds().back(), 143);
  EXPECT_EQ(main().m_selectedRow, 1);
  EXPECT_EQ(Queued(), std::vector<WString>{u"QZ_CONFIRTCABLE"});  // once
}

TEST_F(MainDlgTest, AnyRanksInTheDefinitionFileGiveAWholeOrder) {
  // A rank outside 1..7, or one shown further left already, gives its place
  // to the first column not shown yet.
  const struct {
    const char* section;
    std::vector<int> order;
  } cases[] = {
      {"NO=2", {1, 0, 2, 3, 4, 5, 6}},
      {"DIST=1", {0, 1, 2, 3, 4, 5, 6}},  // the cable number keeps the place further left
      {"NO=0\r\nSIZE=99", {0, 1, 2, 3, 4, 5, 6}},
      {"NO=-2147483648\r\nSIZE=-99999999999\r\nFROM_MARK=7", {0, 1, 6, 3, 4, 5, 2}},
      {"NO=3\r\nSIZE=3\r\nFROM_MARK=3", {2, 0, 1, 3, 4, 5, 6}},
      {"NO=7\r\nSIZE=6\r\nFROM_MARK=5\r\nFROM_NO=4\r\nTO_MARK=3\r\nTO_NO=2\r\nDIST=1", {6, 5, 4, 3, 2, 1, 0}},
  };
  for (const auto& c : cases) {
    WriteBytes(root + "/CablelistDefine.ini", std::string("[ListColumnNumber]\r\n") + c.section + "\r\n");
    main().SetupList();
    main().SetupList();  // the columns are deleted again under that order
    EXPECT_EQ(main().m_list.GetColumnOrderArray(), c.order) << c.section;
  }
  // A drag only permutes.
  EXPECT_FALSE(main().DragColumns(IDC_CABLELIST, {0, 0, 1, 2, 3, 4, 5}));
}

// Creating, deleting and exporting through the main dialog are the command
// line's project and assign runs; the project dialog's and the export's own
// tests hold their edges.
TEST_F(MainDlgTest, LoadAsksForTheProjectTheFileAndTheStartRowAndBringsTheSavedOrder) {
  EXPECT_FALSE(main().Item(IDC_OPTION).visible());
  QzComn_writeConfig(u"WireBinder", u"ShowOptionButton", u"On", u"");
  QZ_WireBinder();
  EXPECT_TRUE(g_cableSetting.showOptionButton);
  EXPECT_FALSE(main().Item(IDC_OPTION).visible());  // not before the list is set up again
  stdfs::create_directories(Project("P", "設備2"));
  DefineSimple(root + "/P");
  WriteList(dir / "list.csv", {"番号,サイズ,From,To,長さ", "W-1,IV5.5,P1,M1,", "#保留", "W-2,〃,P2,M2,3.5"});
  LoadProject("P", "設備2", dir / "list.csv", 2);
  EXPECT_EQ(MessageIds(), std::vector<int>{111});
  EXPECT_EQ(LastMessageType(), MB_OK | MB_ICONINFORMATION);
  ASSERT_EQ(user.fileRequests().size(), 1u);
  const auto& request = user.fileRequests()[0];
  EXPECT_EQ(request.filter, u"Csv Files (*.csv)|*.csv||");
  EXPECT_EQ(request.defaultExtension, u".csv");
  EXPECT_EQ(request.initialFile, g_cableSetting.projectRoot + u"*.csv");
  EXPECT_TRUE(request.fileMustExist && request.readOnlyChecked);
  EXPECT_EQ(main().m_cableList.sourcePath, U(dir / "list.csv"));
  EXPECT_EQ(main().m_cableList.startRow, 2);
  EXPECT_EQ(main().GetWindowText(), u"設備2 - " + LoadModuleString(120));
  EXPECT_EQ(main().m_lastPlant, u"P");
  EXPECT_EQ(main().m_lastFacility, u"設備2");
  ASSERT_EQ(main().m_list.GetItemCount(), 2);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"W-1", "IV5.5", "P1", "", "M1", "", ""}));
  EXPECT_EQ(Row(1), (std::vector<std::string>{"W-2", "IV5.5", "P2", "", "M2", "", "3.5"}));
  EXPECT_TRUE(main().Item(IDC_OPTION).visible());
  EXPECT_FALSE(main().Item(IDC_DELETEATT).visible());
  EXPECT_EQ(main().m_list.GetColumnOrderArray(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

  ASSERT_TRUE(main().DragColumns(IDC_CABLELIST, {6, 0, 2, 1, 3, 4, 5}));
  user.Clear();
  ASSERT_TRUE(main().Click(IDC_SAVEORDER));
  EXPECT_EQ(MessageIds(), std::vector<int>{164});
  const auto ini = U(root + "/P/CablelistDefine.ini");
  EXPECT_EQ(QzComn_GetEnv(ini, u"ListColumnNumber", u"NO"), u"7");
  EXPECT_EQ(QzComn_GetEnv(ini, u"ListColumnNumber", u"DIST"), u"6");

  // Back to the natural order on screen, then the project again.
  ASSERT_TRUE(main().DragColumns(IDC_CABLELIST, {0, 1, 2, 3, 4, 5, 6}));
  LoadProject("P", "設備2", dir / "list.csv", 2);
  EXPECT_EQ(main().m_list.GetColumnOrderArray(), (std::vector<int>{6, 0, 2, 1, 3, 4, 5}));
  // Showing the dialog again keeps it.
  QZ_WireBinder();
  EXPECT_EQ(main().m_list.GetColumnOrderArray(), (std::vector<int>{6, 0, 2, 1, 3, 4, 5}));
}

TEST_F(MainDlgTest, TheDialogComesBackUntilTheModuleAndItsCommandsGo) {
  // Closing only hides: the command shows the same dialog again.
  MainDlg* first = g_pMainDlg;
  EXPECT_EQ(first->GetWindowText(), u"ケーブル情報設定");
  first->Close();
  EXPECT_FALSE(first->IsWindowVisible());
  QZ_WireBinder();
  EXPECT_EQ(g_pMainDlg, first);
  EXPECT_TRUE(first->IsWindowVisible());
  EXPECT_EQ(wb::ui::ResourceOverride::Depth(), 0);
  EXPECT_EQ(g_cableSetting.subNumberSeparator, u" ");  // loaded: no separator configured

  auto& stack = wb::editor::CommandStack::Instance();
  for (int round = 0; round < 2; ++round) {  // unloading and reloading
    ASSERT_EQ(acrxEntryPoint(kUnloadAppMsg, nullptr), 0);
    EXPECT_TRUE(stack.Commands().empty());
    EXPECT_EQ(g_pMainDlg, nullptr);  // no window outlives the module
    ASSERT_EQ(acrxEntryPoint(kInitAppMsg, nullptr), 0);
    // A command typed before the next QZ_WireBinder sees the construction
    // defaults again.
    EXPECT_EQ(g_cableSetting.subNumberSeparator, u"-");
    EXPECT_TRUE(g_cableSetting.projectRoot.empty());
    const auto commands = stack.Commands();
    ASSERT_EQ(commands.size(), 8u);
    EXPECT_EQ(commands[0]->globalName, u"QZ_WireBinder");
    EXPECT_EQ(commands[0]->flags, 0x1);
    for (size_t i = 1; i < 8; ++i) EXPECT_EQ(commands[i]->flags, 0x800001) << i;
    EXPECT_EQ(commands[6]->group, u"QZBackCable");
    EXPECT_TRUE(stack.Run(u"qz_backcable"));  // does nothing, at once
    EXPECT_EQ(acrxEntryPoint(42, nullptr), 0);
    EXPECT_TRUE(stack.Run(u"QZ_WireBinder"));
    ASSERT_NE(g_pMainDlg, nullptr);
  }
}

}  // namespace
}  // namespace wbtest
