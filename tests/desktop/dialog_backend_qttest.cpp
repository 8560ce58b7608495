// The Qt dialog front end on its own: a small template whose controls follow
// the dialog's state both ways, every template's layout, and message box
// answers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "hosts/desktop/dialog_window.h"
#include "hosts/desktop/qt_dialog_backend.h"
#include "platform/dialogs/message_box.h"
#include "resources/dialog_templates.h"

namespace wb::desktop {
namespace {

using ui::ControlKind;

const ui::ControlTemplate kControls[] = {
    {10, ControlKind::kEdit, u"", {5, 5, 60, 12}},
    {11, ControlKind::kCheckBox, u"確認する", {5, 20, 60, 10}},
    {12, ControlKind::kComboBox, u"", {5, 34, 60, 60}, ui::kStyleSort | ui::kStyleDropDownList},
    {13, ControlKind::kListView, u"", {70, 5, 120, 80}},
    {ui::IDOK, ControlKind::kPushButton, u"OK", {100, 90, 40, 14}, ui::kStyleDefault},
};
const ui::DialogResource kResource{900, u"テスト", 200, 110, kControls};

class Probe : public ui::Dialog {
 public:
  Probe() : Dialog(kResource) {}
  std::vector<std::string> events;
  std::optional<ui::ColorRef> ListTextColor(int, int, int subItem) override {
    return subItem == 1 ? std::optional<ui::ColorRef>(ui::Rgb(255, 0, 0)) : std::nullopt;
  }

 protected:
  void OnEditChange(int id) override { events.push_back("edit " + std::to_string(id)); }
  void OnSelChange(int id) override { events.push_back("sel " + std::to_string(id)); }
  void OnListSelChange(int id) override { events.push_back("list " + std::to_string(id)); }
  void OnCommand(int id) override { events.push_back("command " + std::to_string(id)); }
};

TEST(DialogWindow, BuiltAtTemplateSizeAndInSyncBothWays) {
  QWidget owner;
  QtDialogBackend backend(&owner);
  ui::DialogBackend* previous = ui::SetBackend(&backend);
  Probe probe;
  ASSERT_TRUE(probe.Create());
  DialogWindow* window = backend.WindowOf(&probe);
  ASSERT_NE(window, nullptr);
  const DialogUnits& u = window->units();
  EXPECT_EQ(window->size(), QSize(u.X(200), u.Y(110)));
  EXPECT_EQ(window->Control(10)->geometry(), QRect(u.X(5), u.Y(5), u.X(65) - u.X(5), u.Y(17) - u.Y(5)));
  EXPECT_FALSE(window->isVisible());
  probe.ShowWindow(true);
  EXPECT_TRUE(window->isVisible());
  // The dialog sizes its window (outer size).
  const QSize frame = window->FrameMargins();
  probe.SetWindowSize(u.X(200) / 2 + frame.width(), u.Y(110) + frame.height());
  EXPECT_EQ(window->size(), QSize(u.X(200) / 2, u.Y(110)));
  EXPECT_EQ(probe.GetWindowRect().width, u.X(200) / 2 + frame.width());

  // Program -> widgets.
  probe.SetDlgItemText(10, u"12.5");
  probe.CheckDlgButton(11, true);
  ui::Control& combo = probe.Item(12);
  combo.AddString(u"b");
  combo.AddString(u"a");
  combo.SetCurSel(1);
  probe.Touch(12);
  ui::Control& list = probe.Item(13);
  list.InsertColumn(0, u"番号", 50);
  list.InsertColumn(1, u"長さ", 40);
  list.InsertItem(0, u"C-1");
  list.SetItemText(0, 1, u"1.5");
  list.InsertItem(1, u"C-2");
  list.SetExtendedStyle(0x31);
  probe.Touch(13);
  auto* edit = qobject_cast<QLineEdit*>(window->Control(10));
  auto* check = qobject_cast<QCheckBox*>(window->Control(11));
  auto* box = qobject_cast<QComboBox*>(window->Control(12));
  auto* table = qobject_cast<QTableWidget*>(window->Control(13));
  EXPECT_EQ(edit->text(), QStringLiteral("12.5"));
  EXPECT_TRUE(check->isChecked());
  ASSERT_EQ(box->count(), 2);
  EXPECT_EQ(box->itemText(0), QStringLiteral("a"));
  EXPECT_EQ(box->currentIndex(), 1);
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("1.5"));
  EXPECT_EQ(table->columnWidth(0), 50);
  EXPECT_TRUE(table->horizontalHeader()->sectionsMovable());

  // Widgets -> dialog, with the dialog's notifications.
  edit->selectAll();
  QTest::keyClicks(edit, QStringLiteral("7"));
  EXPECT_EQ(probe.GetDlgItemText(10), u"7");
  QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
  EXPECT_FALSE(probe.IsDlgButtonChecked(11));
  QTest::keyClick(box, Qt::Key_Up);
  EXPECT_EQ(combo.currentIndex(), 0);
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(1, 0)).center());
  EXPECT_EQ(list.GetSelectedItem(), 1);
  table->horizontalHeader()->moveSection(1, 0);  // the user drags "長さ" first
  EXPECT_EQ(list.GetColumnOrderArray(), (std::vector<int>{1, 0}));
  EXPECT_EQ(probe.events, (std::vector<std::string>{"edit 10", "command 11", "sel 12", "list 13"}));

  // The list's custom colour: column 1 of an unselected row is red.
  table->clearSelection();
  const QRect cell = table->visualItemRect(table->item(0, 1));
  const QImage image = table->viewport()->grab().toImage();
  bool red = false;
  for (int x = cell.left(); x < cell.right() && !red; ++x)
    for (int y = cell.top(); y < cell.bottom() && !red; ++y) {
      const QColor c = image.pixelColor(x, y);
      red = c.red() > 180 && c.green() < 80 && c.blue() < 80;
    }
  EXPECT_TRUE(red);

  // A program column order moves the header back.
  list.SetColumnOrderArray({0, 1});
  probe.Touch(13);
  EXPECT_EQ(table->horizontalHeader()->logicalIndex(0), 0);
  probe.DestroyWindow();
  EXPECT_EQ(backend.WindowOf(&probe), nullptr);
  ui::SetBackend(previous);
}

TEST(DialogWindow, EveryTemplateFitsItsWindow) {
  QWidget owner;
  QtDialogBackend backend(&owner);
  ui::DialogBackend* previous = ui::SetBackend(&backend);
  for (const ui::DialogResource& resource : DialogTemplates()) {
    ui::Dialog dialog(resource);
    ASSERT_TRUE(dialog.Create());
    DialogWindow* window = backend.WindowOf(&dialog);
    EXPECT_EQ(window->size(), QSize(window->units().X(resource.width), window->units().Y(resource.height)));
    for (const auto& t : resource.controls) {
      if (t.id < 0) continue;
      const QRect r = window->Control(t.id)->geometry();
      EXPECT_TRUE(window->rect().contains(r)) << resource.id << "/" << t.id;
    }
  }
  ui::SetBackend(previous);
}

TEST(DialogBackend, MessageBoxesAnswerWithTheButtonPressed) {
  QWidget owner;
  QtDialogBackend backend(&owner);
  std::vector<QString> shown;
  const char* press = "yes";
  backend.modalShown = [&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    shown.push_back(QString::number(static_cast<int>(box->icon())) + QLatin1Char(' ') + box->windowTitle());
    QTest::mouseClick(box->findChild<QPushButton*>(QString::fromLatin1(press)), Qt::LeftButton);
  };
  EXPECT_EQ(backend.MessageBox(u"続行？", u"", MB_YESNO), IDYES);
  press = "no";
  EXPECT_EQ(backend.MessageBox(u"続行？", u"", MB_YESNO | MB_ICONQUESTION), IDNO);
  press = "ok";
  EXPECT_EQ(backend.MessageBox(u"完了", u"題", MB_OK | MB_ICONINFORMATION), IDOK);
  EXPECT_EQ(backend.MessageBox(u"失敗", u"", MB_OK | MB_ICONSTOP), IDOK);
  press = "cancel";
  EXPECT_EQ(backend.MessageBox(u"?", u"", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("0 WireBinder"), QStringLiteral("4 WireBinder"),
                                         QStringLiteral("1 題"), QStringLiteral("3 WireBinder"),
                                         QStringLiteral("0 WireBinder")}));
  // Nobody answers: the time limit answers the way that changes nothing.
  backend.modalShown = nullptr;
  backend.set_modalTimeout(50);
  EXPECT_EQ(backend.MessageBox(u"続行？", u"", MB_YESNO), IDNO);
  EXPECT_EQ(backend.timeouts(), 1);
  EXPECT_EQ(QtDialogBackend::FilterList(u"Csv Files (*.csv)|*.csv||"), QStringList{QStringLiteral("Csv Files (*.csv)")});
  EXPECT_EQ(QtDialogBackend::FilterList(u"All|*.*;*.txt|"), QStringList{QStringLiteral("All (*.* *.txt)")});
  // Japanese throughout: the dialog font, and Qt's own button texts.
  EXPECT_EQ(QFontInfo(QFont(QStringLiteral("MS UI Gothic"))).family(), QStringLiteral("Noto Sans CJK JP"));
  QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Save | QMessageBox::Discard);
  EXPECT_EQ(box.button(QMessageBox::Discard)->text(), QStringLiteral("変更を破棄"));
}

}  // namespace
}  // namespace wb::desktop
