// What any input must survive, for the DXF fuzz target and the regression
// cases: it is refused with a message, or it loads and saves back byte for
// byte; edits in an undo step save into something that loads and saves back
// byte for byte, undone give the input again, redone the edited drawing.
#pragma once

#include <string>

#include "platform/db/database.h"

namespace wbfuzz {

// Empty when the input survives, else what went wrong; `loaded` tells
// whether it loaded at all.
inline std::string DxfRoundTripFault(const std::string& input, bool* loaded = nullptr) {
  wb::db::Error error;
  auto database = wb::db::Database::OpenFromMemory(input, "fuzz.dxf", &error);
  if (loaded) *loaded = database != nullptr;
  if (!database) return error.message.empty() ? "refused without a message" : "";
  if (database->SaveToString() != input) return "not saved back byte for byte";
  const auto ids = database->ModelSpaceEntities();
  const auto edit = [&] {
    if (!ids.empty()) {
      database->SetXData(ids.front(), "QZ_ATTR", {{1000, "CB03|F|1|1|99|1|"}, {1070, "1"}});
      database->SetGroup(ids.back(), 62, "3");
      database->Erase(ids[ids.size() / 2]);
    }
    database->AddEntity("", "POINT", "QZ_CONNECT", {{100, "AcDbPoint"}, {10, "1.0"}, {20, "2.0"}});
    database->CreateBlock("RT-FUZZ", {0, 0, 0});
    database->AddEntity("RT-FUZZ", "POINT", "QZ_CONNECT", {{10, "0.0"}, {20, "0.0"}});
    database->SetHeaderValue("$DIMSCALE", 40, "2.0");
  };
  database->BeginUndoStep("fuzz");
  edit();
  database->EndUndoStep();
  const std::string saved = database->SaveToString();
  if (!database->Undo() || database->SaveToString() != input) return "undone, not the input";
  if (!database->Redo() || database->SaveToString() != saved) return "redone, not the edited drawing";
  // Undo takes back even the sections and tables the edits had to create:
  // the same edits made again must still give a sound drawing.
  if (!database->Undo()) return "no second undo";
  edit();
  for (const std::string& text : {saved, database->SaveToString()}) {
    auto again = wb::db::Database::OpenFromMemory(text, "fuzz-saved.dxf", &error);
    if (!again) return "edited drawing refused: " + error.ToString();
    if (again->SaveToString() != text) return "edited drawing not saved back byte for byte";
    // Files without handles number their objects afresh on every load:
    // the entity is found by its place.
    const auto after = again->ModelSpaceEntities();
    if (ids.size() > 1 && (after.empty() || again->XData(after.front(), "QZ_ATTR").size() != 2))
      return "xdata lost";
  }
  return "";
}

}  // namespace wbfuzz
