#include "hosts/cli/session.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include <optional>

#include "app/command_table.h"
#include "hosts/common/host_commands.h"
#include "platform/db/database.h"
#include "platform/dialogs/message_box.h"
#include "platform/editor/command_queue.h"
#include "platform/editor/undo.h"
#include "platform/fs/file_system.h"
#include "platform/profile/profile_file.h"
#include "platform/qzcomn/config/qzcomn_config.h"
#include "resources/dialog_templates.h"
#include "resources/string_table.h"
#include "settings/cable_setting.h"

namespace wb::cli {
namespace {

// "x,y" or "x,y,z" in drawing units.
bool ParsePoint(const std::string& text, AcGePoint3d& point) {
  const auto parts = Split(Utf8ToUtf16(text), u",");
  if (parts.size() < 2 || parts.size() > 3) return false;
  double v[3] = {0, 0, 0};
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string part = Utf16ToUtf8(parts[i]);
    char* end = nullptr;
    v[i] = std::strtod(part.c_str(), &end);
    if (part.empty() || *end) return false;
  }
  point = {v[0], v[1], v[2]};
  return true;
}

bool ParseInt(const std::string& text, int& value) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

Session::Session(editor::HostOutput& output) : output_(output) {
  previousOutput_ = editor::SetHostOutput(&output_);
  previousBackend_ = ui::SetBackend(&backend_);
  previousPrompts_ = editor::SetPromptBackend(&prompts_);
  previousDrag_ = editor::SetDragBackend(&drag_);
  acrxEntryPoint(kInitAppMsg, nullptr);
}

Session::~Session() {
  acrxEntryPoint(kUnloadAppMsg, nullptr);
  editor::CommandStack::Instance().ClearQueue();
  editor::SetActiveDatabase(nullptr);
  ui::SetBackend(previousBackend_);
  editor::SetPromptBackend(previousPrompts_);
  editor::SetDragBackend(previousDrag_);
  editor::SetHostOutput(previousOutput_);
  std::error_code ignored;
  if (!configCopy_.empty()) {
    std::filesystem::remove(configCopy_, ignored);
    QzComn_SetConfigFile(u"");
  }
  if (!envCopy_.empty()) {
    std::filesystem::remove(envCopy_, ignored);
    QzComn_SetEnvFile(u"");
  }
}

bool Session::Run(const Script& script) {
  file_ = script.file;
  for (const auto& step : script.steps)
    if (!Step(step)) return false;
  if (!backend_.Idle() || !prompts_.Idle() || drag_.Remaining() != 0) {
    ScriptStep last{script.steps.empty() ? 0 : script.steps.back().line, "", {}, {}};
    return Fail(last, "the script prepared dialog actions, answers, picks or files that were never used");
  }
  return true;
}

bool Session::Fail(const ScriptStep& step, const std::string& message) {
  error_ = {file_, step.line, message};
  return false;
}

bool Session::RunCommandQueue(const ScriptStep& step) {
  auto& stack = editor::CommandStack::Instance();
  // Commands a dialog queued are one undo step, as one typed command is.
  std::optional<editor::CommandScope> scope;
  while (stack.HasQueued()) {
    const WString line = stack.TakeQueued();
    if (!scope) scope.emplace(line);
    if (!stack.Run(line)) return Fail(step, "unknown command " + Utf16ToUtf8(line));
  }
  return Problems(step);
}

bool Session::Problems(const ScriptStep& step) {
  if (!error_.message.empty()) return false;
  if (!backend_.problems().empty()) return Fail(step, Utf16ToUtf8(backend_.problems().front()));
  if (!prompts_.problems().empty()) return Fail(step, Utf16ToUtf8(prompts_.problems().front()));
  return true;
}

bool Session::MakeTempFile(const ScriptStep& step, std::string& path) {
  std::string name = (std::filesystem::temp_directory_path() / "wirebinder-XXXXXX").string();
  const int fd = mkstemp(name.data());
  if (fd < 0) return Fail(step, "cannot create a temporary file");
  close(fd);
  path = name;
  return true;
}

bool Session::UseConfigCopy(const ScriptStep& step) {
  if (!configCopy_.empty()) return true;
  // Settings changed for one session never touch the user's own file.
  const std::string user = fs::ToNative(QzComn_ConfigFile());
  if (!MakeTempFile(step, configCopy_)) return false;
  if (auto bytes = fs::ReadFile(user)) {
    std::string error;
    if (!fs::WriteFileAtomically(configCopy_, *bytes, &error))
      return Fail(step, "cannot copy the configuration: " + error);
  }
  QzComn_SetConfigFile(Utf8ToUtf16(configCopy_));
  return true;
}

bool Session::DialogAction(ui::Dialog& dialog, const ScriptStep& action, std::string& problem) {
  const std::string& verb = action.verb;
  if (verb == "close") {
    dialog.Close();
    return true;
  }
  int id = 0;
  if (!ParseInt(action.args[0], id)) {
    problem = "\"" + action.args[0] + "\" is not a control ID";
    return false;
  }
  if (!dialog.HasItem(id) && id != ui::IDOK && id != ui::IDCANCEL) {
    problem = "dialog " + std::to_string(dialog.templateId()) + " has no control " +
              std::to_string(id);
    return false;
  }
  if (dialog.HasItem(id) && !dialog.Item(id).visible()) {
    problem = "control " + std::to_string(id) + " of dialog " + std::to_string(dialog.templateId()) +
              " is hidden";
    return false;
  }
  if (dialog.HasItem(id) && !dialog.Item(id).enabled()) {
    problem = "control " + std::to_string(id) + " of dialog " + std::to_string(dialog.templateId()) +
              " is disabled";
    return false;
  }
  bool done = false;
  if (verb == "click") {
    done = dialog.Click(id);
  } else if (verb == "type") {
    done = dialog.TypeText(id, Utf8ToUtf16(action.args[1]));
  } else if (verb == "select") {
    const int index = dialog.Item(id).FindStringExact(-1, Utf8ToUtf16(action.args[1]));
    if (index < 0) {
      problem = "control " + std::to_string(id) + " has no entry \"" + action.args[1] + "\"";
      return false;
    }
    done = dialog.SelectComboItem(id, index);
  } else if (verb == "check") {
    const bool want = action.args[1] == "on";
    if (action.args[1] != "on" && action.args[1] != "off") {
      problem = "check takes on or off";
      return false;
    }
    done = dialog.IsDlgButtonChecked(id) == want || dialog.Click(id);
  } else if (verb == "row") {
    int row = 0;
    if (!ParseInt(action.args[1], row)) {
      problem = "\"" + action.args[1] + "\" is not a row number";
      return false;
    }
    done = dialog.SelectListItem(id, row - 1);
  } else if (verb == "item") {
    // The first row whose leading columns read as the '/'-separated texts.
    const auto wanted = Split(Utf8ToUtf16(action.args[1]), u"/");
    const ui::Control& list = dialog.Item(id);
    int found = -1;
    for (int row = 0; row < list.GetItemCount() && found < 0; ++row) {
      bool same = true;
      for (size_t c = 0; c < wanted.size() && same; ++c)
        same = list.GetItemText(row, static_cast<int>(c)) == wanted[c];
      if (same) found = row;
    }
    if (found < 0) {
      problem = "list " + std::to_string(id) + " has no row \"" + action.args[1] + "\"";
      return false;
    }
    done = dialog.SelectListItem(id, found);
  } else if (verb == "columns") {
    std::vector<int> order;
    for (const auto& part : Split(Utf8ToUtf16(action.args[1]), u",")) {
      int v = 0;
      if (!ParseInt(Utf16ToUtf8(part), v)) {
        problem = "columns takes a list like 1,3,2";
        return false;
      }
      order.push_back(v - 1);
    }
    done = dialog.DragColumns(id, order);
  }
  if (!done) problem = verb + " on control " + std::to_string(id) + " was not possible (hidden, disabled or wrong kind)";
  return done;
}

// Something done while the next prompt waits: an action in a modeless
// dialog (a command it queues ends the prompt), a snapshot of the drawing
// as it is shown, or a report of what is highlighted.
bool Session::Meanwhile(const ScriptStep& step) {
  const auto& args = step.args;
  const std::string& what = args[0];
  if (what == "in" && args.size() >= 3) {
    int id = 0;
    if (!ParseInt(args[1], id)) return Fail(step, "\"" + args[1] + "\" is not a dialog ID");
    ScriptStep action{step.line, args[2], {args.begin() + 3, args.end()}, {}};
    prompts_.Do([this, id, action] {
      ui::Dialog* dialog = backend_.FindModeless(id);
      std::string problem = "dialog " + std::to_string(id) + " is not open";
      if (!dialog || !DialogAction(*dialog, action, problem)) {
        if (error_.message.empty()) error_ = {file_, action.line, problem};
      }
    });
    return true;
  }
  if (what == "save" && args.size() == 2) {
    const std::string path = args[1];
    const int line = step.line;
    prompts_.Do([this, path, line] {
      db::Error error;
      db::Database* database = editor::ActiveDatabase();
      if ((!database || !database->Save(path, &error)) && error_.message.empty())
        error_ = {file_, line, database ? error.ToString() : "no drawing is open"};
    });
    return true;
  }
  if (what == "highlighted" && args.size() == 1) {
    prompts_.Do([this] {
      db::Database* database = editor::ActiveDatabase();
      if (!database) return;
      const int color = g_cableSetting.confirmColor;
      const int weight = g_cableSetting.confirmLineWeight;
      for (db::ObjectId id : database->ModelSpaceEntities()) {
        if (database->Color(id) != color || database->LineWeight(id) != weight) continue;
        const auto insert = database->Insert(id);
        output_.Print(Utf8ToUtf16("highlighted " + db::Database::HandleText(id) + " " +
                                  (insert ? insert->blockName : database->EntityType(id)) + "\n"));
      }
    });
    return true;
  }
  return Fail(step, "meanwhile takes: in DIALOG ACTION..., save FILE, or highlighted");
}

bool Session::Step(const ScriptStep& step) {
  const std::string& verb = step.verb;
  const auto& args = step.args;
  if (verb == "open") {
    db::Error error;
    auto database = db::Database::Open(args[0], &error);
    if (!database) return Fail(step, error.ToString());
    editor::SetActiveDatabase(std::move(database));
    drawingPath_ = args[0];
    return true;
  }
  if (verb == "save") {
    // A script whose answers were not all used went differently than its
    // author meant: keep the file as it was.
    if (!backend_.Idle() || !prompts_.Idle() || drag_.Remaining() != 0)
      return Fail(step, "not saved: the script prepared dialog actions, answers, picks or files that were never used");
    db::Database* database = editor::ActiveDatabase();
    if (!database) return Fail(step, "no drawing is open");
    const std::string path = args.empty() ? drawingPath_ : args[0];
    db::Error error;
    if (!database->Save(path, &error)) return Fail(step, error.ToString());
    return true;
  }
  if (verb == "config") {
    if (!UseConfigCopy(step)) return false;
    QzComn_writeConfig(u"WireBinder", Utf8ToUtf16(args[0]), Utf8ToUtf16(args[1]), u"");
    return true;
  }
  if (verb == "system-folder") {
    // The maker's environment profile names the system folder that the
    // project folder setting is relative to; the session uses its own.
    if (envCopy_.empty() && !MakeTempFile(step, envCopy_)) return false;
    std::string error;
    const WString folder = Utf8ToUtf16(args[0]);
    if (!profile::WriteString(Utf8ToUtf16(envCopy_), LoadModuleString(101), LoadModuleString(102),
                              &folder, &error))
      return Fail(step, "cannot write the environment profile: " + error);
    QzComn_SetEnvFile(Utf8ToUtf16(envCopy_));
    return true;
  }
  if (verb == "command") {
    const WString name = Utf8ToUtf16(args[0]);
    if (hosts::RunHostCommand(name)) return Problems(step);
    editor::CommandScope scope(name);
    if (!editor::CommandStack::Instance().Run(name)) return Fail(step, "unknown command " + args[0]);
    return RunCommandQueue(step);
  }
  if (verb == "dialog") {
    int id = 0;
    if (!ParseInt(args[0], id)) return Fail(step, "\"" + args[0] + "\" is not a dialog ID");
    // The actions run when the module opens the dialog; a failing action
    // is reported against its own line.
    std::vector<ScriptStep> body = step.body;
    backend_.ExpectModal(id, [this, body](ui::Dialog& dialog) {
      for (const auto& action : body) {
        std::string problem;
        if (!DialogAction(dialog, action, problem)) {
          if (error_.message.empty()) error_ = {file_, action.line, problem};
          dialog.Close();
          return;
        }
        if (dialog.ended()) return;
      }
    });
    return true;
  }
  if (verb == "in") {
    int id = 0;
    if (!ParseInt(args[0], id)) return Fail(step, "\"" + args[0] + "\" is not a dialog ID");
    ui::Dialog* dialog = backend_.FindModeless(id);
    if (!dialog) return Fail(step, "dialog " + args[0] + " is not open");
    ScriptStep action{step.line, args[1], {args.begin() + 2, args.end()}, {}};
    std::string problem;
    if (action.args.empty() && action.verb != "close")
      return Fail(step, "\"in\" needs an action and a control");
    if (!DialogAction(*dialog, action, problem)) return Fail(step, problem);
    return RunCommandQueue(step);
  }
  if (verb == "file") {
    backend_.AnswerFileOpen(args[0] == "cancel" ? std::nullopt
                                                : std::optional<WString>(Utf8ToUtf16(args[0])));
    return true;
  }
  if (verb == "answer") {
    static const std::pair<const char*, int> kAnswers[] = {
        {"yes", IDYES}, {"no", IDNO}, {"ok", IDOK}, {"cancel", IDCANCEL}};
    for (const auto& [word, code] : kAnswers) {
      if (args[0] == word) {
        backend_.AnswerMessageBox(code);
        return true;
      }
    }
    return Fail(step, "answer takes yes, no, ok or cancel");
  }
  if (verb == "expect") {
    int id = 0;
    if (!ParseInt(args[0], id)) return Fail(step, "expect takes a message number");
    const auto& shown = backend_.messages();
    const WString wanted = LoadModuleString(id);
    if (shown.empty() || shown.back().text != wanted) {
      std::string last = shown.empty() ? "no message" : "\"" + Utf16ToUtf8(shown.back().text) + "\"";
      return Fail(step, "expected message " + args[0] + " \"" + Utf16ToUtf8(wanted) +
                            "\", but the last one shown was " + last);
    }
    return true;
  }
  if (verb == "pick" || verb == "point") {
    AcGePoint3d point;
    if (ParsePoint(args[0], point)) {
      prompts_.Point(point);
    } else if (verb == "pick" && !db::Database::FromHandleText(args[0]).isNull()) {
      prompts_.Handle(args[0]);
    } else {
      return Fail(step, verb == "pick" ? "pick takes a handle or a point x,y"
                                       : "point takes x,y or x,y,z");
    }
    return true;
  }
  if (verb == "show") {
    // What the user sees in a list of an open dialog, in header order.
    int id = 0;
    ui::Dialog* dialog = backend_.FindModeless(IDD_MAIN);
    if (!ParseInt(args[0], id) || !dialog || !dialog->HasItem(id) ||
        dialog->Item(id).kind() != ui::ControlKind::kListView)
      return Fail(step, "show takes the ID of a list of the main dialog");
    const ui::Control& list = dialog->Item(id);
    const std::vector<int> order = list.GetColumnOrderArray();  // always a permutation
    WString text;
    for (int c : order) text += (text.empty() ? u"" : u"\t") + list.columns()[c].title;
    text += u"\n";
    for (int row = 0; row < list.GetItemCount(); ++row) {
      WString line;
      for (size_t i = 0; i < order.size(); ++i)
        line += (i ? u"\t" : u"") + list.GetItemText(row, order[i]);
      text += line + u"\n";
    }
    output_.Print(text);
    return true;
  }
  if (verb == "color") {
    int index = 0;
    if (args[0] == "cancel") {
      backend_.AnswerColorDialog(std::nullopt);
    } else if (ParseInt(args[0], index) && index >= 0 && index <= 256) {
      backend_.AnswerColorDialog(index);
    } else {
      return Fail(step, "color takes a colour number from 0 to 256 (256: by layer), or cancel");
    }
    return true;
  }
  if (verb == "unanswered") {
    if (args[0] != "cancel" && args[0] != "fail") return Fail(step, "unanswered takes cancel or fail");
    prompts_.set_escape_when_out(args[0] == "cancel");
    return true;
  }
  if (verb == "objects") {
    AcDbObjectIdArray ids;
    for (const auto& handle : Split(Utf8ToUtf16(args[0]), u",")) {
      const db::ObjectId id = db::Database::FromHandleText(Utf16ToUtf8(handle));
      if (id.isNull()) return Fail(step, "objects takes handles separated by commas");
      ids.push_back(id);
    }
    prompts_.Select(std::move(ids));
    return true;
  }
  if (verb == "enter") {
    prompts_.Enter();
    return true;
  }
  if (verb == "cancel") {
    prompts_.Cancel();
    return true;
  }
  if (verb == "drag") {
    AcGePoint3d point;
    if (args[0] == "cancel" && args.size() == 1) {
      drag_.Cancel();
    } else if (args.size() == 1 && ParsePoint(args[0], point)) {
      drag_.Pick(point);
    } else if (args.size() == 2 && args[0] == "move" && ParsePoint(args[1], point)) {
      drag_.Move(point);
    } else {
      return Fail(step, "drag takes x,y (a pick), move x,y, or cancel");
    }
    return true;
  }
  if (verb == "meanwhile") return Meanwhile(step);
  return Fail(step, "\"" + verb + "\" is not available in this build");
}

}  // namespace wb::cli
