// bench-links: wb_render
// Redrawing a 20,000-element plant drawing into an offscreen image, as the
// drawing view does after every zoom and pan; and rebuilding the display
// list, as it does after every drawing change.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <string>

#include "render/fonts.h"
#include "render/renderer.h"

namespace {

using wb::db::Tag;

void EnsureApp() {
  static QGuiApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "desktop_render_bench";
    static char* argv[] = {name, nullptr};
    auto* a = new QGuiApplication(argc, argv);
    wb::render::InstallFontSubstitutions();
    return a;
  }();
  (void)app;
}

std::string N(double v) { return std::to_string(v); }

// 2,000 equipment blocks with labels and 16,000 tray pieces between them on
// a grid: 20,000 model-space elements, about 60,000 primitives.
const wb::db::Database& Drawing() {
  static std::unique_ptr<wb::db::Database> d = [] {
    auto db = wb::db::Database::CreateEmpty();
    db->CreateLayer("EQUIP", 3);
    db->CreateLayer("TRAY", 4);
    db->CreateLayer("QZ_CONNECT", 1);
    db->CreateBlock("KK-EQ", {0, 0, 0});
    db->AddEntity("KK-EQ", "LWPOLYLINE", "0",
                  {{100, "AcDbPolyline"}, {90, "4"}, {70, "1"}, {10, "-400"}, {20, "-300"}, {10, "400"},
                   {20, "-300"}, {10, "400"}, {20, "300"}, {10, "-400"}, {20, "300"}});
    db->AddEntity("KK-EQ", "CIRCLE", "0", {{100, "AcDbCircle"}, {10, "0"}, {20, "0"}, {30, "0"}, {40, "150"}});
    db->AddEntity("KK-EQ", "POINT", "QZ_CONNECT", {{100, "AcDbPoint"}, {10, "0"}, {20, "0"}, {30, "0"}});
    db->CreateBlock("RT", {0, 0, 0});
    db->AddEntity("RT", "LINE", "0", {{100, "AcDbLine"}, {10, "0"}, {20, "0"}, {30, "0"}, {11, "1000"}, {21, "0"}, {31, "0"}});
    db->AddEntity("RT", "POINT", "QZ_CONNECT", {{100, "AcDbPoint"}, {10, "0"}, {20, "0"}, {30, "0"}});
    db->AddEntity("RT", "POINT", "QZ_CONNECT", {{100, "AcDbPoint"}, {10, "1000"}, {20, "0"}, {30, "0"}});
    auto insert = [&](const char* layer, const char* block, double x, double y, double rot, double scale) {
      db->AddEntity("", "INSERT", layer,
                    {{100, "AcDbBlockReference"}, {2, block}, {10, N(x)}, {20, N(y)}, {30, "0"},
                     {41, N(scale)}, {42, N(scale)}, {43, "1"}, {50, N(rot)}});
    };
    const int side = 45;  // 45 x 45 equipment positions, 2,000 used
    const double pitch = 4000;
    int equipment = 0, trays = 0;
    for (int j = 0; j < side && equipment < 2000; ++j)
      for (int i = 0; i < side && equipment < 2000; ++i, ++equipment) {
        double x = i * pitch, y = j * pitch;
        insert("EQUIP", "KK-EQ", x, y, 0, 1);
        db->AddEntity("", "TEXT", "EQUIP",
                      {{100, "AcDbText"}, {10, N(x - 400)}, {20, N(y + 400)}, {30, "0"}, {40, "250"},
                       {1, "P-" + std::to_string(equipment)}});
        // Eight tray pieces per position: three to the right, three up, two
        // on the diagonal.
        for (int k = 0; k < 8 && trays < 16000; ++k, ++trays) {
          if (k < 3) insert("TRAY", "RT", x + 400 + k * 1066, y, 0, 1.066);
          else if (k < 6) insert("TRAY", "RT", x, y + 300 + (k - 3) * 1233, 90, 1.233);
          else insert("TRAY", "RT", x + 500 + (k - 6) * 1400, y + 500 + (k - 6) * 1400, 45, 1.9);
        }
      }
    return db;
  }();
  return *d;
}

const wb::render::DisplayList& List() {
  static wb::render::DisplayList list = [] {
    EnsureApp();
    wb::render::DisplayList l;
    wb::render::QtTextMeasurer measurer;
    l.Build(Drawing(), &measurer);
    return l;
  }();
  return list;
}

void Redraw(benchmark::State& state, double zoom) {
  EnsureApp();
  const auto& list = List();
  QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  wb::render::ViewTransform view;
  view.SetViewport(image.width(), image.height());
  view.ZoomExtents(list.extents());
  view.ZoomAbout({960, 540}, zoom);
  wb::render::RenderOptions options;
  options.antialias = state.range(0) != 0;
  for (auto _ : state) {
    QPainter painter(&image);
    wb::render::RenderDrawing(painter, list, view, options);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["elements"] = static_cast<double>(list.entities().size());
  state.counters["primitives"] = static_cast<double>(list.primitives().size());
}

void BM_RedrawExtents(benchmark::State& state) { Redraw(state, 1); }
void BM_RedrawZoomed(benchmark::State& state) { Redraw(state, 8); }

void BM_BuildDisplayList(benchmark::State& state) {
  EnsureApp();
  const auto& drawing = Drawing();
  wb::render::QtTextMeasurer measurer;
  for (auto _ : state) {
    wb::render::DisplayList list;
    list.Build(drawing, &measurer);
    benchmark::DoNotOptimize(list.primitives().data());
  }
}

BENCHMARK(BM_RedrawExtents)->Arg(1)->Arg(0)->ArgName("antialias")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawZoomed)->Arg(1)->ArgName("antialias")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDisplayList)->Unit(benchmark::kMillisecond);

}  // namespace
