#include "ui/main_dlg.h"

#include <gtest/gtest.h>

#include "../files/files_test_util.h"
#include "app/command_table.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/scripted_backend.h"
#include "platform/editor/command_queue.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"

using wb::W;
using wb::WString;
using wbtest::TempDir;
using wbtest::U;
using wbtest::WriteBytes;

namespace {

// A scripted user, a settings file and a projects root of its own.
class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = wb::ui::SetBackend(&user_);
    QzComn_SetConfigFile(U(dir_ / "wirebinder.ini"));
    WriteBytes(dir_ / "wirebinder.ini", "[WireBinder]\r\nProjectDir=" + dir_.path() + "/projects/\r\n");
    WriteBytes(dir_ / "projects/CablelistDefine.ini",
               "[WireBinder]\r\nNO=1\r\nSIZE=2\r\nFROM_MARK=3\r\nFROM_NAME=4\r\nFROM_NO=5\r\n"
               "TO_MARK=6\r\nTO_NAME=7\r\nTO_NO=8\r\n[StartRow]\r\nRowNumber=1\r\n"
               "[ListColumnNumber]\r\nNO=2\r\nSIZE=1\r\n");
    acrxEntryPoint(kInitAppMsg, nullptr);
    QZ_WireBinder();
    ASSERT_NE(g_pMainDlg, nullptr);
  }
  void TearDown() override {
    acrxEntryPoint(kUnloadAppMsg, nullptr);
    delete g_pMainDlg;
    g_pMainDlg = nullptr;
    wb::editor::CommandStack::Instance().ClearQueue();
    wb::ui::SetBackend(previous_);
    QzComn_SetConfigFile(u"");
  }
  MainDlg& dlg() { return *g_pMainDlg; }
  void LoadRows() {
    dlg().m_cableList.sourcePath = U(dir_ / "list.csv");
    CableRow a{u"C-1", u"CV 2sq", u"M1", u"", u"M2", u"", u"1", u"2", true, 12.34};
    CableRow b{u"C-2", u"CV 5.5sq", u"M3", u"", u"M4", u"", u"", u"", false, 0};
    dlg().m_cableList.rows = {a, b};
    dlg().RefreshList();
  }
  WString LastMessage() const {
    return user_.messages().empty() ? WString() : user_.messages().back().text;
  }
  std::vector<WString> Queued() {
    std::vector<WString> out;
    auto& stack = wb::editor::CommandStack::Instance();
    while (stack.HasQueued()) out.push_back(stack.TakeQueued());
    return out;
  }

  TempDir dir_;
  wb::ui::ScriptedBackend user_;
  wb::ui::DialogBackend* previous_ = nullptr;
};

TEST_F(MainDialogTest, CreatedOnceAndShownAgain) {
  MainDlg* first = g_pMainDlg;
  EXPECT_TRUE(first->IsWindowVisible());
  EXPECT_EQ(first->GetWindowText(), W("ケーブル情報設定"));
  first->Close();  // closing only hides
  EXPECT_FALSE(first->IsWindowVisible());
  QZ_WireBinder();
  EXPECT_EQ(g_pMainDlg, first);
  EXPECT_TRUE(first->IsWindowVisible());
  EXPECT_EQ(wb::ui::ResourceOverride::Depth(), 0);
}

TEST_F(MainDialogTest, ListShowsRowsWithLengthsInRed) {
  const auto& list = dlg().m_list;
  ASSERT_EQ(list.columns().size(), 7u);
  EXPECT_EQ(list.columns()[0].title, W("ｹｰﾌﾞﾙ番号"));
  EXPECT_EQ(list.columns()[3].title, W("From副番"));
  EXPECT_EQ(list.columns()[6].title, u"m");
  EXPECT_EQ(list.columns()[1].width, 165);
  EXPECT_EQ(list.extendedStyle(), 0x31u);
  // The definition file swaps the first two columns.
  EXPECT_EQ(list.GetColumnOrderArray(), (std::vector<int>{1, 0, 2, 3, 4, 5, 6}));
  // An empty list asks for no colours.
  EXPECT_FALSE(dlg().ListTextColor(IDC_CABLELIST, 0, 6).has_value());

  LoadRows();
  ASSERT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.GetItemText(0, 0), u"C-1");
  EXPECT_EQ(list.GetItemText(0, 3), u"1");
  EXPECT_EQ(list.GetItemText(0, 5), u"2");
  EXPECT_EQ(list.GetItemText(0, 6), u"12.3");
  EXPECT_EQ(list.GetItemText(1, 6), u"");
  EXPECT_EQ(dlg().ListTextColor(IDC_CABLELIST, 1, 6), wb::ui::Rgb(255, 0, 0));
  EXPECT_EQ(dlg().ListTextColor(IDC_CABLELIST, 1, 2), wb::ui::Rgb(0, 0, 0));

  // "長さ初期化" is hidden by default and empties every length at once.
  EXPECT_FALSE(dlg().Item(IDC_INITLENGTH).visible());
  EXPECT_FALSE(dlg().Click(IDC_INITLENGTH));
  dlg().ShowItem(IDC_INITLENGTH, true);
  EXPECT_TRUE(dlg().Click(IDC_INITLENGTH));
  EXPECT_EQ(list.GetItemText(0, 6), u"");
  EXPECT_FALSE(dlg().m_cableList.rows[0].hasLength);
}

TEST_F(MainDialogTest, ButtonsRefuseOrQueueTheirCommand) {
  // Without a project.
  dlg().Click(IDC_SETCABLE);
  EXPECT_EQ(LastMessage(), LoadModuleString(135));
  dlg().Click(IDC_DRAWMARK);
  EXPECT_EQ(LastMessage(), LoadModuleString(135));
  dlg().Click(IDC_CONFIRM);
  EXPECT_EQ(LastMessage(), LoadModuleString(142));
  EXPECT_TRUE(Queued().empty());

  LoadRows();
  user_.AnswerMessageBox(IDNO);
  dlg().Click(IDC_SETCABLE);
  EXPECT_EQ(LastMessage(), LoadModuleString(129));
  EXPECT_EQ(user_.messages().back().type & MB_TYPEMASK, MB_YESNO);
  EXPECT_TRUE(Queued().empty());
  user_.AnswerMessageBox(IDYES);
  dlg().Click(IDC_SETCABLE);
  EXPECT_EQ(Queued(), std::vector<WString>{u"QZ_SETCABLEDIST"});

  dlg().SelectListItem(IDC_CABLELIST, 1);
  dlg().Click(IDC_CONFIRM);
  EXPECT_EQ(dlg().m_selectedRow, 1);
  // A list longer than the rows (not reachable by the dialog itself).
  dlg().m_list.InsertItem(2, u"extra");
  dlg().SelectListItem(IDC_CABLELIST, 2);
  dlg().Click(IDC_CONFIRM);
  EXPECT_EQ(LastMessage(), LoadModuleString(143));
  EXPECT_EQ(dlg().m_selectedRow, 1);

  dlg().Click(IDC_DELETEMARK);
  dlg().Click(IDC_DRAWINFO);
  EXPECT_EQ(Queued(), (std::vector<WString>{u"QZ_CONFIRTCABLE", u"QZ_DELETEMARK", u"QZ_DrawCableInfo"}));

  dlg().ShowConfirmButtons(true);
  EXPECT_FALSE(dlg().Item(IDC_CONFIRM).visible());
  EXPECT_TRUE(dlg().Click(IDC_BACK));
  EXPECT_EQ(Queued(), std::vector<WString>{u"QZ_BACKCABLE"});
  dlg().ShowConfirmButtons(false);
  EXPECT_FALSE(dlg().Item(IDC_BACK).visible());
}

TEST_F(MainDialogTest, AnyRanksInTheDefinitionFileGiveAWholeOrder) {
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
      {"NO=7\r\nSIZE=6\r\nFROM_MARK=5\r\nFROM_NO=4\r\nTO_MARK=3\r\nTO_NO=2\r\nDIST=1",
       {6, 5, 4, 3, 2, 1, 0}},
  };
  for (const auto& c : cases) {
    WriteBytes(dir_ / "projects/CablelistDefine.ini",
               std::string("[ListColumnNumber]\r\n") + c.section + "\r\n");
    dlg().SetupList();
    dlg().SetupList();  // the columns are deleted again under that order
    EXPECT_EQ(dlg().m_list.GetColumnOrderArray(), c.order) << c.section;
  }
  // A drag only permutes (saving and loading an order: main_dlg_flow_test).
  EXPECT_FALSE(dlg().DragColumns(IDC_CABLELIST, {0, 0, 1, 2, 3, 4, 5}));
}

TEST_F(MainDialogTest, AReloadedModuleStartsFromTheDefaults) {
  EXPECT_EQ(g_cableSetting.subNumberSeparator, u" ");  // loaded: no separator configured
  EXPECT_FALSE(g_cableSetting.projectRoot.empty());
  acrxEntryPoint(kUnloadAppMsg, nullptr);
  acrxEntryPoint(kInitAppMsg, nullptr);
  // A command typed before the next QZ_WireBinder sees the construction
  // defaults again.
  EXPECT_EQ(g_cableSetting.subNumberSeparator, u"-");
  EXPECT_TRUE(g_cableSetting.projectRoot.empty());
  EXPECT_EQ(g_pMainDlg, nullptr);
}

TEST(CommandTable, RegistersEightCommandsAndRemovesThem) {
  auto& stack = wb::editor::CommandStack::Instance();
  for (int round = 0; round < 2; ++round) {  // unloading and reloading
    ASSERT_EQ(acrxEntryPoint(kInitAppMsg, nullptr), 0);
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
    ASSERT_EQ(acrxEntryPoint(kUnloadAppMsg, nullptr), 0);
    EXPECT_TRUE(stack.Commands().empty());
    EXPECT_EQ(g_pMainDlg, nullptr);  // no window outlives the module
  }
}

}  // namespace
