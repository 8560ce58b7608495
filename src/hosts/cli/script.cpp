#include "hosts/cli/script.h"

#include <sstream>

namespace wb::cli {
namespace {

// `continues` is set when a quoted argument goes on past the end of `line`.
bool Split(const std::string& line, std::vector<std::string>& words, std::string& problem,
           bool& continues) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        if (line[i] == '\\' && i + 1 < line.size() &&
            (line[i + 1] == '"' || line[i + 1] == '\\' || line[i + 1] == '\n')) {
          word += line[i + 1];
          i += 2;
        } else if (line[i] == '"') {
          closed = true;
          ++i;
          break;
        } else {
          continues = line[i] == '\\' && i + 1 == line.size();
          word += line[i++];
        }
      }
      if (!closed) {
        problem = "a quoted argument is not closed";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
    }
    words.push_back(word);
  }
  return true;
}

}  // namespace

std::string ScriptError::ToString() const {
  if (!failing.empty()) return failing + ": " + message;
  std::ostringstream out;
  out << file << ':' << line << ": " << message;
  return out.str();
}

std::optional<Script> ParseScript(const std::string& text, const std::string& file,
                                  ScriptError* error) {
  Script script{file, {}};
  ScriptStep* block = nullptr;
  auto fail = [&](int line, const std::string& message) -> std::optional<Script> {
    if (error) *error = {file, line, message, {}};
    return std::nullopt;
  };
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  auto next = [&](std::string& line) {
    if (!std::getline(in, line)) return false;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  };
  while (next(raw)) {
    const int first = lineNo;
    if (lineNo == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);
    std::vector<std::string> words;
    std::string problem, more;
    bool continues = false;
    while (!Split(raw, words, problem, continues)) {
      if (!continues || !next(more)) return fail(first, problem);
      raw += "\n" + more;
      words.clear();
      continues = false;
    }
    if (words.empty() || words[0][0] == '#') continue;
    ScriptStep step{first, words[0], {words.begin() + 1, words.end()}, {}};
    if (step.verb == "end") {
      if (!block) return fail(lineNo, "\"end\" without a \"dialog\" block");
      if (!step.args.empty()) return fail(lineNo, "\"end\" takes no arguments");
      block = nullptr;
      continue;
    }
    const VerbShape* found = FindVerb(step.verb);
    if (!found) return fail(lineNo, "unknown step \"" + step.verb + "\"");
    const VerbShape& shape = *found;
    if (block && !shape.inDialog)
      return fail(lineNo, "\"" + step.verb + "\" cannot stand inside a \"dialog\" block (missing \"end\"?)");
    if (!block && !shape.atTopLevel)
      return fail(lineNo, "\"" + step.verb + "\" belongs inside a \"dialog\" block");
    if (step.args.size() < shape.minArgs || step.args.size() > shape.maxArgs)
      return fail(lineNo, "wrong number of arguments for \"" + step.verb + "\"");
    if (block) {
      block->body.push_back(std::move(step));
    } else {
      script.steps.push_back(std::move(step));
      if (script.steps.back().verb == "dialog") block = &script.steps.back();
    }
  }
  if (block) return fail(block->line, "\"dialog\" block without \"end\"");
  return script;
}

std::string QuoteArg(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"\\#\r\n") == std::string::npos) return arg;
  std::string out = "\"";
  for (char c : arg) {
    // A line break would end the step: the parser joins a line ending in a
    // backslash with the next.
    if (c == '"' || c == '\\' || c == '\n') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace wb::cli
