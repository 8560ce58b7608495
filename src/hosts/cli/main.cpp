// wirebinder: the module without a window. Every subcommand runs the real
// module through a scripted session; `script` runs a recorded one.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "hosts/cli/batch.h"
#include "hosts/cli/session.h"
#include "hosts/cli/terminal_output.h"
#include "platform/dialogs/message_box.h"
#include "platform/fs/file_system.h"
#include "platform/host/worker_threads.h"
#ifdef WB_WITH_PAPER
#include "paper/plot.h"
#include "paper/route_sheet_pages.h"
#include "platform/db/database.h"
#include "resources/string_table.h"
#endif

namespace {

using wb::cli::Script;
using wb::cli::ScriptError;

void PrintMessage(const wb::ui::ScriptedBackend::ShownMessage& m) {
  const unsigned icon = m.type & MB_ICONMASK;
  const char* kind = icon == MB_ICONINFORMATION ? "info" : (m.type & MB_TYPEMASK) == MB_YESNO ? "question" : "message";
  std::string text = wb::cli::MessageText(m);
  std::fprintf(stdout, "[%s] %s", kind, text.c_str());
  if ((m.type & MB_TYPEMASK) == MB_YESNO)
    std::fputs(m.answer == IDYES ? " -> yes" : " -> no", stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
}

// `after` runs with the session still loaded (the module's dialogs open).
int RunScriptText(const std::string& text, const std::string& name, bool quiet,
                  const std::function<int()>& after = {}) {
  ScriptError error;
  auto script = wb::cli::ParseScript(text, name, &error);
  if (!script) {
    std::fprintf(stderr, "wirebinder: %s\n", error.ToString().c_str());
    return 2;
  }
  wb::cli::TerminalOutput output(quiet);
  wb::cli::Session session(output);
  // Freeing a plant's millions of tags one by one takes a good part of a
  // second. Leak checkers would report the drawing left, so their builds
  // free it.
#ifndef __SANITIZE_ADDRESS__
  session.LeaveDrawingToExit();
#endif
  if (!quiet)
    session.SetMessageSink([&output](const wb::ui::ScriptedBackend::ShownMessage& m) {
      output.EndLine();
      PrintMessage(m);
    });
  if (!session.Run(*script)) {
    std::fprintf(stderr, "wirebinder: %s\n", session.error().ToString().c_str());
    return 1;
  }
  return after ? after() : 0;
}

// Paper options shared by plot and sheets.
struct PaperArgs {
  std::string output;
  std::string paper = "A4";
  bool portrait = false;
  bool lineWeights = false;
  int dpi = 0;
};

void AddPaperOptions(CLI::App* command, PaperArgs& args) {
  command->add_option("-o,--output", args.output, "the file to write")->required();
  command->add_option("--paper", args.paper, "A4 or A3 (default A4)")->check(CLI::IsMember({"A4", "A3", "a4", "a3"}));
  command->add_flag("--portrait", args.portrait, "portrait instead of landscape");
  command->add_flag("--lineweights", args.lineWeights, "draw lineweights (else hairlines)");
  command->add_option("--dpi", args.dpi, "resolution of a PNG (default 200)")->check(CLI::Range(20, 1200));
}

#ifdef WB_WITH_PAPER
wb::paper::PageSetup Setup(const PaperArgs& args) {
  wb::paper::PageSetup setup;
  setup.paper = *wb::paper::ParsePaper(args.paper);
  setup.landscape = !args.portrait;
  setup.lineWeights = args.lineWeights;
  setup.dpi = args.dpi;
  return setup;
}

int Plot(const std::string& drawing, const PaperArgs& args, const std::string& window, bool quiet) {
  wb::paper::PlotRequest request;
  request.output = args.output;
  request.setup = Setup(args);
  if (!window.empty()) {
    request.window = wb::paper::ParseWindow(window);
    if (!request.window) {
      std::fprintf(stderr, "wirebinder: --window %s: expected X1,Y1,X2,Y2 spanning an area\n", window.c_str());
      return 2;
    }
  }
  wb::db::Error error;
  auto database = wb::db::Database::Open(drawing, &error);
  if (!database) {
    std::fprintf(stderr, "wirebinder: %s\n", error.ToString().c_str());
    return 1;
  }
  wb::paper::EnsureGuiApplication();
  std::string problem;
  if (!wb::paper::PlotDrawing(*database, request, problem)) {
    std::fprintf(stderr, "wirebinder: %s\n", problem.c_str());
    return 1;
  }
  if (!quiet) std::printf("plotted %s to %s\n", drawing.c_str(), args.output.c_str());
  return 0;
}

// Runs with the project loaded in the main dialog.
int Sheets(const PaperArgs& args, const std::string& rowsText, bool quiet) {
  SheetProject project;
  if (!MainDialogProject(project)) {
    std::fprintf(stderr, "wirebinder: %s\n", wb::Utf16ToUtf8(LoadModuleString(135)).c_str());
    return 1;
  }
  std::vector<int> rows;
  std::string problem;
  if (!rowsText.empty() &&
      !ParseRowSelection(rowsText, static_cast<int>(project.list.rows.size()), rows, problem)) {
    std::fprintf(stderr, "wirebinder: --%s\n", problem.c_str());
    return 2;
  }
  wb::paper::EnsureGuiApplication();
  wb::paper::SheetRequest request;
  request.output = args.output;
  request.setup = Setup(args);
  if (!wb::paper::MakeRouteSheets(project, rows, request, problem)) {
    std::fprintf(stderr, "wirebinder: %s\n", problem.c_str());
    return 1;
  }
  if (!quiet) std::printf("wrote the route sheets to %s\n", args.output.c_str());
  return 0;
}
#endif

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

  PaperArgs plotArgs;
  std::string plotDrawing, plotWindow;
  auto* plotCmd = app.add_subcommand("plot", "draw the drawing on one page of PDF or PNG");
  plotCmd->add_option("drawing", plotDrawing, "DXF drawing")->required()->check(CLI::ExistingFile);
  AddPaperOptions(plotCmd, plotArgs);
  plotCmd->add_option("--window", plotWindow, "X1,Y1,X2,Y2: the part of the drawing (default: its extents)");

  wb::cli::ProjectLoad sheets;
  PaperArgs sheetArgs;
  std::string sheetRows;
  auto* sheetsCmd = app.add_subcommand("sheets", "write route sheets (PDF): a summary and one page per routed cable");
  AddProjectOptions(sheetsCmd, sheets, startRow);
  AddPaperOptions(sheetsCmd, sheetArgs);
  sheetsCmd->add_option("--rows", sheetRows, "rows of the list, e.g. 1,4-9 (default: all)");

  std::string scriptPath;
  auto* scriptCmd = app.add_subcommand("script", "run a recorded session (see docs/cli.md)");
  scriptCmd->add_option("file", scriptPath, "session script")->required()->check(CLI::ExistingFile);

  CLI11_PARSE(app, argc, argv);
  if (jobs > 0) wb::SetWorkerThreads(jobs);

  std::string text;
  std::string name = "<" + app.get_subcommands().front()->get_name() + ">";
  std::function<int()> after;
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
  } else if (*plotCmd || *sheetsCmd) {
#ifdef WB_WITH_PAPER
    if (*plotCmd) return Plot(plotDrawing, plotArgs, plotWindow, quiet);
    finishProject(sheets);
    absolute(sheetArgs.output);
    text = wb::cli::LoadProjectScript(sheets);
    after = [&] { return Sheets(sheetArgs, sheetRows, quiet); };
#else
    std::fprintf(stderr, "wirebinder: %s needs a build with Qt (cmake -DWB_DESKTOP=ON)\n", name.c_str());
    return 1;
#endif
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
  return RunScriptText(text, name, quiet, after);
}
