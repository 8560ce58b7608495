// The session script of the command-line host: one step a line, the way a
// user would work the module by hand — open a drawing, run commands, click
// in dialogs, answer questions, pick in the drawing, save.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wb::cli {

struct ScriptStep {
  int line = 0;                    // 1-based line in the script
  std::string verb;                // "open", "command", "dialog", "click", ...
  std::vector<std::string> args;   // UTF-8, quotes removed
  std::vector<ScriptStep> body;    // the actions of a "dialog" block
};

struct Script {
  std::string file;  // for messages
  std::vector<ScriptStep> steps;
};

// How a verb may be used: its number of arguments and where it may stand.
struct VerbShape {
  size_t minArgs;
  size_t maxArgs;
  bool inDialog;    // allowed inside a dialog block
  bool atTopLevel;  // allowed outside one
};

// The shape of a verb, from the session's table of steps (so that a new
// step is one entry there); null for an unknown verb.
const VerbShape* FindVerb(std::string_view verb);

struct ScriptError {
  std::string file;
  int line = 0;
  std::string message;
  // What failed in the user's terms, as the script named it ("on-failure"):
  // reported instead of the script's file and line.
  std::string failing;
  std::string ToString() const;
};

// Blank lines and lines starting with '#' are skipped. Arguments are split at
// blanks; "double quotes" keep blanks, with \" and \\ inside, and a
// backslash that ends a line inside quotes stands for a line break.
std::optional<Script> ParseScript(const std::string& text, const std::string& file,
                                  ScriptError* error);

// Quotes an argument for a script line when it needs it.
std::string QuoteArg(const std::string& arg);

}  // namespace wb::cli
