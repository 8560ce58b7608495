// bench-links: wb_cli
// The cable assignment end to end, as `wirebinder assign --export` runs it:
// DXF read, routes, export, DXF write. Plants come from tools/make_plant.py
// --marked with one cable per ten elements, made once into a cache folder.
// Every size with both modes, the route log off and on, one thread and
// every core; the 100,000-element plant with shortest routes only, as its
// first routes would fill a drawing of some ten gigabytes. Medians of three
// runs; see docs/route.md for the table.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "hosts/cli/batch.h"
#include "hosts/cli/script.h"
#include "hosts/cli/session.h"
#include "hosts/cli/terminal_output.h"
#include "platform/host/worker_threads.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Cache() {
  static const fs::path folder = fs::temp_directory_path() / "wirebinder-growth-bench";
  return folder;
}

// The project root of a plant of `elements`, made when missing or older
// than the generator.
fs::path PlantRoot(int elements) {
  const fs::path root = Cache() / std::to_string(elements);
  const fs::path project = root / "P1" / "設備A";
  const fs::path tool = fs::path(WB_SOURCE_DIR) / "tools" / "make_plant.py";
  if (!fs::exists(project / "plant.dxf") ||
      fs::last_write_time(project / "plant.dxf") < fs::last_write_time(tool)) {
    fs::remove_all(root);
    const std::string command = "/usr/bin/python3 '" + tool.string() + "' --marked --elements " +
                                std::to_string(elements) + " --cables " +
                                std::to_string(elements / 10) + " '" + project.string() + "' >/dev/null";
    if (std::system(command.c_str()) != 0) return {};
  }
  return root;
}

void BM_Assign(benchmark::State& state, int elements, bool shortest, bool log, int threads) {
  const fs::path root = PlantRoot(elements);
  if (root.empty()) {
    state.SkipWithError("tools/make_plant.py failed");
    return;
  }
  // The session reads and copies the module configuration: an empty one.
  const fs::path config = Cache() / "wirebinder.ini";
  if (!fs::exists(config)) std::ofstream{config};
  setenv("WIREBINDER_CONFIG", config.c_str(), 1);
  setenv("WIREBINDER_ENV_INI", (Cache() / "qzenv.ini").c_str(), 1);

  const fs::path project = root / "P1" / "設備A";
  const fs::path output = Cache() / "assigned.dxf";
  wb::cli::AssignRequest request;
  request.project = {(project / "plant.dxf").string(), root.string(), "P1", "設備A",
                     (project / "cablelist.csv").string(), std::nullopt};
  request.output = output.string();
  request.exportList = true;
  request.log = log;
  std::string text = wb::cli::AssignScript(request);
  if (!shortest) text.insert(text.find('\n') + 1, "config MOST_SHORT_DIST OFF\n");
  wb::cli::ScriptError error;
  const auto script = wb::cli::ParseScript(text, "<growth>", &error);
  wb::SetWorkerThreads(threads);
  for (auto _ : state) {
    wb::cli::TerminalOutput quiet(true);
    wb::cli::Session session(quiet);
    if (!session.Run(*script)) state.SkipWithError(session.error().ToString().c_str());
    state.PauseTiming();
    state.counters["out_MB"] = static_cast<double>(fs::file_size(output)) / 1e6;
    fs::remove(output);
    fs::remove(root / "log.csv");  // each run starts the log afresh
    state.ResumeTiming();
  }
  wb::SetWorkerThreads(0);
  state.counters["elements"] = elements;
}

const int registered = [] {
  const int cores = std::max(1u, std::thread::hardware_concurrency());
  for (int elements : {2000, 20000, 100000})
    for (bool shortest : {true, false}) {
      if (elements == 100000 && !shortest) continue;
      for (bool log : {false, true})
        for (int threads : {1, cores}) {
          const std::string name = "BM_Assign/" + std::to_string(elements) + "/" +
                                   (shortest ? "shortest" : "first") + (log ? "/log" : "/nolog") +
                                   "/threads:" + std::to_string(threads);
          benchmark::RegisterBenchmark(name.c_str(), BM_Assign, elements, shortest, log, threads)
              ->Unit(benchmark::kSecond)
              ->UseRealTime()
              ->Iterations(1)
              ->Repetitions(3)
              ->ReportAggregatesOnly(true);
        }
    }
  return 0;
}();

}  // namespace
