// The module in the desktop host, clicked through like a user would on a
// copy of the sample project: real dialog windows, message boxes, the file
// dialog, picks in the drawing view and the annotation drag. Screenshots of
// the main window and every dialog go to <build>/screenshots/.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <deque>
#include <filesystem>
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
#include "platform/profile/profile_file.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"
#include "qt_test_util.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"
#include "ui/main_dlg.h"

namespace wb::desktop {
namespace {

namespace fs = std::filesystem;
using wbtest::Click;
using wbtest::InsertsOf;
using wbtest::MoveTo;

void Shot(QWidget* w, const QString& name) { wbtest::SaveScreenshot(w, name); }

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

class ModuleSession : public testing::Test {
 protected:
  void SetUp() override {
    work = fs::path(WB_BINARY_DIR) / "desktop-session";
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
    host = std::make_unique<ModuleHost>(*window);
    host->SetTimeouts(20000);  // a missed step fails instead of hanging
    host->dialogs().modalShown = [this](QWidget* w) { Answer(w); };
    window->resize(1280, 860);
    window->show();
    ASSERT_TRUE(window->OpenDrawing(QString::fromStdString((work / "plant.dxf").string())));
    DrawAsAPlantAtOneToHundred(*editor::ActiveDatabase());
    window->DrawingChanged();
    view = window->view();
    QApplication::processEvents();
  }

  void TearDown() override {
    EXPECT_TRUE(answers.empty()) << answers.size() << " expected windows never opened";
    EXPECT_EQ(host->dialogs().timeouts(), 0);
    host.reset();
    window->askUnsaved = [](const QString&) { return QMessageBox::Discard; };
    window.reset();
    editor::SetActiveDatabase(nullptr);
    QzComn_SetConfigFile(u"");
    QzComn_SetEnvFile(u"");
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
      messages.push_back(id);
      if (!shot.isEmpty()) Shot(box, shot);
      auto* b = box->findChild<QPushButton*>(QString::fromLatin1(button));
      ASSERT_NE(b, nullptr) << button;
      QTest::mouseClick(b, Qt::LeftButton);
    });
  }
  DialogWindow* Main() { return host->dialogs().WindowOf(IDD_MAIN); }
  QTableWidget* List() { return ControlOf<QTableWidget>(Main(), IDC_CABLELIST); }

  void RunCommandTyped(const QString& name) {
    window->commandLine()->input()->setText(name);
    window->commandLine()->Submit();
  }
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

  fs::path work;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<ModuleHost> host;
  DrawingView* view = nullptr;
  std::deque<std::function<void(QWidget*)>> answers;
  std::vector<int> messages;
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
    // marks by default).
    ClickButton(Main(), IDC_DRAWMARK);
  });

  // CP1 goes on the unmarked control panel at (-3000, 0) by a pick.
  DialogWindow* marks = nullptr;
  Then("mark dialog", [&] { return (marks = host->dialogs().WindowOf(IDD_DRAWMARK)) && marks->isVisible(); }, [&] {
    EXPECT_FALSE(Main()->isVisible());
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
  Then("listed", idle, [&] {
    EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("ケーブル (%1 本)").arg(window->properties()->cables()->rowCount())));
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
  const QString plot = wbtest::ScreenshotDir() + QStringLiteral("/plot_view.png");
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
                                                 wbtest::ScreenshotDir() + QStringLiteral("/sheets_portrait")});
    EXPECT_TRUE(pdftoppm.waitForFinished(20000) && pdftoppm.exitCode() == 0) << "no second page";
    EXPECT_EQ(QImage(wbtest::ScreenshotDir() + QStringLiteral("/sheets_portrait.png")).size(), QSize(496, 702));
  });
  RunSteps();
  EXPECT_EQ(messages, (std::vector<int>{111, 129, 134, 155}));
}

}  // namespace
}  // namespace wb::desktop
