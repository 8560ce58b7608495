#include "hosts/cli/session.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string_view>

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
  if (leaveDrawing_)
    (void)editor::ReleaseActiveDatabase().release();
  else
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

std::string MessageText(const ui::ScriptedBackend::ShownMessage& message) {
  const std::string text = Utf16ToUtf8(message.text);
  return message.caption.empty() ? text : Utf16ToUtf8(message.caption) + ": " + text;
}

bool Session::Fail(const ScriptStep& step, const std::string& message) {
  return Report(step.line, message, failing_);
}

bool Session::Report(int line, const std::string& message, const std::string& failing) {
  if (error_.message.empty()) error_ = {file_, line, message, failing};
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
  // A user cannot press what is not shown, nor anything in it.
  if (!dialog.IsWindowVisible()) {
    problem = "dialog " + std::to_string(dialog.templateId()) + " is hidden";
    return false;
  }
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
      if (!dialog || !DialogAction(*dialog, action, problem)) Report(action.line, problem, failing_);
    });
    return true;
  }
  if (what == "save" && args.size() == 2) {
    const std::string path = args[1];
    const int line = step.line;
    prompts_.Do([this, path, line] {
      db::Error error;
      db::Database* database = editor::ActiveDatabase();
      if (!database || !database->Save(path, &error))
        Report(line, database ? error.ToString() : "no drawing is open", failing_);
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

// One handler a step verb; each returns false after Fail().
struct Session::Steps {
  static bool Open(Session& s, const ScriptStep& step) {
    db::Error error;
    auto database = db::Database::Open(step.args[0], &error);
    if (!database) return s.Fail(step, error.ToString());
    editor::SetActiveDatabase(std::move(database));
    s.drawingPath_ = step.args[0];
    return true;
  }

  static bool Save(Session& s, const ScriptStep& step) {
    // A script whose answers were not all used went differently than its
    // author meant: keep the file as it was.
    if (!s.backend_.Idle() || !s.prompts_.Idle() || s.drag_.Remaining() != 0)
      return s.Fail(step, "not saved: the script prepared dialog actions, answers, picks or files that were never used");
    db::Database* database = editor::ActiveDatabase();
    if (!database) return s.Fail(step, "no drawing is open");
    const std::string path = step.args.empty() ? s.drawingPath_ : step.args[0];
    db::Error error;
    if (!database->Save(path, &error)) return s.Fail(step, error.ToString());
    return true;
  }

  static bool Config(Session& s, const ScriptStep& step) {
    if (!s.UseConfigCopy(step)) return false;
    QzComn_writeConfig(u"WireBinder", Utf8ToUtf16(step.args[0]), Utf8ToUtf16(step.args[1]), u"");
    return true;
  }

  static bool SystemFolder(Session& s, const ScriptStep& step) {
    // The maker's environment profile names the system folder that the
    // project folder setting is relative to; the session uses its own.
    if (s.envCopy_.empty() && !s.MakeTempFile(step, s.envCopy_)) return false;
    std::string error;
    const WString folder = Utf8ToUtf16(step.args[0]);
    if (!profile::WriteString(Utf8ToUtf16(s.envCopy_), LoadModuleString(101), LoadModuleString(102),
                              &folder, &error))
      return s.Fail(step, "cannot write the environment profile: " + error);
    QzComn_SetEnvFile(Utf8ToUtf16(s.envCopy_));
    return true;
  }

  static bool Command(Session& s, const ScriptStep& step) {
    const WString name = Utf8ToUtf16(step.args[0]);
    if (hosts::RunHostCommand(name)) return s.Problems(step);
    editor::CommandScope scope(name);
    if (!editor::CommandStack::Instance().Run(name)) return s.Fail(step, "unknown command " + step.args[0]);
    return s.RunCommandQueue(step);
  }

  static bool Dialog(Session& s, const ScriptStep& step) {
    int id = 0;
    if (!ParseInt(step.args[0], id)) return s.Fail(step, "\"" + step.args[0] + "\" is not a dialog ID");
    // The actions run when the module opens the dialog; a failing action
    // is reported against its own line, under the name the block was given.
    s.backend_.ExpectModal(id, [&s, body = step.body, failing = s.failing_](ui::Dialog& dialog) {
      for (const auto& action : body) {
        std::string problem;
        if (!s.DialogAction(dialog, action, problem)) {
          s.Report(action.line, problem, failing);
          dialog.Close();
          return;
        }
        if (dialog.ended()) return;
      }
    });
    return true;
  }

  static bool In(Session& s, const ScriptStep& step) {
    const auto& args = step.args;
    int id = 0;
    if (!ParseInt(args[0], id)) return s.Fail(step, "\"" + args[0] + "\" is not a dialog ID");
    ui::Dialog* dialog = s.backend_.FindModeless(id);
    if (!dialog) return s.Fail(step, "dialog " + args[0] + " is not open");
    ScriptStep action{step.line, args[1], {args.begin() + 2, args.end()}, {}};
    std::string problem;
    if (action.args.empty() && action.verb != "close")
      return s.Fail(step, "\"in\" needs an action and a control");
    if (!s.DialogAction(*dialog, action, problem)) return s.Fail(step, problem);
    return s.RunCommandQueue(step);
  }

  static bool File(Session& s, const ScriptStep& step) {
    const std::string& answer = step.args[0];
    s.backend_.AnswerFileOpen(answer == "cancel" ? std::nullopt
                                                 : std::optional<WString>(Utf8ToUtf16(answer)));
    return true;
  }

  static bool Answer(Session& s, const ScriptStep& step) {
    static const std::pair<const char*, int> kAnswers[] = {
        {"yes", IDYES}, {"no", IDNO}, {"ok", IDOK}, {"cancel", IDCANCEL}};
    for (const auto& [word, code] : kAnswers) {
      if (step.args[0] == word) {
        s.backend_.AnswerMessageBox(code);
        return true;
      }
    }
    return s.Fail(step, "answer takes yes, no, ok or cancel");
  }

  static bool Expect(Session& s, const ScriptStep& step) {
    int id = 0;
    if (!ParseInt(step.args[0], id)) return s.Fail(step, "expect takes a message number");
    const auto& shown = s.backend_.messages();
    const WString wanted = LoadModuleString(id);
    if (!shown.empty() && shown.back().text == wanted) return true;
    // Under the user's name of the step, what the module said is the reason.
    if (!s.failing_.empty())
      return s.Fail(step, shown.empty()                  ? "no message"
                          : shown.back().caption.empty() ? Utf16ToUtf8(shown.back().text)
                                                         : Utf16ToUtf8(shown.back().caption));
    const std::string last = shown.empty() ? "no message" : "\"" + MessageText(shown.back()) + "\"";
    return s.Fail(step, "expected message " + step.args[0] + " \"" + Utf16ToUtf8(wanted) +
                            "\", but the last one shown was " + last);
  }

  static bool Pick(Session& s, const ScriptStep& step) {
    AcGePoint3d point;
    if (ParsePoint(step.args[0], point)) {
      s.prompts_.Point(point);
    } else if (!db::Database::FromHandleText(step.args[0]).isNull()) {
      s.prompts_.Handle(step.args[0]);
    } else {
      return s.Fail(step, "pick takes a handle or a point x,y");
    }
    return true;
  }

  static bool Point(Session& s, const ScriptStep& step) {
    AcGePoint3d point;
    if (!ParsePoint(step.args[0], point)) return s.Fail(step, "point takes x,y or x,y,z");
    s.prompts_.Point(point);
    return true;
  }

  static bool Show(Session& s, const ScriptStep& step) {
    // What the user sees in a list of an open dialog, in header order.
    int id = 0;
    ui::Dialog* dialog = s.backend_.FindModeless(IDD_MAIN);
    if (!ParseInt(step.args[0], id) || !dialog || !dialog->HasItem(id) ||
        dialog->Item(id).kind() != ui::ControlKind::kListView)
      return s.Fail(step, "show takes the ID of a list of the main dialog");
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
    s.output_.Print(text);
    return true;
  }

  static bool Color(Session& s, const ScriptStep& step) {
    int index = 0;
    if (step.args[0] == "cancel") {
      s.backend_.AnswerColorDialog(std::nullopt);
    } else if (ParseInt(step.args[0], index) && index >= 0 && index <= 256) {
      s.backend_.AnswerColorDialog(index);
    } else {
      return s.Fail(step, "color takes a colour number from 0 to 256 (256: by layer), or cancel");
    }
    return true;
  }

  static bool Unanswered(Session& s, const ScriptStep& step) {
    const std::string& what = step.args[0];
    if (what != "cancel" && what != "fail") return s.Fail(step, "unanswered takes cancel or fail");
    s.prompts_.set_escape_when_out(what == "cancel");
    return true;
  }

  static bool Objects(Session& s, const ScriptStep& step) {
    AcDbObjectIdArray ids;
    for (const auto& handle : Split(Utf8ToUtf16(step.args[0]), u",")) {
      const db::ObjectId id = db::Database::FromHandleText(Utf16ToUtf8(handle));
      if (id.isNull()) return s.Fail(step, "objects takes handles separated by commas");
      ids.push_back(id);
    }
    s.prompts_.Select(std::move(ids));
    return true;
  }

  static bool Enter(Session& s, const ScriptStep&) {
    s.prompts_.Enter();
    return true;
  }

  static bool Cancel(Session& s, const ScriptStep&) {
    s.prompts_.Cancel();
    return true;
  }

  static bool Drag(Session& s, const ScriptStep& step) {
    const auto& args = step.args;
    AcGePoint3d point;
    if (args[0] == "cancel" && args.size() == 1) {
      s.drag_.Cancel();
    } else if (args.size() == 1 && ParsePoint(args[0], point)) {
      s.drag_.Pick(point);
    } else if (args.size() == 2 && args[0] == "move" && ParsePoint(args[1], point)) {
      s.drag_.Move(point);
    } else {
      return s.Fail(step, "drag takes x,y (a pick), move x,y, or cancel");
    }
    return true;
  }

  static bool Meanwhile(Session& s, const ScriptStep& step) { return s.Meanwhile(step); }

  static bool OnFailure(Session& s, const ScriptStep& step) {
    s.failing_ = step.args[0];
    return true;
  }

  // Every verb a script may use: its arguments, where it may stand, and the
  // handler of a top-level step (none for an action inside a dialog block).
  struct Entry {
    VerbShape shape;
    bool (*run)(Session&, const ScriptStep&);
  };
  static const std::map<std::string, Entry, std::less<>>& Table() {
    static const std::map<std::string, Entry, std::less<>> table{
        {"open", {{1, 1, false, true}, Open}},
        {"save", {{0, 1, false, true}, Save}},
        {"config", {{2, 2, false, true}, Config}},
        {"system-folder", {{1, 1, false, true}, SystemFolder}},
        {"command", {{1, 1, false, true}, Command}},
        {"dialog", {{1, 1, false, true}, Dialog}},
        {"in", {{2, 4, false, true}, In}},
        {"file", {{1, 1, false, true}, File}},
        {"answer", {{1, 1, false, true}, Answer}},
        {"expect", {{1, 1, false, true}, Expect}},
        {"pick", {{1, 1, false, true}, Pick}},
        {"point", {{1, 1, false, true}, Point}},
        {"show", {{1, 1, false, true}, Show}},
        {"color", {{1, 1, false, true}, Color}},
        {"unanswered", {{1, 1, false, true}, Unanswered}},
        {"objects", {{1, 1, false, true}, Objects}},
        {"enter", {{0, 0, false, true}, Enter}},
        {"cancel", {{0, 0, false, true}, Cancel}},
        {"drag", {{1, 2, false, true}, Drag}},
        {"meanwhile", {{1, 6, false, true}, Meanwhile}},
        {"on-failure", {{1, 1, false, true}, OnFailure}},
        {"click", {{1, 1, true, false}, nullptr}},
        {"type", {{2, 2, true, false}, nullptr}},
        {"select", {{2, 2, true, false}, nullptr}},
        {"check", {{2, 2, true, false}, nullptr}},
        {"row", {{2, 2, true, false}, nullptr}},
        {"item", {{2, 2, true, false}, nullptr}},
        {"columns", {{2, 2, true, false}, nullptr}},
        {"close", {{0, 0, true, false}, nullptr}},
    };
    return table;
  }
};

const VerbShape* FindVerb(std::string_view verb) {
  const auto& table = Session::Steps::Table();
  const auto found = table.find(verb);
  return found == table.end() ? nullptr : &found->second.shape;
}

bool Session::Step(const ScriptStep& step) {
  const auto& table = Steps::Table();
  const auto found = table.find(step.verb);
  if (found == table.end() || !found->second.run)
    return Fail(step, "\"" + step.verb + "\" is not available in this build");
  return found->second.run(*this, step);
}

}  // namespace wb::cli
