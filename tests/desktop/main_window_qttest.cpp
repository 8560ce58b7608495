// The desktop host on the sample plant drawing, driven by synthetic mouse
// and keyboard events on the offscreen platform. Screenshots go to
// <build>/screenshots/.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>

#include "hosts/desktop/main_window.h"
#include "qt_test_util.h"

namespace wb::desktop {
namespace {

using wbtest::Click;
using wbtest::Drag;
using wbtest::InsertsOf;

const QString kPlant = QStringLiteral(WB_SOURCE_DIR "/examples/plant.dxf");

class DesktopHost : public testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>();
    // The view alone beside the command line: picks here are a few pixels
    // from their neighbours at the zoom of that width.
    for (QDockWidget* dock : window->findChildren<QDockWidget*>())
      if (dock->objectName() != QLatin1String("commandLine")) dock->hide();
    window->resize(1280, 860);
    window->show();
    QApplication::processEvents();
    window->askUnsaved = [this](const QString& text) {
      questions << text;
      return answer;
    };
    window->showError = [this](const QString& text) { errors << text; };
    ASSERT_TRUE(window->OpenDrawing(kPlant));
    QApplication::processEvents();
    view = window->view();
  }
  void TearDown() override {
    window->askUnsaved = [](const QString&) { return QMessageBox::Discard; };
    window.reset();
    editor::SetActiveDatabase(nullptr);
  }
  void Shot(const QString& name) { wbtest::SaveScreenshot(window.get(), name); }

  std::unique_ptr<MainWindow> window;
  DrawingView* view = nullptr;
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
  Shot(QStringLiteral("plant_selected.png"));
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
  auto window = view->selection();
  ASSERT_EQ(window.size(), 2u);  // pump and label, not the tray
  EXPECT_EQ(window[0], pump);
  EXPECT_EQ(editor::ActiveDatabase()->EntityType(window[1]), "TEXT");
  Shot(QStringLiteral("plant_window.png"));

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
  const db::ObjectId label = [&] {
    for (db::ObjectId id : d->ModelSpaceEntities())
      if (d->EntityType(id) == "TEXT") return id;
    return db::ObjectId{};
  }();
  d->SetGroup(label, 1, "MCC1-\xE6\x94\xB9");  // "改"
  window->DrawingChanged();
  EXPECT_TRUE(window->IsModified());
  EXPECT_TRUE(window->isWindowModified());

  // Cancel keeps the drawing; a bad file leaves it in place too.
  answer = QMessageBox::Cancel;
  EXPECT_FALSE(window->OpenDrawing(kPlant));
  EXPECT_EQ(questions.size(), 1);
  EXPECT_EQ(editor::ActiveDatabase(), d);

  const std::string dir = std::filesystem::temp_directory_path() / ("wb-desktop-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string bad = dir + "/bad.dxf";
  std::ofstream(bad) << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n";
  answer = QMessageBox::Discard;
  EXPECT_FALSE(window->OpenDrawing(QString::fromStdString(bad)));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].contains(QString::fromStdString(bad))) << errors[0].toStdString();
  EXPECT_EQ(editor::ActiveDatabase(), d);
  EXPECT_TRUE(window->IsModified());
  EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("bad.dxf")));

  // Save As writes the copy and makes it the working file.
  const std::string copy = dir + "/copy.dxf";
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
  std::filesystem::remove_all(dir);
}

TEST_F(DesktopHost, CommandLineAndProgressMeter) {
  QStringList typed;
  window->SetCommandHandler([&](const QString& text) {
    typed << text;
    return text.startsWith(QStringLiteral("QZ_"));
  });
  window->commandLine()->input()->setText(QStringLiteral("QZ_WireBinder"));
  window->commandLine()->Submit();
  window->commandLine()->input()->setText(QStringLiteral("nonsense"));
  window->commandLine()->Submit();
  EXPECT_EQ(typed, (QStringList{QStringLiteral("QZ_WireBinder"), QStringLiteral("nonsense")}));
  EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("コマンド: QZ_WireBinder\n")));
  EXPECT_TRUE(window->commandLine()->output().contains(QStringLiteral("コマンド \"NONSENSE\" はありません。")));
  // Up brings a line back; Enter on an empty line repeats the last command;
  // keys typed in the view go to the command line.
  QLineEdit* input = window->commandLine()->input();
  QTest::keyClick(input, Qt::Key_Up);
  QTest::keyClick(input, Qt::Key_Up);
  EXPECT_EQ(input->text(), QStringLiteral("QZ_WireBinder"));
  input->clear();
  window->commandLine()->Submit();
  QTest::keyClicks(view, QStringLiteral("qz"));
  EXPECT_EQ(input->text(), QStringLiteral("qz"));
  EXPECT_EQ(typed.size(), 3);
  EXPECT_EQ(typed.back(), QStringLiteral("nonsense"));

  acutPrintf(u"\n%s: %d\n", u"\u30b1\u30fc\u30d6\u30eb", 12);
  EXPECT_TRUE(window->commandLine()->output().endsWith(QString::fromUtf8("\xE3\x82\xB1\xE3\x83\xBC\xE3\x83\x96\xE3\x83\xAB: 12\n")));

  acedSetStatusBarProgressMeter(u"\u8a2d\u5b9a\u4e2d", 0, 40);
  acedSetStatusBarProgressMeterPos(25);
  QProgressBar* bar = window->output()->progressBar();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->maximum(), 40);
  EXPECT_EQ(bar->value(), 25);
  EXPECT_EQ(window->output()->progressLabel()->text(), QString::fromUtf8("\xE8\xA8\xAD\xE5\xAE\x9A\xE4\xB8\xAD"));
  Shot(QStringLiteral("plant_progress.png"));
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
  const std::string path = (std::filesystem::temp_directory_path() / "wb-desktop-curves.dxf").string();
  db::Error error;
  ASSERT_TRUE(d->Save(path, &error)) << error.ToString();
  ASSERT_TRUE(window->OpenDrawing(QString::fromStdString(path)));
  std::filesystem::remove(path);

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
  Shot(QStringLiteral("curves_lineweights.png"));
}

}  // namespace
}  // namespace wb::desktop
