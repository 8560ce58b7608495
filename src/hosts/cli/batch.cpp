#include "hosts/cli/batch.h"

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

}  // namespace

std::string AsFolder(const std::string& path) {
  return path.empty() || path.back() == '/' ? path : path + "/";
}

std::string AssignScript(const AssignRequest& r) {
  std::string s = "# cable assignment\n";
  s += Line({"open", r.drawing});
  s += Line({"system-folder", "/"});
  s += Line({"config", "ProjectDir", AsFolder(r.projectRoot)});
  s += Line({"config", "OutLog", r.log ? "ON" : "OFF"});
  s += Line({"command", "QZ_WireBinder"});
  // Load the project: the folders, the list file, the first data line.
  s += Line({"dialog", Id(IDD_PROJECT)});
  s += "  " + Line({"select", Id(IDC_PROJECT_PLANT_LIST), r.plant});
  s += "  " + Line({"select", Id(IDC_PROJECT_FACILITY_LIST), r.facility});
  s += "  " + Line({"click", "1"});
  s += "end\n";
  s += Line({"file", r.list});
  s += Line({"dialog", Id(IDD_STARTROW)});
  if (r.startRow) s += "  " + Line({"type", Id(IDC_STARTROW_EDIT), std::to_string(*r.startRow)});
  s += "  " + Line({"click", "1"});
  s += "end\n";
  s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_LOAD)});
  s += Line({"expect", "111"});
  // Assign, answering the confirmation with Yes.
  s += Line({"answer", "yes"});
  s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_SETCABLE)});
  s += Line({"expect", "134"});
  if (r.exportList) {
    s += Line({"in", Id(IDD_MAIN), "click", Id(IDC_FILEOUT)});
    s += Line({"expect", "141"});
  }
  s += r.output.empty() ? Line({"save"}) : Line({"save", r.output});
  return s;
}

std::string ProjectScript(const ProjectRequest& r) {
  std::string s = r.create ? "# new project\n" : "# project deletion\n";
  s += Line({"system-folder", "/"});
  s += Line({"config", "ProjectDir", AsFolder(r.projectRoot)});
  s += Line({"command", "QZ_WireBinder"});
  s += Line({"dialog", Id(IDD_PROJECT)});
  s += "  " + Line({"type", Id(IDC_PROJECT_PLANT_EDIT), r.plant});
  s += "  " + Line({"type", Id(IDC_PROJECT_FACILITY_EDIT), r.facility});
  s += "  " + Line({"click", "1"});
  s += "  " + Line({"close"});
  s += "end\n";
  if (!r.create) s += Line({"answer", "yes"});
  s += Line({"in", Id(IDD_MAIN), "click", Id(r.create ? IDC_NEW : IDC_DELETE)});
  s += Line({"expect", r.create ? "113" : "117"});
  return s;
}

}  // namespace wb::cli
