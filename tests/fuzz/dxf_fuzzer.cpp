// Any input either is refused with a line number or loads; a loaded drawing
// saves back byte for byte, after edits saves into something that loads,
// and with the edits undone saves back byte for byte again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/db/database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  wb::db::Error error;
  auto database = wb::db::Database::OpenFromMemory(input, "fuzz.dxf", &error);
  if (!database) {
    if (error.message.empty()) std::abort();
    return 0;
  }
  if (database->SaveToString() != input) std::abort();

  auto ids = database->ModelSpaceEntities();
  database->BeginUndoStep("fuzz");
  if (!ids.empty()) {
    database->SetXData(ids.front(), "QZ_ATTR", {{1000, "CB03|F|1|1|99|1|"}, {1070, "1"}});
    database->SetGroup(ids.back(), 62, "3");
    database->Erase(ids[ids.size() / 2]);
  }
  database->AddEntity("", "POINT", "QZ_CONNECT", {{100, "AcDbPoint"}, {10, "1.0"}, {20, "2.0"}});
  database->CreateBlock("RT-FUZZ", {0, 0, 0});
  database->AddEntity("RT-FUZZ", "POINT", "QZ_CONNECT", {{10, "0.0"}, {20, "0.0"}});
  database->SetHeaderValue("$DIMSCALE", 40, "2.0");
  database->EndUndoStep();
  const std::string saved = database->SaveToString();
  if (!database->Undo() || database->SaveToString() != input) std::abort();
  if (!database->Redo() || database->SaveToString() != saved) std::abort();
  auto again = wb::db::Database::OpenFromMemory(saved, "fuzz-saved.dxf", &error);
  if (!again) {
    std::fprintf(stderr, "%s\n", error.ToString().c_str());
    std::abort();
  }
  if (again->SaveToString() != saved) std::abort();
  return 0;
}
