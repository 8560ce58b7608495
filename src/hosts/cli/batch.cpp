#include "hosts/cli/batch.h"

#include <cctype>

#include "hosts/cli/script.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace wb::cli {
namespace {

std::string Line(std::initializer_list<std::string> words) {
  std::string line;
  for (const auto& w : words) {
    if (!line.empty()) line += ' ';
    line += QuoteArg(w);
  }
  return line + "\n";
}

std::string Id(int id) { return std::to_string(id); }

// How a failure of the steps that follow is named to the user.
std::string OnFailure(const std::string& what) { return Line({"on-failure", what}); }

std::string Save(const std::string& output) {
  return OnFailure("the drawing was not saved") +
         (output.empty() ? Line({"save"}) : Line({"save", output}));
}

}  // namespace

std::string AsFolder(const std::string& path) {
  return path.empty() || path.back() == '/' ? path : path + "/";
}

// Opens the drawing and points the settings at the projects root.
std::string OpenDrawing(const ProjectLoad& p) {
  std::string s = OnFailure("the drawing could not be opened");
  s += Line({"open", p.drawing});
  s += OnFailure("the settings of this run could not be written");
  // The projects folder setting is relative to the system folder.
  s += Line({"system-folder", "/"});
  s += Line({"config", "ProjectDir", AsFolder(p.projectRoot)});
  return s;
}

// Loads the project through the project dialog, the file dialog and the
// start-row dialog.
std::string LoadThroughDialogs(const ProjectLoad& p) {
  std::string s = OnFailure("the project " + p.plant + "/" + p.facility + " was not found in " +
                            AsFolder(p.projectRoot));
  s += Line({"command", "QZ_WireBinder"});
  s += Line({"dialog", Id(IDD_PROJECT)});
  s += "  " + Line({"select", Id(IDC_PLANT_LIST), p.plant});
  s += "  " + Line({"select", Id(IDC_FACILITY_LIST), p.facility});
  s += "  " + Line({"click", "1"});
  s += "end\n";
  s += OnFailure("the cable list was refused");
  s += Line({"file", p.list});
  s += Line({"dialog", Id(IDD_STARTROW)});
  if (p.startRow) s += "  " + Line({"type", Id(IDC_STARTROW), std::to_string(*p.startRow)});
  s += "  " + Line({"click", "1"});
  s += "end\n";
  s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_LOAD)});
  s += Line({"expect", "111"});
  return s;
}

std::string AssignScript(const AssignRequest& r) {
  std::string s = "# cable assignment\n";
  s += OpenDrawing(r.project);
  s += Line({"config", "OutLog", r.log ? "ON" : "OFF"});
  s += LoadThroughDialogs(r.project);
  // Assign, answering the confirmation with Yes.
  s += OnFailure("the cables were not assigned");
  s += Line({"answer", "yes"});
  s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_SETCABLE)});
  s += Line({"expect", "134"});
  s += Line({"show", Id(IDC_CABLELIST)});
  if (r.exportList) {
    s += OnFailure("the cable list was not exported");
    s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_FILEOUT)});
    s += Line({"expect", "141"});
  }
  s += Save(r.output);
  return s;
}

std::string LoadProjectScript(const ProjectLoad& p) {
  return "# project loaded\n" + OpenDrawing(p) + LoadThroughDialogs(p);
}

std::string MarkScript(const MarkRequest& r) {
  std::string s = "# equipment marks\n";
  s += OpenDrawing(r.project);
  // One list of every mark, whichever end of a cable it stands at.
  s += Line({"config", "OneMarkDialog", "ON"});
  s += LoadThroughDialogs(r.project);
  s += OnFailure("the mark dialog did not open");
  s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_DRAWMARK)});
  for (const auto& [row, target] : r.marks) {
    s += OnFailure("--set " + row + "=" + target + " was not done");
    s += Line({"in", Id(IDD_DRAWMARK), "item", Id(IDC_FROMLIST), row});
    s += Line({"pick", target});
    s += Line({"in", Id(IDD_DRAWMARK), "click", "1"});
  }
  s += Line({"in", Id(IDD_DRAWMARK), "close"});
  s += Save(r.output);
  return s;
}

std::string ConfirmScript(const ConfirmRequest& r) {
  std::string s = "# route confirmation\n";
  s += OpenDrawing(r.project);
  s += LoadThroughDialogs(r.project);
  s += OnFailure("row " + std::to_string(r.row) + " of the cable list was not shown");
  s += Line({"in", Id(IDD_MAIN), "row", Id(IDC_CABLELIST), std::to_string(r.row)});
  // While the route is shown: report it, keep a picture of it, press Enter.
  s += Line({"meanwhile", "highlighted"});
  if (!r.snapshot.empty()) s += Line({"meanwhile", "save", r.snapshot});
  s += Line({"enter"});
  s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_CONFIRM)});
  return s;
}

std::string AnnotateScript(const AnnotateRequest& r) {
  std::string s = "# cable annotation\n";
  s += OnFailure("the drawing could not be opened");
  s += Line({"open", r.drawing});
  s += OnFailure("the wire " + r.wire + " was not annotated");
  s += Line({"command", "QZ_WireBinder"});
  s += Line({"in", Id(IDD_MAIN), "check", Id(IDC_FROMTO), r.fromTo ? "on" : "off"});
  s += Line({"in", Id(IDD_MAIN), "check", Id(IDC_CABLENO), r.cableNumber ? "on" : "off"});
  s += Line({"pick", r.wire});
  s += Line({"drag", r.leaderEnd});
  s += Line({"drag", r.framePoint});
  s += Line({"cancel"});  // the command asks for the next wire
  s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_DRAWINFO)});
  s += Save(r.output);
  return s;
}

std::string DeleteMarksScript(const DeleteRequest& r) {
  std::string s = "# mark deletion\n";
  s += OnFailure("the drawing could not be opened");
  s += Line({"open", r.drawing});
  s += OnFailure("the marks were not deleted");
  s += Line({"command", "QZ_WireBinder"});
  // The command asks again after every mark it deleted; Esc ends it.
  s += Line({"unanswered", "cancel"});
  for (const auto& target : r.targets) s += Line({"pick", target});
  s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_DELETEMARK)});
  s += Save(r.output);
  return s;
}

std::string DeleteAttributesScript(const DeleteRequest& r) {
  std::string s = "# cable attribute deletion\n";
  s += OnFailure("the drawing could not be opened");
  s += Line({"open", r.drawing});
  s += OnFailure("the cable attributes were not deleted");
  std::string handles;
  for (const auto& target : r.targets) handles += (handles.empty() ? "" : ",") + target;
  s += Line({"objects", handles});
  s += Line({"command", "QZ_DeleteCableAtt"});
  s += Save(r.output);
  return s;
}

namespace {

enum class FieldKind { kEdit, kCheck, kColor };
struct SettingField {
  const char* key;
  int control;
  FieldKind kind;
};

// In the order a user fills the dialog: a check box before the edit it
// enables.
constexpr SettingField kSettingFields[] = {
    {"KIGO_HEIGHT", IDC_OPT_MARKHEIGHT, FieldKind::kEdit},
    {"KIGO_WIDTHFACTOR", IDC_OPT_MARKWIDTH, FieldKind::kEdit},
    {"KIGO_OFFSET", IDC_OPT_MARKOFFSET, FieldKind::kEdit},
    {"KIGO_LAYER", IDC_OPT_MARKLAYER, FieldKind::kEdit},
    {"KIGO_COLOR", IDC_OPT_MARKCOLOR, FieldKind::kColor},
    {"CONFIRM_COLOR", IDC_OPT_CONFIRMCOLOR, FieldKind::kColor},
    {"CONFIRM_LINEWEIGHT", IDC_OPT_LINEWEIGHT, FieldKind::kEdit},
    {"CINFO_TEXTHEIGHT", IDC_OPT_TEXTHEIGHT, FieldKind::kEdit},
    {"CINFO_TEXTWIDTH", IDC_OPT_TEXTWIDTH, FieldKind::kEdit},
    {"CINFO_TEXTROWINTERVAL", IDC_OPT_ROWINTERVAL, FieldKind::kEdit},
    {"CINFO_TEXTSTARTOFFSET", IDC_OPT_STARTOFFSET, FieldKind::kEdit},
    {"CINFO_TEXTLEADERREVISION", IDC_OPT_LEADERREVISION, FieldKind::kCheck},
    {"CINFO_TEXTLEADERDEGREE", IDC_OPT_LEADERDEGREE, FieldKind::kEdit},
    {"CINFO_TEXTARCMAJORAXIS", IDC_OPT_ARCMAJOR, FieldKind::kEdit},
    {"CINFO_TEXTARCMINORAXIS", IDC_OPT_ARCMINOR, FieldKind::kEdit},
    {"CINFO_TEXTFORMAT", IDC_OPT_TEXTFORMAT, FieldKind::kEdit},
    {"NO_DRAW", IDC_OPT_DRAWSUBNO, FieldKind::kCheck},
    {"NO_DEVIDESTRING", IDC_OPT_SEPARATOR, FieldKind::kEdit},
    {"NO_ANNO", IDC_OPT_ANNOSUBNO, FieldKind::kCheck},
};

}  // namespace

std::string SettingsScript(const std::vector<std::pair<std::string, std::string>>& values,
                           std::string& problem) {
  problem.clear();
  for (const auto& [key, value] : values) {
    bool known = false;
    for (const auto& field : kSettingFields) known = known || key == field.key;
    if (!known) {
      problem = "unknown setting " + key + "; the dialog edits:";
      for (const auto& field : kSettingFields) problem += std::string(" ") + field.key;
      return {};
    }
  }
  std::string s = "# detailed settings\n";
  std::string colors;
  std::string actions;
  for (const auto& field : kSettingFields) {
    for (const auto& [key, value] : values) {
      if (key != field.key) continue;
      switch (field.kind) {
        case FieldKind::kEdit:
          actions += "  " + Line({"type", Id(field.control), value});
          break;
        case FieldKind::kCheck: {
          std::string lower;
          for (char c : value) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
          if (lower != "on" && lower != "off") {
            problem = key + " takes ON or OFF";
            return {};
          }
          actions += "  " + Line({"check", Id(field.control), lower});
          break;
        }
        case FieldKind::kColor:
          colors += Line({"color", value});
          actions += "  " + Line({"click", Id(field.control)});
          break;
      }
    }
  }
  s += Line({"command", "QZ_WireBinder"});
  s += colors;
  s += OnFailure("the settings were refused");
  s += Line({"dialog", Id(IDD_OPTION)});
  s += actions;
  s += "  " + Line({"click", "1"});
  s += "end\n";
  s += OnFailure("the detailed settings are not offered here (ShowOptionButton is not ON)");
  s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_OPTION)});
  s += OnFailure("the settings were refused");
  s += Line({"expect", "150"});
  return s;
}

std::string ProjectScript(const ProjectRequest& r) {
  std::string s = r.create ? "# new project\n" : "# project deletion\n";
  s += OnFailure("the project " + r.plant + (r.facility.empty() ? "" : "/" + r.facility) + " was not " +
                 (r.create ? "created" : "deleted"));
  s += Line({"system-folder", "/"});
  s += Line({"config", "ProjectDir", AsFolder(r.projectRoot)});
  s += Line({"command", "QZ_WireBinder"});
  s += Line({"dialog", Id(IDD_PROJECT)});
  s += "  " + Line({"type", Id(IDC_PLANT_EDIT), r.plant});
  s += "  " + Line({"type", Id(IDC_FACILITY_EDIT), r.facility});
  s += "  " + Line({"click", "1"});
  s += "  " + Line({"close"});
  s += "end\n";
  if (!r.create) s += Line({"answer", "yes"});
  s += Line({"in", Id(IDD_MAIN), "click", Id(r.create ? IDC_NEW : IDC_DELETE)});
  s += Line({"expect", r.create ? "113" : "117"});
  return s;
}

}  // namespace wb::cli
