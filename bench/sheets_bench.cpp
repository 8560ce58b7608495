// bench-links: wb_paper
// Route sheets of the plant that tools/make_plant.py writes (20,000
// elements, 2,000 cables, marked): the routes of every row, and the whole
// job with the PDF of all pages. The plant is generated once into the
// temporary folder (python3 with ezdxf).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "paper/route_sheet_pages.h"
#include "platform/editor/document.h"
#include "settings/cable_setting.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Folder() {
  static const fs::path folder = fs::temp_directory_path() / "wb_sheets_bench";
  return folder;
}

// The project, loaded as the project dialog loads it, with its drawing active.
const SheetProject* Project() {
  static const SheetProject* project = []() -> SheetProject* {
    const fs::path facility = Folder() / "projects" / "P1" / fs::u8path("設備A");
    if (!fs::exists(facility / "plant.dxf")) {
      const std::string command = "/usr/bin/python3 '" WB_SOURCE_DIR "/tools/make_plant.py' --elements 20000 "
                                  "--cables 2000 --marked --facility 設備A '" + facility.string() + "' >/dev/null";
      if (std::system(command.c_str()) != 0) return nullptr;
    }
    wb::db::Error error;
    auto database = wb::db::Database::Open((facility / "plant.dxf").string(), &error);
    if (!database) return nullptr;
    wb::editor::SetActiveDatabase(std::move(database));
    g_cableSetting.projectRoot = wb::Utf8ToUtf16((Folder() / "projects").string()) + kPathSeparator;
    auto* p = new SheetProject;
    p->plant = u"P1";
    p->facility = u"設備A";
    p->list.plant = p->plant;
    p->list.facility = p->facility;
    p->list.sourcePath = wb::Utf8ToUtf16((facility / "cablelist.csv").string());
    p->list.startRow = ReadStartRow(p->list);
    if (p->list.Import() != 0) return nullptr;
    wb::paper::EnsureGuiApplication();
    return p;
  }();
  return project;
}

void BM_SheetRoutes(benchmark::State& state) {
  const SheetProject* project = Project();
  if (!project) return state.SkipWithError("no plant (python3 with ezdxf?)");
  size_t routed = 0;
  for (auto _ : state) {
    routed = 0;
    for (const SheetRow& row : RouteSheetRows(*project, {})) routed += row.routed();
  }
  state.counters["rows"] = static_cast<double>(project->list.rows.size());
  state.counters["routed"] = static_cast<double>(routed);
}
BENCHMARK(BM_SheetRoutes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RouteSheetsPdf(benchmark::State& state) {
  const SheetProject* project = Project();
  if (!project) return state.SkipWithError("no plant (python3 with ezdxf?)");
  wb::paper::SheetRequest request;
  request.output = (Folder() / "routes.pdf").string();
  for (auto _ : state) {
    std::string error;
    if (!wb::paper::MakeRouteSheets(*project, {}, request, error)) state.SkipWithError(error.c_str());
  }
  state.counters["MB"] = static_cast<double>(fs::file_size(request.output)) / 1e6;
}
BENCHMARK(BM_RouteSheetsPdf)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
