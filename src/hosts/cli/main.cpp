// wirebinder: the module without a window. Every subcommand runs the real
// module through a scripted session; `script` runs a recorded one.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>

#include "hosts/cli/batch.h"
#include "hosts/cli/session.h"
#include "hosts/cli/terminal_output.h"
#include "platform/dialogs/message_box.h"
#include "platform/fs/file_system.h"
#include "platform/host/worker_threads.h"

namespace {

using wb::cli::Script;
using wb::cli::ScriptError;

void PrintMessage(const wb::ui::ScriptedBackend::ShownMessage& m) {
  const unsigned icon = m.type & MB_ICONMASK;
  const char* kind = icon == MB_ICONINFORMATION ? "info" : (m.type & MB_TYPEMASK) == MB_YESNO ? "question" : "message";
  std::string text = wb::Utf16ToUtf8(m.text);
  std::fprintf(stdout, "[%s] %s", kind, text.c_str());
  if ((m.type & MB_TYPEMASK) == MB_YESNO)
    std::fputs(m.answer == IDYES ? " -> yes" : " -> no", stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
}

int RunScriptText(const std::string& text, const std::string& name, bool quiet) {
  ScriptError error;
  auto script = wb::cli::ParseScript(text, name, &error);
  if (!script) {
    std::fprintf(stderr, "wirebinder: %s\n", error.ToString().c_str());
    return 2;
  }
  wb::cli::TerminalOutput output(quiet);
  wb::cli::Session session(output);
  if (!quiet) session.SetMessageSink(PrintMessage);
  if (!session.Run(*script)) {
    std::fprintf(stderr, "wirebinder: %s\n", session.error().ToString().c_str());
    return 1;
  }
  return 0;
}

// The options that name a drawing and the project to load with it.
void AddProjectOptions(CLI::App* command, wb::cli::ProjectLoad& project, int& startRow) {
  command->add_option("drawing", project.drawing, "DXF drawing")->required()->check(CLI::ExistingFile);
  command->add_option("--project-root", project.projectRoot, "folder of the projects")->required();
  command->add_option("--plant", project.plant, "PLANT folder")->required();
  command->add_option("--facility", project.facility, "設備 folder")->required();
  command->add_option("--list", project.list, "cable list (CSV)")->required()->check(CLI::ExistingFile);
  command->add_option("--start-row", startRow, "first data line (default: the definition file's)")
      ->check(CLI::PositiveNumber);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"WireBinder: cable information for plant electrical drawings"};
  app.require_subcommand(1);
  app.fallthrough();  // the global options may follow the subcommand too
  bool quiet = false;
  bool printScript = false;
  app.add_flag("-q,--quiet", quiet, "print only errors");
  app.add_flag("--print-script", printScript, "print the session script instead of running it");
  int jobs = 0;
  app.add_option("-j,--jobs", jobs,
                 "threads for the route searches (default: $WIREBINDER_JOBS, else every core)")
      ->check(CLI::PositiveNumber);

  wb::cli::AssignRequest assign;
  int startRow = 0;
  auto* assignCmd = app.add_subcommand("assign", "load a project's cable list and assign every cable to its route");
  AddProjectOptions(assignCmd, assign.project, startRow);
  assignCmd->add_option("-o,--output", assign.output, "save the drawing here (default: in place)");
  assignCmd->add_flag("--export", assign.exportList, "export the cable list with the lengths");
  assignCmd->add_flag("--log", assign.log, "write the route log (log.csv in the project root)");

  wb::cli::MarkRequest mark;
  std::vector<std::string> markArgs;
  auto* markCmd = app.add_subcommand("mark", "load a project's cable list and mark equipment with it");
  AddProjectOptions(markCmd, mark.project, startRow);
  markCmd->add_option("-o,--output", mark.output, "save the drawing here (default: in place)");
  markCmd->add_option("--set", markArgs,
                      "MARK[/SUBNO[/NAME]]=HANDLE or =X,Y: the list row and the equipment")
      ->required();

  wb::cli::ConfirmRequest confirm;
  auto* confirmCmd = app.add_subcommand("confirm", "show the route of one cable of the list");
  AddProjectOptions(confirmCmd, confirm.project, startRow);
  confirmCmd->add_option("--row", confirm.row, "row of the cable list, from 1")->required()
      ->check(CLI::PositiveNumber);
  confirmCmd->add_option("--snapshot", confirm.snapshot,
                         "save the drawing as shown, route highlighted, to this DXF file");

  wb::cli::AnnotateRequest annotate;
  auto* annotateCmd = app.add_subcommand("annotate", "draw the cable annotation of one wire");
  annotateCmd->add_option("drawing", annotate.drawing, "DXF drawing")->required()->check(CLI::ExistingFile);
  annotateCmd->add_option("--wire", annotate.wire, "the wire: a handle or a point x,y")->required();
  annotateCmd->add_option("--leader", annotate.leaderEnd, "end of the leader, x,y")->required();
  annotateCmd->add_option("--at", annotate.framePoint, "point that places the frame, x,y")->required();
  annotateCmd->add_flag("--from-to", annotate.fromTo, "write From and To (\"From To 記入\")");
  annotateCmd->add_flag("--cable-number", annotate.cableNumber, "write cable numbers (\"ケーブル番号記入\")");
  annotateCmd->add_option("-o,--output", annotate.output, "save the drawing here (default: in place)");

  wb::cli::DeleteRequest deleteMarks, deleteAtts;
  auto* deleteMarksCmd = app.add_subcommand("delete-marks", "delete equipment marks");
  deleteMarksCmd->add_option("drawing", deleteMarks.drawing, "DXF drawing")->required()->check(CLI::ExistingFile);
  deleteMarksCmd->add_option("--pick", deleteMarks.targets,
                             "a mark text or marked equipment: handle or point x,y")->required();
  deleteMarksCmd->add_option("-o,--output", deleteMarks.output, "save the drawing here (default: in place)");
  auto* deleteAttsCmd = app.add_subcommand("delete-attributes", "delete the cable attributes of elements");
  deleteAttsCmd->add_option("drawing", deleteAtts.drawing, "DXF drawing")->required()->check(CLI::ExistingFile);
  deleteAttsCmd->add_option("--handles", deleteAtts.targets, "handles of the elements")->required();
  deleteAttsCmd->add_option("-o,--output", deleteAtts.output, "save the drawing here (default: in place)");

  std::vector<std::string> settingArgs;
  auto* settingsCmd = app.add_subcommand(
      "settings", "change drawing settings through the detailed-settings dialog (needs ShowOptionButton=ON)");
  settingsCmd->add_option("--set", settingArgs, "KEY=VALUE, e.g. KIGO_HEIGHT=2.5, NO_DRAW=OFF, KIGO_COLOR=3")
      ->required();

  wb::cli::ProjectRequest project;
  auto* projectCmd = app.add_subcommand("project", "create or delete a project folder");
  std::string action;
  projectCmd->add_option("action", action, "create or delete")->required()->check(CLI::IsMember({"create", "delete"}));
  projectCmd->add_option("--project-root", project.projectRoot, "folder of the projects")->required();
  projectCmd->add_option("--plant", project.plant, "PLANT folder")->required();
  projectCmd->add_option("--facility", project.facility, "設備 folder (empty: the whole plant)");

  std::string scriptPath;
  auto* scriptCmd = app.add_subcommand("script", "run a recorded session (see docs/cli.md)");
  scriptCmd->add_option("file", scriptPath, "session script")->required()->check(CLI::ExistingFile);

  CLI11_PARSE(app, argc, argv);
  if (jobs > 0) wb::SetWorkerThreads(jobs);

  std::string text;
  std::string name = "<" + app.get_subcommands().front()->get_name() + ">";
  // The module builds paths by concatenation: hand it absolute ones.
  auto absolute = [](std::string& path) {
    if (!path.empty()) path = std::filesystem::absolute(path).lexically_normal().string();
  };
  auto finishProject = [&](wb::cli::ProjectLoad& project) {
    if (startRow > 0) project.startRow = startRow;
    for (auto* path : {&project.drawing, &project.projectRoot, &project.list}) absolute(*path);
  };
  if (*assignCmd) {
    finishProject(assign.project);
    absolute(assign.output);
    text = wb::cli::AssignScript(assign);
  } else if (*markCmd) {
    finishProject(mark.project);
    absolute(mark.output);
    for (const auto& arg : markArgs) {
      const size_t eq = arg.rfind('=');
      if (eq == std::string::npos || eq == 0 || eq + 1 == arg.size()) {
        std::fprintf(stderr, "wirebinder: --set %s: expected MARK=TARGET\n", arg.c_str());
        return 2;
      }
      mark.marks.emplace_back(arg.substr(0, eq), arg.substr(eq + 1));
    }
    text = wb::cli::MarkScript(mark);
  } else if (*confirmCmd) {
    finishProject(confirm.project);
    absolute(confirm.snapshot);
    text = wb::cli::ConfirmScript(confirm);
  } else if (*annotateCmd) {
    for (auto* path : {&annotate.drawing, &annotate.output}) absolute(*path);
    text = wb::cli::AnnotateScript(annotate);
  } else if (*deleteMarksCmd) {
    for (auto* path : {&deleteMarks.drawing, &deleteMarks.output}) absolute(*path);
    text = wb::cli::DeleteMarksScript(deleteMarks);
  } else if (*deleteAttsCmd) {
    for (auto* path : {&deleteAtts.drawing, &deleteAtts.output}) absolute(*path);
    text = wb::cli::DeleteAttributesScript(deleteAtts);
  } else if (*settingsCmd) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& arg : settingArgs) {
      const size_t eq = arg.find('=');
      if (eq == std::string::npos || eq == 0) {
        std::fprintf(stderr, "wirebinder: --set %s: expected KEY=VALUE\n", arg.c_str());
        return 2;
      }
      values.emplace_back(arg.substr(0, eq), arg.substr(eq + 1));
    }
    std::string problem;
    text = wb::cli::SettingsScript(values, problem);
    if (!problem.empty()) {
      std::fprintf(stderr, "wirebinder: %s\n", problem.c_str());
      return 2;
    }
  } else if (*projectCmd) {
    project.create = action == "create";
    absolute(project.projectRoot);
    text = wb::cli::ProjectScript(project);
  } else if (*scriptCmd) {
    name = scriptPath;
    std::string why;
    auto bytes = wb::fs::ReadFile(scriptPath, &why);  // a FIFO or a device is refused
    if (!bytes) {
      std::fprintf(stderr, "wirebinder: cannot read %s\n", why.c_str());
      return 2;
    }
    text = std::move(*bytes);
  }
  if (printScript) {
    std::fputs(text.c_str(), stdout);
    return 0;
  }
  return RunScriptText(text, name, quiet);
}
