#include "platform/dialogs/controls.h"

#include <gtest/gtest.h>

#include "platform/dialogs/dialog.h"
#include "platform/dialogs/message_box.h"
#include "platform/dialogs/scripted_backend.h"

using namespace wb::ui;
using wb::WString;

TEST(Controls, SortedComboBoxPrefixSearchAndListViewColumnsItemsAndOrder) {
  Control combo(ControlTemplate{10, ControlKind::kComboBox, u"", {}, kStyleSort});
  for (const char16_t* s : {u"plant-b", u"Plant-A", u"delta", u"PLANT-C"}) combo.AddString(s);
  ASSERT_EQ(combo.GetCount(), 4);
  EXPECT_EQ(combo.GetLBText(0), u"delta");
  EXPECT_EQ(combo.GetLBText(1), u"Plant-A");
  EXPECT_EQ(combo.GetLBText(3), u"PLANT-C");
  // Search starts after `start` and wraps around; case does not count.
  EXPECT_EQ(combo.FindString(-1, u"plant"), 1);
  EXPECT_EQ(combo.FindString(1, u"plant"), 2);
  EXPECT_EQ(combo.FindString(3, u"plant"), 1);
  EXPECT_EQ(combo.FindString(0, u"x"), -1);
  EXPECT_EQ(combo.FindStringExact(-1, u"plant-a"), 1);
  EXPECT_EQ(combo.FindStringExact(-1, u"plant"), -1);
  // The selection follows its item when one is inserted before it.
  combo.SetCurSel(1);
  combo.AddString(u"alpha");
  EXPECT_EQ(combo.currentIndex(), 2);
  EXPECT_EQ(combo.text(), u"Plant-A");
  EXPECT_EQ(combo.SetCurSel(9), -1);
  EXPECT_EQ(combo.currentIndex(), -1);

  Control list(ControlTemplate{20, ControlKind::kListView, u"", {}});
  list.InsertColumn(0, u"a", 10);
  list.InsertColumn(1, u"b", 10);
  list.InsertColumn(2, u"c", 10);
  EXPECT_EQ(list.GetColumnOrderArray(), (std::vector<int>{0, 1, 2}));
  EXPECT_FALSE(list.SetColumnOrderArray({0, 1}));
  ASSERT_TRUE(list.SetColumnOrderArray({2, 0, 1}));
  list.DeleteColumn(0);  // column "a" goes; the others keep their places
  EXPECT_EQ(list.GetColumnOrderArray(), (std::vector<int>{1, 0}));
  EXPECT_EQ(list.columns()[0].title, u"b");

  list.InsertItem(0, u"r0");
  list.InsertItem(0, u"r-1");
  EXPECT_TRUE(list.SetItemText(1, 1, u"x"));
  EXPECT_FALSE(list.SetItemText(1, 2, u"beyond the columns"));
  EXPECT_FALSE(list.SetItemText(5, 0, u"no such item"));
  EXPECT_EQ(list.GetItemText(1, 0), u"r0");
  EXPECT_EQ(list.GetItemText(1, 1), u"x");
  list.SetSelectedItem(1);
  list.InsertItem(0, u"r-2");
  EXPECT_EQ(list.GetSelectedItem(), 2);
  list.DeleteAllItems();
  EXPECT_EQ(list.GetSelectedItem(), -1);
}

namespace {

const ControlTemplate kControls[] = {{1, ControlKind::kPushButton, u"OK", {}}};
const DialogResource kResource{900, u"テスト", 100, 50, kControls};

}  // namespace

// How the script plays a modal dialog is what every dialog test relies on;
// what it does when the script and the program disagree is shown here.
TEST(ScriptedBackend, PlaysModalDialogsAndAnswersQuestions) {
  ScriptedBackend user;
  DialogBackend* previous = SetBackend(&user);

  // OK ends it; actions that leave the dialog open cancel it; a run
  // without actions is a problem the host reports.
  Dialog probe(kResource);
  user.ExpectModal(900, [](Dialog& d) { EXPECT_TRUE(d.Click(IDOK)); });
  EXPECT_EQ(probe.DoModal(), IDOK);
  user.ExpectModal(900, [](Dialog&) {});
  EXPECT_EQ(probe.DoModal(), IDCANCEL);
  EXPECT_TRUE(user.problems().empty());
  EXPECT_EQ(probe.DoModal(), IDCANCEL);
  ASSERT_EQ(user.problems().size(), 1u);

  // Questions: queued answers in order; an unforeseen one changes nothing.
  user.AnswerMessageBox(IDYES);
  EXPECT_EQ(user.MessageBox(u"q1", u"", 0x4), IDYES);
  EXPECT_EQ(user.MessageBox(u"plain", u"", 0x0), IDOK);
  EXPECT_EQ(user.MessageBox(u"q2", u"", 0x4), IDNO);
  EXPECT_EQ(user.problems().size(), 2u);
  EXPECT_EQ(user.messages().size(), 3u);
  // So are file names, and every request is kept.
  user.AnswerFileOpen(u"/p/a.csv");
  EXPECT_EQ(user.FileOpen({}), std::optional<WString>(u"/p/a.csv"));
  EXPECT_EQ(user.FileOpen({}), std::nullopt);
  EXPECT_EQ(user.fileRequests().size(), 2u);
  EXPECT_EQ(user.problems().size(), 3u);
  EXPECT_TRUE(user.Idle());

  // Modeless windows are tracked until destroyed.
  {
    Dialog modeless(kResource);
    ASSERT_TRUE(modeless.Create());
    EXPECT_EQ(user.FindModeless(900), &modeless);
    user.FailNextCreate();
    Dialog refused(kResource);
    EXPECT_FALSE(refused.Create());
    EXPECT_FALSE(refused.hasWindow());
  }
  EXPECT_TRUE(user.modeless().empty());
  // Without a host's dialogs a question gets the answer that changes nothing.
  SetBackend(nullptr);
  EXPECT_EQ(AfxMessageBox(u"?", MB_YESNO), IDNO);
  SetBackend(previous);
}
