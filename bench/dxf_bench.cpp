// bench-links: wb_dxf
// Load + save of a large tagged drawing (WB_BIG_DXF, made by
// tools/make_big_dxf.py when missing), and the per-command reads that the
// route search and the mark scan make.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "platform/db/database.h"

namespace {

std::string BigDrawing() {
  const char* env = std::getenv("WB_BIG_DXF");
  std::string path = env && *env ? env : "/tmp/wb_big.dxf";
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    std::string command = "/usr/bin/python3 '" WB_SOURCE_DIR "/tools/make_big_dxf.py' '" + path + "'";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cannot make %s\n", path.c_str());
  }
  return path;
}

std::unique_ptr<wb::db::Database> Load(benchmark::State& state) {
  wb::db::Error error;
  auto database = wb::db::Database::Open(BigDrawing(), &error);
  if (!database) state.SkipWithError(error.ToString().c_str());
  return database;
}

void BM_LoadAndSave(benchmark::State& state) {
  const std::string path = BigDrawing();
  const std::string out = path + ".bench-out.dxf";
  size_t bytes = 0;
  for (auto _ : state) {
    wb::db::Error error;
    auto database = wb::db::Database::Open(path, &error);
    if (!database) {
      state.SkipWithError(error.ToString().c_str());
      break;
    }
    // One edit, so the save is not a plain copy of the buffer.
    auto ids = database->ModelSpaceEntities();
    database->SetXData(ids[0], "QZ_ATTR", {{1000, "CB03|BENCH|1|1|99|1|"}});
    if (!database->Save(out, &error)) state.SkipWithError(error.ToString().c_str());
  }
  struct stat st {};
  if (stat(out.c_str(), &st) == 0) bytes = static_cast<size_t>(st.st_size);
  std::remove(out.c_str());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_LoadAndSave)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Load(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Load(state));
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(3);

// Saving without edits gives the file back byte for byte, at this size too.
void BM_SaveToString(benchmark::State& state) {
  auto database = Load(state);
  if (!database) return;
  std::string saved;
  for (auto _ : state) saved = database->SaveToString();
  std::FILE* f = std::fopen(BigDrawing().c_str(), "rb");
  std::string original;
  if (f) {
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) original.append(buffer, n);
    std::fclose(f);
  }
  if (saved != original) state.SkipWithError("the unedited save differs from the file");
}
BENCHMARK(BM_SaveToString)->Unit(benchmark::kMillisecond)->Iterations(3);

// What a route search does once per command: every tagged element's xdata.
void BM_ReadAllTags(benchmark::State& state) {
  auto database = Load(state);
  if (!database) return;
  size_t items = 0;
  for (auto _ : state) {
    for (wb::db::ObjectId id : database->ModelSpaceEntities()) {
      if (!database->HasXData(id, "QZ_LINK") && !database->HasXData(id, "QZ_ATTR")) continue;
      items += database->XData(id, "QZ_LINK").size() + database->XData(id, "QZ_ATTR").size();
      benchmark::DoNotOptimize(database->Insert(id));
    }
  }
  state.counters["entities"] = static_cast<double>(database->ModelSpaceEntities().size());
  benchmark::DoNotOptimize(items);
}
BENCHMARK(BM_ReadAllTags)->Unit(benchmark::kMillisecond);

}  // namespace
