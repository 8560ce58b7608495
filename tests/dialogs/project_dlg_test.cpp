#include "project/project_dlg.h"

#include "dialog_test_util.h"
#include "project/start_row_dlg.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace wbtest {
namespace {

using wb::ui::Dialog;

class ProjectDlgTest : public DialogTest {
 protected:
  // Runs the dialog in `mode` with `actions` as the user.
  // `after` queues what the user does in the dialogs this one opens.
  int Run(int mode, std::function<void(Dialog&)> actions, ProjectDlg* dialog = nullptr,
          std::function<void()> after = {}) {
    ProjectDlg local;
    ProjectDlg& d = dialog ? *dialog : local;
    d.m_mode = mode;
    user.ExpectModal(IDD_PROJECT, std::move(actions));
    if (after) after();
    return d.DoModal();
  }
  void ExpectStartRow(const char16_t* typed, int button = IDOK, const char16_t* shown = nullptr) {
    user.ExpectModal(IDD_STARTROW, [=](Dialog& d) {
      if (shown) {
        EXPECT_EQ(d.GetDlgItemText(IDC_STARTROW), shown);
      }
      d.TypeText(IDC_STARTROW, typed);
      d.Click(button);
    });
  }
  static std::vector<std::string> Items(const Dialog& d, int id) {
    std::vector<std::string> names;
    for (const auto& item : d.Item(id).items()) names.push_back(wb::Utf16ToUtf8(item));
    return names;
  }
  static std::string Text(const Dialog& d, int id) { return wb::Utf16ToUtf8(d.GetDlgItemText(id)); }
  static void Ok(Dialog& d) { d.Click(IDOK); }
  // The names typed, then OK.
  static void Submit(Dialog& d, const char16_t* plant, const char16_t* facility) {
    d.TypeText(IDC_PLANT_EDIT, plant);
    d.TypeText(IDC_FACILITY_EDIT, facility);
    d.Click(IDOK);
  }
  static void OkStays(Dialog& d) {
    d.Click(IDOK);
    EXPECT_FALSE(d.ended());
  }
  // Loading chooses from lists; creating and deleting take typed names.
  static void ExpectBoxes(const Dialog& d, bool lists) {
    for (int id : {IDC_PLANT_LIST, IDC_FACILITY_LIST}) EXPECT_EQ(d.Item(id).visible(), lists) << id;
    for (int id : {IDC_PLANT_EDIT, IDC_FACILITY_EDIT}) EXPECT_EQ(d.Item(id).visible(), !lists) << id;
  }
  static void ExpectTexts(const Dialog& d, int title, int ok) {
    EXPECT_EQ(d.GetWindowText(), LoadModuleString(title));
    EXPECT_EQ(d.GetDlgItemText(IDOK), LoadModuleString(ok));
    EXPECT_EQ(d.GetDlgItemText(IDCANCEL), LoadModuleString(115));
  }
};

TEST_F(ProjectDlgTest, LoadModeListsPlantsAndFacilitiesSorted) {
  for (const char* p : {"plantB/f2", "plantB/f1", "PlantA/x", "plantC"}) stdfs::create_directories(root + "/" + p);
  WriteBytes(root + "/CablelistDefine.ini", "");  // a file is no plant
  WriteBytes(root + "/plantB/notes.txt", "");
  Run(ProjectDlg::kLoad, [&](Dialog& d) {
    EXPECT_EQ(d.GetWindowText(), LoadModuleString(104));
    EXPECT_EQ(d.GetDlgItemText(IDOK), LoadModuleString(124));
    EXPECT_EQ(Text(d, IDCANCEL), "キャンセル");
    ExpectBoxes(d, true);
    EXPECT_EQ(Items(d, IDC_PLANT_LIST), (std::vector<std::string>{"PlantA", "plantB", "plantC"}));
    EXPECT_EQ(d.Item(IDC_PLANT_LIST).currentIndex(), 0);
    EXPECT_EQ(Items(d, IDC_FACILITY_LIST), std::vector<std::string>{"x"});
    // Another plant refills the facilities and selects the first.
    ASSERT_TRUE(d.SelectComboItem(IDC_PLANT_LIST, 1));
    EXPECT_EQ(Items(d, IDC_FACILITY_LIST), (std::vector<std::string>{"f1", "f2"}));
    EXPECT_EQ(d.Item(IDC_FACILITY_LIST).currentIndex(), 0);
    ASSERT_TRUE(d.SelectComboItem(IDC_PLANT_LIST, 2));
    EXPECT_TRUE(Items(d, IDC_FACILITY_LIST).empty());
    EXPECT_EQ(Text(d, IDC_FACILITY_LIST), "");
    // Typing is for the other modes.
    EXPECT_FALSE(d.TypeText(IDC_PLANT_LIST, u"plantB"));
    // Without a facility the load stops before the file dialog.
    OkStays(d);
  });
  EXPECT_EQ(MessageIds(), std::vector<int>{107});
  EXPECT_TRUE(user.fileRequests().empty());
}

// Each way a load can stop leaves the list as it was, except the rows an
// import that fails after the start row was chosen.
TEST_F(ProjectDlgTest, ALoadThatStopsLeavesTheListAsItWas) {
  g_cableSetting.readDefaultOutFile = true;
  stdfs::create_directories(Project("P", "F"));
  WriteList(dir / "list.csv", {"W-1,IV,P1,M2"});
  ProjectDlg dialog;
  dialog.m_cableList.sourcePath = u"old.csv";
  dialog.m_cableList.plant = u"oldP";
  dialog.m_cableList.facility = u"oldF";
  dialog.m_cableList.rows.resize(3);
  auto unchanged = [&] {
    EXPECT_EQ(dialog.m_cableList.sourcePath, u"old.csv");
    EXPECT_EQ(dialog.m_cableList.plant, u"oldP");
    EXPECT_EQ(dialog.m_cableList.facility, u"oldF");
    EXPECT_EQ(dialog.m_cableList.rows.size(), 3u);
  };

  // The file dialog cancelled: the project dialog stays, silently. It
  // proposed the projects root, there being no exported list yet.
  user.AnswerFileOpen(std::nullopt);
  EXPECT_EQ(Run(ProjectDlg::kLoad, OkStays, &dialog), IDCANCEL);
  EXPECT_TRUE(user.messages().empty());
  unchanged();

  // No definition file anywhere: the load steps back silently, before the
  // start row is asked for. The project's exported list is proposed now.
  WriteBytes(Project("P", "F") + "/Cablelist.csv", "W-1,IV,P1,M2,3.5\r\n");
  user.AnswerFileOpen(U(dir / "list.csv"));
  Run(ProjectDlg::kLoad, OkStays, &dialog);
  EXPECT_TRUE(user.messages().empty());
  ASSERT_EQ(user.fileRequests().size(), 2u);
  EXPECT_EQ(user.fileRequests()[0].initialFile, g_cableSetting.projectRoot);
  EXPECT_EQ(user.fileRequests()[1].initialFile, U(Project("P", "F") + "/Cablelist.csv"));
  unchanged();

  // The start-row dialog cancelled; with no RowNumber yet, 1 was proposed.
  const CString definition = U(Project("P", "F") + "/CablelistDefine.ini");
  DefineSimple(Project("P", "F"));
  user.AnswerFileOpen(U(dir / "list.csv"));
  Run(ProjectDlg::kLoad, Ok, &dialog, [&] { ExpectStartRow(u"1", IDCANCEL, u"1"); });
  EXPECT_TRUE(user.messages().empty());
  unchanged();
  EXPECT_EQ(QzComn_GetEnv(definition, u"StartRow", u"RowNumber"), u"");

  // A definition the import refuses: 109, the rows of the earlier load
  // stay, and the chosen row is written back all the same.
  Define(Project("P", "F"), {{"TO_MARK", "0"}}, 2);
  user.AnswerFileOpen(U(dir / "list.csv"));
  EXPECT_EQ(Run(ProjectDlg::kLoad, Ok, &dialog, [&] { ExpectStartRow(u"7", IDOK, u"2"); }), IDCANCEL);
  EXPECT_EQ(MessageIds(), std::vector<int>{109});
  EXPECT_EQ(LastMessageType(), MB_OK);
  EXPECT_EQ(QzComn_GetEnv(definition, u"StartRow", u"RowNumber"), u"7");
  EXPECT_EQ(dialog.m_cableList.rows.size(), 3u);
  EXPECT_EQ(dialog.m_cableList.startRow, 7);
  EXPECT_EQ(dialog.m_cableList.plant, u"P");
  EXPECT_TRUE(dialog.m_selectedPlant.empty());

  // No cable line at or after the start row: 110, the list emptied.
  user.Clear();
  Define(Project("P", "F"), {{"TO_MARK", "4"}});
  user.AnswerFileOpen(U(dir / "list.csv"));
  EXPECT_EQ(Run(ProjectDlg::kLoad, Ok, &dialog, [&] { ExpectStartRow(u"3"); }), IDCANCEL);
  EXPECT_EQ(MessageIds(), std::vector<int>{110});
  EXPECT_TRUE(dialog.m_cableList.rows.empty());
}

TEST_F(ProjectDlgTest, CreateMakesFoldersAndSelectsThemInTheRootOrTheWorkingFolder) {
  stdfs::create_directories(root + "/AB/x");
  Run(ProjectDlg::kCreate, [&](Dialog& d) {
    ExpectTexts(d, 105, 118);
    ExpectBoxes(d, false);
    // A new plant and facility.
    Submit(d, u"A", u"設備1");
    EXPECT_FALSE(d.ended());
    EXPECT_TRUE(stdfs::is_directory(Project("A", "設備1")));
    EXPECT_EQ(Items(d, IDC_PLANT_EDIT), (std::vector<std::string>{"A", "AB"}));
    // The prefix search looks at entry 0 last: AB, whose facilities lack 設備1.
    EXPECT_EQ(Text(d, IDC_PLANT_EDIT), "AB");
    EXPECT_EQ(Text(d, IDC_FACILITY_EDIT), "");
    // An existing plant and a new facility: the plant's failure does not count.
    Submit(d, u"AB", u"設備2");
    EXPECT_TRUE(stdfs::is_directory(Project("AB", "設備2")));
    EXPECT_EQ(Items(d, IDC_FACILITY_EDIT), (std::vector<std::string>{"x", "設備2"}));
    EXPECT_EQ(Text(d, IDC_FACILITY_EDIT), "設備2");
    // The same again: it exists.
    d.Click(IDOK);
    // A plant alone.
    Submit(d, u"Solo", u"");
    EXPECT_TRUE(stdfs::is_directory(root + "/Solo"));
    EXPECT_TRUE(stdfs::is_empty(root + "/Solo"));
    EXPECT_EQ(Text(d, IDC_PLANT_EDIT), "Solo");
    // No plant.
    Submit(d, u"", u"F");
  });
  EXPECT_EQ(MessageIds(), (std::vector<int>{113, 113, 112, 113, 107}));
  EXPECT_EQ(user.messages()[0].type, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(user.messages()[2].type, MB_OK);
  EXPECT_EQ(user.messages()[4].type, MB_OK);

  // An empty root is the working folder.
  const stdfs::path previous = stdfs::current_path();
  stdfs::create_directories(dir / "work");
  stdfs::current_path(dir / "work");
  g_cableSetting.projectRoot.clear();
  Run(ProjectDlg::kCreate, [&](Dialog& d) {
    EXPECT_EQ(d.Item(IDC_PLANT_EDIT).GetCount(), 0);
    Submit(d, u"P", u"F");
    EXPECT_EQ(Items(d, IDC_PLANT_EDIT), std::vector<std::string>{"P"});
  });
  stdfs::current_path(previous);
  EXPECT_EQ(MessageIds().back(), 113);
  EXPECT_TRUE(stdfs::is_directory(dir / "work/P/F"));
}

TEST_F(ProjectDlgTest, NamesThatLeaveTheRootAreRefused) {
  stdfs::create_directories(dir / "outside/keep");
  stdfs::create_directory_symlink(dir / "outside", root + "/LINK");  // a plant that leads out
  const auto before = stdfs::directory_entry(dir / "outside").last_write_time();
  const std::pair<const char16_t*, const char16_t*> cases[] = {{u"..", u"outside"}, {u".", u"F"}, {u"../outside", u""},
                        {u"P", u".."},       {u"P", u"a/b"}, {u"P", u"..\\x"},
                        {u"/tmp", u"F"},     {u"LINK", u"keep"}, {u"LINK", u"new"},
                        {u"LINK", u""}};
  for (int mode : {ProjectDlg::kCreate, ProjectDlg::kDelete}) {
    Run(mode, [&](Dialog& d) {
      for (const auto& [plant, facility] : cases) Submit(d, plant, facility);
    });
  }
  EXPECT_EQ(MessageIds(), std::vector<int>(2 * std::size(cases), 107));
  EXPECT_TRUE(stdfs::is_directory(dir / "outside/keep"));
  EXPECT_EQ(stdfs::directory_entry(dir / "outside").last_write_time(), before);
  EXPECT_EQ(std::distance(stdfs::directory_iterator(root), {}), 1);  // the link alone
  Run(ProjectDlg::kLoad, [&](Dialog& d) {
    EXPECT_TRUE(Items(d, IDC_PLANT_LIST).empty());
    d.Click(IDCANCEL);
  });
}

TEST_F(ProjectDlgTest, DeleteAsksAndRemovesTheProjectOrThePlant) {
  for (const char* p : {"P/F1/sub", "P/F2", "Q/G"}) stdfs::create_directories(root + "/" + p);
  WriteBytes(root + "/P/F1/sub/Cablelist.csv", "x");
  WriteBytes(root + "/log.csv", "x");
  for (int answer : {IDNO, IDYES, IDYES, IDYES, IDYES}) user.AnswerMessageBox(answer);
  Run(ProjectDlg::kDelete, [&](Dialog& d) {
    ExpectTexts(d, 106, 119);
    EXPECT_EQ(Text(d, IDC_PLANT_EDIT), "P");
    EXPECT_EQ(Text(d, IDC_FACILITY_EDIT), "F1");
    d.Click(IDOK);  // No
    EXPECT_TRUE(stdfs::exists(Project("P", "F1")));
    d.Click(IDOK);  // Yes: the project with its contents
    EXPECT_FALSE(stdfs::exists(Project("P", "F1")));
    EXPECT_TRUE(stdfs::exists(Project("P", "F2")));
    EXPECT_EQ(Items(d, IDC_FACILITY_EDIT), std::vector<std::string>{"F2"});
    // The facility emptied: the whole plant.
    Submit(d, u"P", u"");
    EXPECT_FALSE(stdfs::exists(root + "/P"));
    EXPECT_EQ(Items(d, IDC_PLANT_EDIT), std::vector<std::string>{"Q"});
    // A project that is not there, and a file of the root typed as a plant.
    Submit(d, u"Q", u"nothing");
    Submit(d, u"log.csv", u"");
  });
  EXPECT_EQ(MessageIds(), (std::vector<int>{114, 114, 117, 114, 117, 114, 116, 114, 116}));
  EXPECT_EQ(user.messages()[0].type & MB_TYPEMASK, MB_YESNO);
  EXPECT_EQ(user.messages()[2].type, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(user.messages()[6].type, MB_OK);
  EXPECT_TRUE(stdfs::exists(root + "/log.csv"));
  EXPECT_TRUE(stdfs::exists(Project("Q", "G")));
}

TEST_F(ProjectDlgTest, StartRowAcceptsOnlyALeadingIntegerOfOneOrMore) {
  StartRowDlg dialog;
  dialog.m_proposedRow = 5;
  user.ExpectModal(IDD_STARTROW, [&](Dialog& d) {
    EXPECT_EQ(d.GetWindowText(), u"読込開始行設定");
    EXPECT_EQ(d.GetDlgItemText(IDC_STARTROW), u"5");
    for (const char16_t* bad : {u"0", u"-2", u"abc", u"", u" x3"}) {
      d.TypeText(IDC_STARTROW, bad);
      d.Click(IDOK);
      EXPECT_FALSE(d.ended()) << wb::Utf16ToUtf8(bad);
    }
    EXPECT_EQ(dialog.m_startRow, 1);
    d.TypeText(IDC_STARTROW, u"3abc");
    d.Click(IDOK);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_startRow, 3);
  EXPECT_EQ(MessageIds(), std::vector<int>(5, 163));
  EXPECT_EQ(LastMessageType(), MB_OK);
}

}  // namespace
}  // namespace wbtest
