// The desktop host on a copy of the sample project: the view driven by
// synthetic mouse and keyboard events, the Qt front end of the module's
// dialogs, and the module clicked through like a user would, with real
// dialog windows, message boxes, the file dialog, picks in the drawing view
// and the annotation drag. Screenshots of the main window and every dialog
// go to <build>/screenshots/.
#include <gtest/gtest.h>

#include <QTest>
#include <QtWidgets>  // the test drives most kinds of widget
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>

#include "hosts/desktop/color_index_dialog.h"
#include "hosts/desktop/dialog_window.h"
#include "hosts/desktop/drag_backend.h"
#include "hosts/desktop/layer_panel.h"
#include "hosts/desktop/main_window.h"
#include "hosts/desktop/module_host.h"
#include "hosts/desktop/paper_dialog.h"
#include "hosts/desktop/prompt_backend.h"
#include "hosts/desktop/properties_panel.h"
#include "hosts/desktop/qt_dialog_backend.h"
#include "marks/draw_mark_dlg.h"
#include "platform/dialogs/message_box.h"
#include "platform/editor/command_queue.h"
#include "platform/editor/document.h"
#include "platform/profile/profile_file.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"
#include "ui/main_dlg.h"

namespace wb::desktop {
namespace {

namespace fs = std::filesystem;
// Screenshots go to <build>/screenshots/; the folder is printed once.
QString ScreenshotDir() {
  static const QString dir = [] {
    QString d = QStringLiteral(WB_BINARY_DIR "/screenshots");
    QDir().mkpath(d);
    std::cout << "screenshots: " << d.toStdString() << std::endl;
    return d;
  }();
  return dir;
}

void Shot(QWidget* widget, const QString& name) {
  QApplication::processEvents();
  const QString path = ScreenshotDir() + QLatin1Char('/') + name;
  EXPECT_TRUE(widget->grab().save(path)) << path.toStdString();
}

void Mouse(QWidget* w, QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent event(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &event);
}

void MoveTo(QWidget* w, QPointF p) { Mouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }

void Click(QWidget* w, QPointF p, Qt::MouseButton button = Qt::LeftButton) {
  Mouse(w, QEvent::MouseButtonPress, p, button, button);
  Mouse(w, QEvent::MouseButtonRelease, p, button, Qt::NoButton);
}

void Drag(QWidget* w, QPointF from, QPointF to, Qt::MouseButton button = Qt::LeftButton) {
  Mouse(w, QEvent::MouseButtonPress, from, button, button);
  Mouse(w, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button);
  Mouse(w, QEvent::MouseMove, to, Qt::NoButton, button);
  Mouse(w, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

// The INSERTs in model space of the blocks whose names start with `prefix`,
// in drawing order.
std::vector<db::ObjectId> InsertsOf(const std::string& prefix) {
  std::vector<db::ObjectId> out;
  const db::Database* d = editor::ActiveDatabase();
  for (db::ObjectId id : d->ModelSpaceEntities())
    if (auto info = d->Insert(id); info && info->blockName.rfind(prefix, 0) == 0) out.push_back(id);
  return out;
}

QString Q(const WString& s) { return QString::fromStdU16String(s); }

template <typename T>
T* ControlOf(DialogWindow* window, int id) {
  return qobject_cast<T*>(window ? window->Control(id) : nullptr);
}

void ClickButton(DialogWindow* window, int id) {
  auto* b = ControlOf<QAbstractButton>(window, id);
  ASSERT_NE(b, nullptr) << "control " << id;
  ASSERT_TRUE(b->isVisible() && b->isEnabled()) << "control " << id;
  QTest::mouseClick(b, Qt::LeftButton);
}

// Clicks the first row whose cell in `column` reads `text`.
bool ClickRow(QTableWidget* list, int column, const QString& text) {
  for (int r = 0; r < list->rowCount(); ++r) {
    if (list->item(r, column) && list->item(r, column)->text() == text) {
      list->scrollToItem(list->item(r, column));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(r, column)).center());
      return true;
    }
  }
  return false;
}

int CountWithColor(int color) {
  const db::Database* d = editor::ActiveDatabase();
  int n = 0;
  for (db::ObjectId id : d->ModelSpaceEntities())
    if (auto c = d->Group(id, 62); c && std::stoi(*c) == color) ++n;
  return n;
}

// The sample's element blocks draw on layer 0 by layer and its scales are
// 1, so marks and annotations would be 2 mm high on a 20 m plan and a route
// would keep its layer's colour. Drawn as the authoring tools draw plants:
// 1:100, block contents by block, so the elements show the colour and
// lineweight set on them.
void DrawAsAPlantAtOneToHundred(db::Database& d) {
  d.SetHeaderValue("$DIMSCALE", 40, "100.0");
  d.SetHeaderValue("$LTSCALE", 40, "100.0");
  std::set<std::string> blocks;
  for (db::ObjectId id : d.ModelSpaceEntities())
    if (auto info = d.Insert(id)) blocks.insert(info->blockName);
  for (const std::string& block : blocks) {
    for (db::ObjectId id : d.BlockEntities(block)) {
      if (d.Layer(id) != "0") continue;  // connection points stay as they are
      d.SetGroup(id, 62, "0");
      d.SetGroup(id, 370, "-2");
    }
  }
}

// The desktop host with the module on a copy of the sample project, its
// configuration the copy's own.
class PlantWindow : public testing::Test {
 protected:
  void SetUp() override {
    // A folder of its own: ctest runs the tests side by side.
    work = fs::path(WB_BINARY_DIR) / "desktop-tests" /
           testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(work);
    fs::create_directories(work);
    fs::copy(fs::path(WB_SOURCE_DIR) / "examples", work, fs::copy_options::recursive);
    for (const char* folder : {"PLANT1/第1設備", "PLANT1/第2設備", "PLANT2"})
      fs::create_directories(work / "projects" / fs::u8path(folder));
    // The session's own configuration: the projects root of the copy.
    const WString env = Utf8ToUtf16((work / "qzenv.ini").string());
    const WString folder = u"/";
    ASSERT_TRUE(profile::WriteString(env, LoadModuleString(101), LoadModuleString(102), &folder, nullptr));
    QzComn_SetEnvFile(env);
    QzComn_SetConfigFile(Utf8ToUtf16((work / "wirebinder.ini").string()));
    QzComn_writeConfig(u"WireBinder", u"ProjectDir", Utf8ToUtf16((work / "projects").string() + "/"), u"");
    QzComn_writeConfig(u"WireBinder", u"ShowOptionButton", u"ON", u"");
    QzComn_writeConfig(u"WireBinder", u"CONFIRM_LINEWEIGHT", u"70", u"");

    window = std::make_unique<MainWindow>();
    window->showError = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };  // not a modal box
    host = std::make_unique<ModuleHost>(*window);
    host->SetTimeouts(20000);  // a missed step fails instead of hanging
    window->resize(1280, 860);
    window->show();
    ASSERT_TRUE(window->OpenDrawing(QString::fromStdString((work / "plant.dxf").string())));
    view = window->view();
    QApplication::processEvents();
  }

  void TearDown() override {
    EXPECT_EQ(host->dialogs().timeouts(), 0);
    host.reset();
    window->askUnsaved = [](const QString&) { return QMessageBox::Discard; };
    window.reset();
    editor::SetActiveDatabase(nullptr);
    QzComn_SetConfigFile(u"");
    QzComn_SetEnvFile(u"");
  }

  void RunCommandTyped(const QString& name) {
    window->commandLine()->input()->setText(name);
    window->commandLine()->Submit();
  }

  fs::path work;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<ModuleHost> host;
  DrawingView* view = nullptr;
};

class ModuleSession : public PlantWindow {
 protected:
  void SetUp() override {
    PlantWindow::SetUp();
    host->dialogs().modalShown = [this](QWidget* w) { Answer(w); };
    DrawAsAPlantAtOneToHundred(*editor::ActiveDatabase());
    window->DrawingChanged();
  }
  void TearDown() override {
    EXPECT_TRUE(answers.empty()) << answers.size() << " expected windows never opened";
    PlantWindow::TearDown();
  }

  // Each modal window that opens is answered by the next of these.
  void Expect(std::function<void(QWidget*)> answer) { answers.push_back(std::move(answer)); }
  void Answer(QWidget* w) {
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected window " << w->objectName().toStdString() << ": "
                    << w->windowTitle().toStdString();
      if (auto* box = qobject_cast<QMessageBox*>(w)) ADD_FAILURE() << box->text().toStdString();
      QMetaObject::invokeMethod(w, "reject");
      return;
    }
    auto answer = std::move(answers.front());
    answers.pop_front();
    answer(w);
  }
  // A message box with this module message (its %s filled in): screenshot,
  // then a button.
  void ExpectMessage(int id, const char* button, const QString& shot = {}, const QString& arg = {}) {
    Expect([=, this](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      ASSERT_NE(box, nullptr) << "expected message " << id << ", got " << w->objectName().toStdString();
      EXPECT_EQ(box->text(), Q(LoadModuleString(id)).replace(QStringLiteral("%s"), arg));
      if (!shot.isEmpty()) Shot(box, shot);
      auto* b = box->findChild<QPushButton*>(QString::fromLatin1(button));
      ASSERT_NE(b, nullptr) << button;
      QTest::mouseClick(b, Qt::LeftButton);
    });
  }
  DialogWindow* Main() { return host->dialogs().WindowOf(IDD_MAIN); }
  QTableWidget* List() { return ControlOf<QTableWidget>(Main(), IDC_CABLELIST); }

  bool Idle() const { return !host->running() && !editor::CommandStack::Instance().HasQueued(); }

  // The session is a list of steps, each waiting for its condition and then
  // acting. A timer runs them, so they go on inside the nested loops of
  // prompts, drags and modal windows just as a user's clicks do.
  struct Step {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
  };
  void Then(std::string what, std::function<bool()> ready, std::function<void()> act = [] {}) {
    steps.push_back({std::move(what), std::move(ready), std::move(act)});
  }
  void Do(std::string what, std::function<void()> act) { Then(std::move(what), [] { return true; }, std::move(act)); }
  void Fail(const std::string& why) {
    ADD_FAILURE() << why;
    steps.clear();
    failed = true;
    host->prompts().Interrupt();
    host->drags().Interrupt();
  }
  void RunSteps(int stepTimeoutMs = 15000) {
    QTimer timer;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (steps.empty()) return;
      if (!steps.front().ready()) {
        if (clock.elapsed() > stepTimeoutMs) Fail("step timed out: " + steps.front().what);
        return;
      }
      Step step = std::move(steps.front());
      steps.pop_front();
      std::cout << "step: " << step.what << std::endl;
      clock.restart();
      step.act();  // may open nested loops; later steps run inside them
    });
    timer.start(5);
    QElapsedTimer total;
    total.start();
    while (!(steps.empty() && Idle()) && !failed && total.elapsed() < 600000) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
      QThread::msleep(2);
    }
    EXPECT_TRUE(steps.empty()) << "left at: " << (steps.empty() ? "" : steps.front().what);
  }

  std::deque<std::function<void(QWidget*)>> answers;
  std::deque<Step> steps;
  bool failed = false;
};

TEST_F(ModuleSession, LoadMarkAssignConfirmAndAnnotate) {
  auto waiting = [this] { return host->prompts().waiting(); };
  auto idle = [this] { return Idle(); };
  const std::string kWireLayer = "ケーブルラック";
  auto lockCell = [&] {
    return window->layers()->table()->item(window->layers()->RowOf(QString::fromStdString(kWireLayer)), LayerPanel::kLocked);
  };

  // QZ_WireBinder from the command line opens the main dialog.
  Do("type QZ_WireBinder", [this] { RunCommandTyped(QStringLiteral("QZ_WireBinder")); });
  Then("main dialog", [this] { return Main() && Main()->isVisible(); }, [this] {
    EXPECT_EQ(Main()->windowTitle(), QStringLiteral("ケーブル情報設定"));
    EXPECT_FALSE(ControlOf<QPushButton>(Main(), IDC_BACK)->isVisibleTo(Main()));
    EXPECT_EQ(List()->columnCount(), 7);
    Shot(Main(), QStringLiteral("main_dialog_empty.png"));
  });

  // 読込み: the project dialog, its two combo boxes, OK; the file dialog;
  // the start-row dialog; the message that the list was read.
  Do("load", [this] {
    Expect([this](QWidget* w) {
      auto* d = qobject_cast<DialogWindow*>(w);
      ASSERT_TRUE(d && d->templateId() == IDD_PROJECT);
      auto* plant = ControlOf<QComboBox>(d, IDC_PLANT_LIST);
      auto* facility = ControlOf<QComboBox>(d, IDC_FACILITY_LIST);
      ASSERT_TRUE(plant && facility && plant->isVisible() && facility->isVisible());
      EXPECT_FALSE(ControlOf<QComboBox>(d, IDC_PLANT_EDIT)->isVisible());
      ASSERT_EQ(plant->count(), 2);
      QTest::keyClick(plant, Qt::Key_Down);  // PLANT2 has no facility
      EXPECT_EQ(facility->count(), 0);
      QTest::keyClick(plant, Qt::Key_Up);
      EXPECT_EQ(plant->currentText(), QStringLiteral("PLANT1"));
      ASSERT_EQ(facility->count(), 2);
      QTest::keyClick(facility, Qt::Key_Down);
      QTest::keyClick(facility, Qt::Key_Up);
      EXPECT_EQ(facility->currentText(), QStringLiteral("第1設備"));
      EXPECT_EQ(d->dialog()->Item(IDC_FACILITY_LIST).currentIndex(), 0);
      Shot(d, QStringLiteral("project_dialog.png"));
      ClickButton(d, IDOK);
    });
    Expect([this](QWidget* w) {
      auto* files = qobject_cast<QFileDialog*>(w);
      ASSERT_NE(files, nullptr);
      Shot(files, QStringLiteral("file_dialog.png"));
      auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr);
      name->setText(QString::fromStdString((work / "cables.csv").string()));
      QTest::keyClick(name, Qt::Key_Return);
    });
    Expect([](QWidget* w) {
      auto* d = qobject_cast<DialogWindow*>(w);
      ASSERT_TRUE(d && d->templateId() == IDD_STARTROW);
      auto* edit = ControlOf<QLineEdit>(d, IDC_STARTROW);
      ASSERT_NE(edit, nullptr);
      EXPECT_EQ(edit->text(), QStringLiteral("3")) << "from the definition file";
      Shot(d, QStringLiteral("start_row_dialog.png"));
      edit->selectAll();
      QTest::keyClicks(edit, QStringLiteral("3"));
      ClickButton(d, IDOK);
    });
    ExpectMessage(111, "ok", QStringLiteral("message_loaded.png"));
    ClickButton(Main(), IDC_LOAD);
  });
  Then("project loaded", [this] { return answers.empty(); }, [this] {
    if (!g_pMainDlg || !g_pMainDlg->ProjectLoaded()) return Fail("no project loaded");
    EXPECT_EQ(Main()->windowTitle(), QStringLiteral("第1設備 - ケーブル情報設定"));
    EXPECT_EQ(List()->rowCount(), static_cast<int>(g_pMainDlg->m_cableList.rows.size()));
    if (List()->rowCount() < 7) return Fail("too few rows");
    EXPECT_EQ(List()->item(0, 0)->text(), QStringLiteral("C-001"));
    EXPECT_EQ(List()->item(0, 1)->text(), Q(g_pMainDlg->m_cableList.rows[0].size));
    const QString fromSubNo = List()->horizontalHeaderItem(3)->text();
    EXPECT_GE(List()->columnWidth(3), List()->horizontalHeader()->fontMetrics().horizontalAdvance(fromSubNo))
        << "heading " << fromSubNo.toStdString() << " cut";
    Shot(Main(), QStringLiteral("main_dialog_loaded.png"));
    // Where the user moved it (the window manager, not the program), the
    // main dialog is shown again after the mark dialog.
    Main()->move(420, 160);
    Main()->setAttribute(Qt::WA_Moved, false);
    // 記号設定: the mark dialog replaces the main dialog (one list of
    // marks by default), at the view's corner wherever the window went
    // since the last command.
    window->move(window->pos() + QPoint(31, 17));
    ClickButton(Main(), IDC_DRAWMARK);
  });

  // CP1 goes on the unmarked control panel at (-3000, 0) by a pick.
  DialogWindow* marks = nullptr;
  Then("mark dialog", [&] { return (marks = host->dialogs().WindowOf(IDD_DRAWMARK)) && marks->isVisible(); }, [&] {
    EXPECT_FALSE(Main()->isVisible());
    EXPECT_EQ(marks->pos(), view->mapToGlobal(QPoint(0, 0)));
    auto* markList = ControlOf<QTableWidget>(marks, IDC_FROMLIST);
    EXPECT_FALSE(ControlOf<QTableWidget>(marks, IDC_TOLIST)->isVisible());
    // One list: half the template's outer width and 10 pixels, same height,
    // and the list and both buttons still inside.
    const ui::DialogResource& tmpl = DialogTemplate(IDD_DRAWMARK);
    const QSize frame = marks->FrameMargins();
    EXPECT_EQ(marks->width() + frame.width(), (marks->units().X(tmpl.width) + frame.width()) / 2 + 10);
    EXPECT_EQ(marks->height(), marks->units().Y(tmpl.height));
    for (int id : {static_cast<int>(IDC_FROMLIST), ui::IDOK, ui::IDCANCEL})
      EXPECT_TRUE(marks->rect().contains(marks->Control(id)->geometry())) << id;
    if (!ClickRow(markList, 0, QStringLiteral("CP1"))) return Fail("no CP1 in the mark list");
    EXPECT_EQ(markList->item(g_pDrawMarkDlg->m_fromList.GetSelectedItem(), 0)->text(), QStringLiteral("CP1"));
    Shot(marks, QStringLiteral("mark_dialog.png"));
    ClickButton(marks, IDOK);
  });
  const auto panel = InsertsOf("KK-CP");
  ASSERT_EQ(panel.size(), 1u);
  Then("equipment prompt", waiting, [this] {
    EXPECT_EQ(view->pickMode(), PickMode::kEntity);
    // The panel's outline: 400 to the right of its insertion point.
    Click(view, view->ToScreen({-2600, 0}));
  });
  Then("mark placed", idle, [&] {
    EXPECT_EQ(CAttributeData::GetValueAttID(panel[0], u"CB01"), u"CP1");
    EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("記号 CP1 1 を配置しました")));
    Shot(window.get(), QStringLiteral("main_window_marked.png"));
    ClickButton(marks, IDCANCEL);
  });

  // 設定: Yes to the question; the lengths come back into the list in red.
  std::string unassigned, assigned;
  Then("main dialog again", [this] { return Main()->isVisible(); }, [&] {
    EXPECT_EQ(Main()->pos(), QPoint(420, 160));
    unassigned = editor::ActiveDatabase()->SaveToString();
    ExpectMessage(129, "yes", QStringLiteral("message_assign_question.png"));
    ExpectMessage(134, "ok", QStringLiteral("message_assign_done.png"));
    ClickButton(Main(), IDC_SETCABLE);
  });
  // 確認: the first row's route in the confirmation colour and lineweight
  // until Enter; clicks in between do not end it.
  const int color = g_cableSetting.confirmColor;
  int before = 0;
  Then("assigned", [&] { return answers.empty() && Idle(); }, [&] {
    if (!g_pMainDlg->m_cableList.rows[0].hasLength) return Fail("no length for the first row");
    EXPECT_EQ(List()->item(0, 6)->text(), QString::asprintf("%.1f", g_pMainDlg->m_cableList.rows[0].length));
    EXPECT_EQ(g_pMainDlg->ListTextColor(IDC_CABLELIST, 0, 6), ui::Rgb(255, 0, 0));
    Shot(Main(), QStringLiteral("main_dialog_assigned.png"));
    // Ctrl+Z with the main dialog focused takes the whole assignment back,
    // byte for byte; the lengths in the list are the module's and stay.
    assigned = editor::ActiveDatabase()->SaveToString();
    QApplication::setActiveWindow(Main());
    QTest::keyClick(List(), Qt::Key_Z, Qt::ControlModifier);
  });
  Then("undone", idle, [&] {
    EXPECT_TRUE(editor::ActiveDatabase()->SaveToString() == unassigned);
    EXPECT_TRUE(g_pMainDlg->m_cableList.rows[0].hasLength);
    RunCommandTyped(QStringLiteral("REDO"));
  });
  Then("redone", idle, [&] {
    EXPECT_TRUE(editor::ActiveDatabase()->SaveToString() == assigned);
    // The properties panel of a routed wire: one row per cable on it.
    Click(view, view->ToScreen({1500, 0}));
    PropertiesPanel* properties = window->properties();
    ASSERT_EQ(view->selection().size(), 1u);
    const db::ObjectId wire = view->selection()[0];
    const auto numbers = Split(CAttributeData::GetValueAttID(wire, u"CB08"), u",");
    ASSERT_EQ(properties->cables()->rowCount(), static_cast<int>(numbers.size()));
    for (int row = 0; row < properties->cables()->rowCount(); ++row)
      EXPECT_EQ(properties->cables()->item(row, 0)->text(), Q(numbers[static_cast<size_t>(row)]));
    Shot(properties->parentWidget(), QStringLiteral("properties_panel.png"));
    RunCommandTyped(QStringLiteral("LIST"));
  });
  int completed = 0;
  Then("listed", idle, [&] {
    EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("ケーブル (%1 本)").arg(window->properties()->cables()->rowCount())));
    completed = host->completed();
    RunCommandTyped(QStringLiteral("QZ_BackCable"));
  });
  // The module's commands but QZ_WireBinder keep no history: Enter still
  // repeats LIST.
  Then("QZ_BackCable ran", [&] { return host->completed() > completed && Idle(); }, [&] {
    EXPECT_EQ(window->commandLine()->lastCommand(), QStringLiteral("LIST"));
    view->ClearSelection();
    before = CountWithColor(g_cableSetting.confirmColor);
    if (!ClickRow(List(), 0, QStringLiteral("C-001"))) return Fail("no C-001 row");
    EXPECT_EQ(g_pMainDlg->m_list.GetSelectedItem(), 0);
    ClickButton(Main(), IDC_CONFIRM);
  });
  Then("confirmation prompt", waiting, [&] {
    EXPECT_GT(CountWithColor(g_cableSetting.confirmColor), before + 2);
    EXPECT_TRUE(view->lineWeightDisplay());
    EXPECT_TRUE(ControlOf<QPushButton>(Main(), IDC_BACK)->isVisible());
    EXPECT_FALSE(ControlOf<QPushButton>(Main(), IDC_CONFIRM)->isVisible());
    Shot(window.get(), QStringLiteral("main_window_route_confirmation.png"));
    Shot(Main(), QStringLiteral("main_dialog_confirming.png"));
    Click(view, view->ToScreen({1000, 5000}));
  });
  Then("asked again after a click", waiting, [this] {
    EXPECT_TRUE(host->running());
    QTest::keyClick(view, Qt::Key_Return);
  });
  Then("confirmation over", idle, [&] {
    EXPECT_EQ(CountWithColor(color), before);
    EXPECT_FALSE(view->lineWeightDisplay());
    EXPECT_TRUE(ControlOf<QPushButton>(Main(), IDC_CONFIRM)->isVisible());
    // The wire's layer locked in the layer panel: 記入 refuses the wire
    // (message 155) and asks again until the panel unlocks it; then the
    // wire right of the MCC is picked, two clicks place the leader end and
    // the frame, and Esc ends the repeated command.
    lockCell()->setCheckState(Qt::Checked);
    window->layers()->parentWidget()->raise();
    Shot(window->layers()->parentWidget(), QStringLiteral("layer_panel.png"));
    ClickButton(Main(), IDC_DRAWINFO);
  });
  Then("wire prompt on a locked layer", [&] { return waiting() && editor::ActiveDatabase()->IsLayerLocked(kWireLayer); }, [&] {
    ExpectMessage(155, "ok", {}, QString::fromStdString(kWireLayer));
    Click(view, view->ToScreen({1500, 0}));
  });
  Then("asked again", [&] { return answers.empty() && waiting(); }, [&] { lockCell()->setCheckState(Qt::Unchecked); });
  size_t notesBefore = InsertsOf("MWNT").size();
  const QPointF leaderEnd = view->ToScreen({2500, 2500});
  const QPointF frameSide = view->ToScreen({4000, 2500});
  Then("wire prompt, layer unlocked", [&] { return waiting() && !editor::ActiveDatabase()->IsLayerLocked(kWireLayer); },
       [this] { Click(view, view->ToScreen({1500, 0})); });
  Then("drag", [this] { return host->drags().active(); }, [&] {
    MoveTo(view, view->ToScreen({2000, 1500}));
    MoveTo(view, leaderEnd);
  });
  Then("leader follows", [this] { return host->drags().frames() >= 2; }, [&] {
    Shot(window.get(), QStringLiteral("main_window_annotation_leader.png"));
    Click(view, leaderEnd);
    MoveTo(view, frameSide);
  });
  Then("frame follows", [this] { return host->drags().frames() >= 4; }, [&] {
    Shot(window.get(), QStringLiteral("main_window_annotation_frame.png"));
    Click(view, frameSide);
  });
  Then("next wire prompt", [this] { return !host->drags().active() && host->prompts().waiting(); }, [&] {
    EXPECT_EQ(InsertsOf("MWNT").size(), notesBefore + 1);
    EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("注記 MWNT")));
    QTest::keyClick(view, Qt::Key_Escape);
  });

  // 詳細設定 with its two colour buttons, and the colour dialog.
  Then("annotation over", idle, [this] {
    Shot(window.get(), QStringLiteral("main_window_annotated.png"));
    Expect([](QWidget* w) {
      auto* d = qobject_cast<DialogWindow*>(w);
      ASSERT_TRUE(d && d->templateId() == IDD_OPTION);
      Shot(d, QStringLiteral("option_dialog.png"));
      ClickButton(d, IDC_OPT_CONFIRMCOLOR);
      // The swatch now shows green (index 3), framed: white top-left edge,
      // black bottom-right edge, no focus rectangle.
      const QImage button = d->Control(IDC_OPT_CONFIRMCOLOR)->grab().toImage();
      const int w = button.width(), h = button.height();
      EXPECT_EQ(button.pixelColor(w / 2, h / 2), QColor(0, 255, 0));
      EXPECT_EQ(button.pixelColor(w / 2, 0), QColor(255, 255, 255));
      EXPECT_EQ(button.pixelColor(w / 2, h - 1), QColor(0, 0, 0));
      EXPECT_EQ(button.pixelColor(w - 1, h / 2), QColor(0, 0, 0));
      Shot(d, QStringLiteral("option_dialog_green.png"));
      ClickButton(d, IDCANCEL);
    });
    Expect([](QWidget* w) {
      auto* colors = qobject_cast<ColorIndexDialog*>(w);
      ASSERT_NE(colors, nullptr);
      Shot(colors, QStringLiteral("color_dialog.png"));
      EXPECT_EQ(colors->chosen(), 1) << "the confirmation colour so far";
      QTest::mouseClick(colors->SwatchOf(3), Qt::LeftButton);
      EXPECT_EQ(colors->chosen(), 3);
      QTest::mouseClick(colors->findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
    });
    ClickButton(Main(), IDC_OPTION);
  });
  Then("settings closed", [this] { return answers.empty(); });

  // 経路図出力 (portrait, three rows) and 印刷 (the view as a PNG).
  const QString sheets = QString::fromStdString((work / "routes.pdf").string());
  const QString plot = ScreenshotDir() + QStringLiteral("/plot_view.png");
  Then("paper", idle, [&] {
    for (auto mode : {PaperDialog::Mode::kPlot, PaperDialog::Mode::kSheets}) {
      PaperDialog dialog(mode, window->PaperPath(QStringLiteral(".pdf")), window.get());
      dialog.show();
      Shot(&dialog, mode == PaperDialog::Mode::kPlot ? QStringLiteral("paper_dialog_plot.png")
                                                     : QStringLiteral("paper_dialog_sheets.png"));
    }
    window->askPaper = [&](PaperDialog::Mode mode, const QString& suggested) {
      EXPECT_TRUE(suggested.endsWith(mode == PaperDialog::Mode::kPlot ? QStringLiteral("plant.pdf")
                                                                     : QStringLiteral("plant_経路図.pdf")));
      PaperChoice choice;
      choice.path = mode == PaperDialog::Mode::kPlot ? plot : sheets;
      choice.setup.landscape = mode == PaperDialog::Mode::kPlot;
      choice.rows = QStringLiteral("1-3");
      return std::optional<PaperChoice>(choice);
    };
    window->findChild<QAction*>(QStringLiteral("routeSheetsAction"))->trigger();
    window->Print();
  });
  Then("on paper", idle, [&] {
    EXPECT_EQ(QImage(plot).size(), QSize(2339, 1654)) << "A4 landscape at 200 dpi";
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                                                 QStringLiteral("-f"), QStringLiteral("2"), QStringLiteral("-l"),
                                                 QStringLiteral("2"), QStringLiteral("-singlefile"), sheets,
                                                 ScreenshotDir() + QStringLiteral("/sheets_portrait")});
    EXPECT_TRUE(pdftoppm.waitForFinished(20000) && pdftoppm.exitCode() == 0) << "no second page";
    EXPECT_EQ(QImage(ScreenshotDir() + QStringLiteral("/sheets_portrait.png")).size(), QSize(496, 702));
  });
  RunSteps();
}

// The view on its own: picks, selections, zoom, the command line and
// unsaved changes.
class DesktopHost : public PlantWindow {
 protected:
  void SetUp() override {
    PlantWindow::SetUp();
    // The view alone beside the command line: picks here are a few pixels
    // from their neighbours at the zoom of that width.
    for (QDockWidget* dock : window->findChildren<QDockWidget*>())
      if (dock->objectName() != QLatin1String("commandLine")) dock->hide();
    QApplication::processEvents();
    window->askUnsaved = [this](const QString& text) {
      questions << text;
      return answer;
    };
    window->showError = [this](const QString& text) { errors << text; };
  }

  QStringList questions, errors;
  QMessageBox::StandardButton answer = QMessageBox::Cancel;
};

TEST_F(DesktopHost, ZoomExtentsAndPickEquipmentByClicking) {
  const auto mcc = InsertsOf("KK-MCC");
  ASSERT_EQ(mcc.size(), 1u);
  // Zoomed to extents, the whole drawing is on screen.
  const Box visible = view->transform().VisibleBox();
  EXPECT_TRUE(visible.Contains(view->displayList().extents()));
  EXPECT_GT(view->displayList().extents().width(), 20000);
  // Still fitted after the window changes size.
  window->resize(900, 700);
  QApplication::processEvents();
  EXPECT_TRUE(view->transform().VisibleBox().Contains(view->displayList().extents()));
  EXPECT_EQ(view->transform().width(), view->width());
  EXPECT_LE(view->width(), 900);

  // Click on the right edge of the MCC's outline (block box +-400 x +-300).
  const QPointF edge = view->ToScreen({400, 100});
  Click(view, edge);
  EXPECT_EQ(view->selection(), mcc);
  Shot(window.get(), QStringLiteral("plant_selected.png"));
  Click(view, view->ToScreen({1500, 2000}));  // empty space clears
  EXPECT_TRUE(view->selection().empty());

  // Esc ends a prompt's pick as cancelled.
  PickResult got;
  view->BeginPick(PickMode::kEntity, [&](const PickResult& r) { got = r; });
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(view, &esc);
  EXPECT_TRUE(got.cancelled);
}

TEST_F(DesktopHost, WindowAndCrossingSelectionWithXDataFilter) {
  // The pump at (6000, 6000): its outline is 800 x 600, the tray RT-0009
  // runs up to it from (6000, 3000), its label sits above it.
  const auto pumps = InsertsOf("KK-PUMP");
  const auto tray = InsertsOf("RT-0009");
  ASSERT_EQ(tray.size(), 1u);
  const db::ObjectId pump = pumps[0];
  view->ZoomAbout(view->ToScreen({6000, 6000}), 3);
  const QPointF lowerLeft = view->ToScreen({5500, 5600}), upperRight = view->ToScreen({6500, 6800});

  Drag(view, QPointF(lowerLeft.x(), upperRight.y()), QPointF(upperRight.x(), lowerLeft.y()));
  const auto inside = view->selection();
  ASSERT_EQ(inside.size(), 2u);  // pump and label, not the tray
  EXPECT_EQ(inside[0], pump);
  EXPECT_EQ(editor::ActiveDatabase()->EntityType(inside[1]), "TEXT");
  Shot(window.get(), QStringLiteral("plant_window.png"));

  view->ClearSelection();

  // A crossing selection prompt with the tag filter takes the tray and
  // leaves the label out; Enter ends it.
  PickResult got;
  view->BeginPick(PickMode::kSelection, [&](const PickResult& r) { got = r; },
                  XDataFilter(*editor::ActiveDatabase(), {"QZ_LINK"}));
  Drag(view, QPointF(upperRight.x(), lowerLeft.y()), QPointF(lowerLeft.x(), upperRight.y()));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(view, &enter);
  EXPECT_FALSE(got.cancelled);
  EXPECT_EQ(got.selection.size(), 2u);
  EXPECT_NE(std::find(got.selection.begin(), got.selection.end(), tray[0]), got.selection.end());
  EXPECT_TRUE(view->selection().empty());  // the prompt's set is its own
}

TEST_F(DesktopHost, WheelZoomsAboutTheCursorAndMiddleButtonPans) {
  const QPointF cursor(300, 200);
  const Vec2 before = view->ToWorld(cursor);
  const double scale = view->transform().scale();
  QWheelEvent wheel(cursor, view->mapToGlobal(cursor), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(view, &wheel);
  EXPECT_GT(view->transform().scale(), scale * 1.4);
  EXPECT_NEAR(view->ToWorld(cursor).x, before.x, 1e-6);
  EXPECT_NEAR(view->ToWorld(cursor).y, before.y, 1e-6);

  Drag(view, cursor, cursor + QPointF(100, 50), Qt::MiddleButton);
  EXPECT_NEAR(view->ToWorld(cursor + QPointF(100, 50)).x, before.x, 1e-6);
  EXPECT_NEAR(view->ToWorld(cursor + QPointF(100, 50)).y, before.y, 1e-6);
  EXPECT_TRUE(view->selection().empty());  // the middle button never selects

  // ZOOM W: the window between two clicks fills the view; ZOOM P goes back.
  const double panned = view->transform().scale();
  const Vec2 a = view->ToWorld({100, 100}), b = view->ToWorld({300, 200});
  window->RunCommand(QStringLiteral("ZOOM W"));
  Click(view, {100, 100});
  Click(view, {300, 200});
  EXPECT_TRUE(view->transform().VisibleBox().Contains(Box::Of(a, b)));
  EXPECT_GT(view->transform().scale(), panned * 2);
  EXPECT_TRUE(view->selection().empty());  // the clicks belonged to the zoom
  window->RunCommand(QStringLiteral("ZOOM P"));
  EXPECT_DOUBLE_EQ(view->transform().scale(), panned);
}

TEST_F(DesktopHost, UnsavedChangesAreNeverLostSilently) {
  db::Database* d = editor::ActiveDatabase();
  EXPECT_FALSE(window->IsModified());
  const auto all = d->ModelSpaceEntities();
  const db::ObjectId label =
      *std::find_if(all.begin(), all.end(), [&](auto id) { return d->EntityType(id) == "TEXT"; });
  d->SetGroup(label, 1, "MCC1-\xE6\x94\xB9");  // "改"
  window->DrawingChanged();
  EXPECT_TRUE(window->IsModified());
  EXPECT_TRUE(window->isWindowModified());

  // Cancel keeps the drawing; a bad file leaves it in place too.
  answer = QMessageBox::Cancel;
  EXPECT_FALSE(window->OpenDrawing(QString::fromStdString((work / "plant.dxf").string())));
  EXPECT_EQ(questions.size(), 1);
  EXPECT_EQ(editor::ActiveDatabase(), d);

  const std::string bad = work / "bad.dxf";
  std::ofstream(bad) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n";
  answer = QMessageBox::Discard;
  EXPECT_FALSE(window->OpenDrawing(QString::fromStdString(bad)));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains(QString::fromStdString(bad))) << errors[0].toStdString();
  EXPECT_EQ(editor::ActiveDatabase(), d);
  EXPECT_TRUE(window->IsModified());
  EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("bad.dxf")));

  // Save As writes the copy and makes it the working file.
  const std::string copy = work / "copy.dxf";
  ASSERT_TRUE(window->SaveAs(QString::fromStdString(copy)));
  EXPECT_FALSE(window->IsModified());
  EXPECT_EQ(editor::ActiveDatabase()->FileName(), copy);
  db::Error error;
  auto reread = db::Database::Open(copy, &error);
  ASSERT_NE(reread, nullptr) << error.ToString();
  EXPECT_EQ(reread->Group(label, 1), "MCC1-\xE6\x94\xB9");

  // Closing with changes asks; Cancel keeps the window open.
  editor::ActiveDatabase()->SetGroup(label, 1, "again");
  answer = QMessageBox::Cancel;
  const int asked = static_cast<int>(questions.size());
  EXPECT_FALSE(window->close());
  EXPECT_EQ(questions.size(), asked + 1);
}

TEST_F(DesktopHost, CommandLineAndProgressMeter) {
  QStringList typed;
  window->SetCommandHandler([&](const QString& text) {
    typed << text;
    return text.startsWith(QStringLiteral("QZ_"));
  });
  RunCommandTyped(QStringLiteral("ZOOM E"));
  RunCommandTyped(QStringLiteral("QZ_WireBinder"));
  RunCommandTyped(QStringLiteral("nonsense"));
  EXPECT_EQ(typed, (QStringList{QStringLiteral("QZ_WireBinder"), QStringLiteral("nonsense")}));
  EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("コマンド: QZ_WireBinder\n")));
  EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("コマンド \"NONSENSE\" はありません。")));
  // Up brings a line back; Enter on an empty line repeats the last command
  // the window ran (what the handler took is the handler's to record, an
  // unknown word nobody's); keys typed in the view go to the command line.
  QLineEdit* input = window->commandLine()->input();
  QTest::keyClick(input, Qt::Key_Up);
  QTest::keyClick(input, Qt::Key_Up);
  EXPECT_EQ(input->text(), QStringLiteral("QZ_WireBinder"));
  input->clear();
  window->commandLine()->Submit();
  QTest::keyClicks(view, QStringLiteral("qz"));
  EXPECT_EQ(input->text(), QStringLiteral("qz"));
  EXPECT_EQ(window->commandLine()->lastCommand(), QStringLiteral("ZOOM E"));
  EXPECT_EQ(typed.size(), 2);
  // A line the module left open is ended before the window's own.
  acutPrintf(u"\nopen");
  window->RunViewCommand(QStringLiteral("ZOOM Q"));
  EXPECT_TRUE(window->commandLine()->output().endsWith(QStringLiteral("\nopen\nズームのオプションは E、W、P、nX です。\n")));

  acutPrintf(u"\n%s: %d\n", u"\u30b1\u30fc\u30d6\u30eb", 12);
  EXPECT_TRUE(window->commandLine()->output().endsWith(QString::fromUtf8("\xE3\x82\xB1\xE3\x83\xBC\xE3\x83\x96\xE3\x83\xAB: 12\n")));

  acedSetStatusBarProgressMeter(u"\u8a2d\u5b9a\u4e2d", 0, 40);
  acedSetStatusBarProgressMeterPos(25);
  QProgressBar* bar = window->output()->progressBar();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->maximum(), 40);
  EXPECT_EQ(bar->value(), 25);
  EXPECT_EQ(window->output()->progressLabel()->text(), QString::fromUtf8("\xE8\xA8\xAD\xE5\xAE\x9A\xE4\xB8\xAD"));
  Shot(window.get(), QStringLiteral("plant_progress.png"));
  acedRestoreStatusBar();
  EXPECT_FALSE(bar->isVisible());
}

// Curves, aligned texts and lineweights on a drawing of their own.
TEST_F(DesktopHost, CurvesTextsAndLineweights) {
  auto d = db::Database::CreateEmpty();
  d->CreateLayer("THICK", 1);
  d->SetGroup(d->LayerId("THICK"), 370, "100");
  auto add = [&](const char* type, const char* layer, std::vector<db::Tag> tags) {
    d->AddEntity("", type, layer, std::move(tags));
  };
  add("CIRCLE", "THICK", {{10, "0"}, {20, "0"}, {30, "0"}, {40, "50"}});
  add("ARC", "0", {{10, "150"}, {20, "0"}, {30, "0"}, {40, "50"}, {50, "0"}, {51, "180"}, {62, "2"}});
  add("ELLIPSE", "0", {{10, "300"}, {20, "0"}, {30, "0"}, {11, "60"}, {21, "0"}, {31, "0"}, {40, "0.5"},
                       {41, "0"}, {42, "6.283185307179586"}, {62, "6"}});
  add("LWPOLYLINE", "THICK", {{90, "3"}, {70, "0"}, {10, "-50"}, {20, "-100"}, {42, "-0.5"}, {10, "50"},
                              {20, "-100"}, {10, "350"}, {20, "-100"}});
  add("TEXT", "0", {{10, "150"}, {20, "80"}, {30, "0"}, {40, "15"}, {1, "CENTRE \xE4\xB8\xAD\xE5\xA4\xAE"},
                    {72, "1"}, {11, "150"}, {21, "80"}, {31, "0"}, {62, "3"}});
  add("TEXT", "0", {{10, "350"}, {20, "-140"}, {30, "0"}, {40, "10"}, {41, "0.6"}, {1, "RIGHT narrow"},
                    {72, "2"}, {11, "350"}, {21, "-140"}, {31, "0"}});
  add("MTEXT", "0", {{10, "-50"}, {20, "120"}, {30, "0"}, {40, "10"}, {71, "1"},
                     {1, "{\\fArial;Line one}\\PLine two \\S1/2;"}});
  const std::string path = work / "curves.dxf";
  db::Error error;
  ASSERT_TRUE(d->Save(path, &error)) << error.ToString();
  ASSERT_TRUE(window->OpenDrawing(QString::fromStdString(path)));

  auto inked = [&] {
    QImage image = view->RenderImage(QSize(800, 500));
    const QRgb background = image.pixel(0, 0);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) != background;
    return count;
  };
  const int thin = inked();
  view->SetLineWeightDisplay(true);
  const int thick = inked();
  EXPECT_GT(thick, thin * 12 / 10);  // 1 mm is about 4 pixels
  Shot(window.get(), QStringLiteral("curves_lineweights.png"));
}

// The prompt endings: a typed point, Enter, Esc, a command queued meanwhile.
TEST_F(DesktopHost, PromptsEndOnATypedPointEnterEscOrACommand) {
  CommandLine* line = window->commandLine();
  auto type = [&](const QString& text) {
    QTimer::singleShot(0, [line, text] {
      line->input()->setText(text);
      line->Submit();
    });
  };
  AcGePoint3d p;
  type(QStringLiteral("120.5, -3"));
  EXPECT_EQ(acedGetPoint(nullptr, u"点を指定:\n", p), RTNORM);
  EXPECT_DOUBLE_EQ(p.x, 120.5);
  EXPECT_DOUBLE_EQ(p.y, -3);
  type(QString());
  EXPECT_EQ(acedGetPoint(nullptr, u"点:", p), RTNONE);
  QTimer::singleShot(0, [this] { QTest::keyClick(view, Qt::Key_Escape); });
  EXPECT_EQ(acedGetPoint(nullptr, u"点:", p), RTCAN);
  // A module command typed while the prompt waits ends it and runs later.
  type(QStringLiteral("QZ_BackCable"));
  EXPECT_EQ(acedGetPoint(nullptr, u"点:", p), RTCAN);
  EXPECT_EQ(host->completed(), 0);
  QApplication::processEvents();
  EXPECT_EQ(host->completed(), 1);
  // Something else typed is refused and the prompt goes on.
  type(QStringLiteral("nonsense"));
  type(QStringLiteral("1,2"));
  EXPECT_EQ(acedGetPoint(nullptr, u"点:", p), RTNORM);
  EXPECT_TRUE(line->output().contains(QStringLiteral("\"nonsense\"")));
  EXPECT_FALSE(host->prompts().waiting());
}

const ui::ControlTemplate kControls[] = {
    {10, ui::ControlKind::kEdit, u"", {5, 5, 60, 12}},
    {11, ui::ControlKind::kCheckBox, u"確認する", {5, 20, 60, 10}},
    {12, ui::ControlKind::kComboBox, u"", {5, 34, 60, 60}, ui::kStyleSort | ui::kStyleDropDownList},
    {13, ui::ControlKind::kListView, u"", {70, 5, 120, 80}},
    {ui::IDOK, ui::ControlKind::kPushButton, u"OK", {100, 90, 40, 14}, ui::kStyleDefault},
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

// The Qt front end of the module's dialogs: every template fits its window,
// and a small one's controls follow the dialog's state both ways.
TEST_F(PlantWindow, DialogWindowsFitTheirTemplatesAndFollowTheDialogBothWays) {
  for (const ui::DialogResource& resource : DialogTemplates()) {
    ui::Dialog dialog(resource);
    ASSERT_TRUE(dialog.Create());
    DialogWindow* shown = host->dialogs().WindowOf(&dialog);
    EXPECT_EQ(shown->size(), QSize(shown->units().X(resource.width), shown->units().Y(resource.height)));
    for (const auto& t : resource.controls) {
      if (t.id < 0) continue;
      EXPECT_TRUE(shown->rect().contains(shown->Control(t.id)->geometry())) << resource.id << "/" << t.id;
    }
  }
  Probe probe;
  ASSERT_TRUE(probe.Create());
  DialogWindow* shown = host->dialogs().WindowOf(&probe);
  ASSERT_NE(shown, nullptr);
  const DialogUnits& u = shown->units();
  EXPECT_EQ(shown->Control(10)->geometry(), QRect(u.X(5), u.Y(5), u.X(65) - u.X(5), u.Y(17) - u.Y(5)));
  EXPECT_FALSE(shown->isVisible());
  probe.ShowWindow(true);
  EXPECT_TRUE(shown->isVisible());

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
  auto* edit = qobject_cast<QLineEdit*>(shown->Control(10));
  auto* check = qobject_cast<QCheckBox*>(shown->Control(11));
  auto* box = qobject_cast<QComboBox*>(shown->Control(12));
  auto* table = qobject_cast<QTableWidget*>(shown->Control(13));
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
  for (int x = cell.left(); x < cell.right(); ++x)
    for (int y = cell.top(); y < cell.bottom(); ++y) {
      const QColor c = image.pixelColor(x, y);
      red |= c.red() > 180 && c.green() < 80 && c.blue() < 80;
    }
  EXPECT_TRUE(red);

  // A program column order moves the header back.
  list.SetColumnOrderArray({0, 1});
  probe.Touch(13);
  EXPECT_EQ(table->horizontalHeader()->logicalIndex(0), 0);
  probe.DestroyWindow();
  EXPECT_EQ(host->dialogs().WindowOf(&probe), nullptr);
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
