// The command line under the drawing: an output area the host prints to and
// one input line. Typed text goes to the handler; a prompt (point, entity,
// keyword) can take the input line over with SetPrompt. As in CAD programs:
// Up and Down walk the lines typed before, Enter on an empty line repeats the
// last command (not inside a prompt, where it answers "none"), and command
// names complete as they are typed.
#pragma once

#include <QWidget>
#include <functional>

#include "platform/editor/document.h"

class QCompleter;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QStatusBar;

namespace wb::desktop {

class CommandLine : public QWidget {
  Q_OBJECT

 public:
  explicit CommandLine(QWidget* parent = nullptr);

  void SetHandler(std::function<void(const QString&)> handler) { handler_ = std::move(handler); }
  const std::function<void(const QString&)>& handler() const { return handler_; }
  // Text as the host prints it: no line break is added.
  void Print(const QString& text);
  // A line of the window's own (an echo, a report): on a fresh line even
  // after text the module left open, and ended.
  void PrintLine(const QString& line);
  QString output() const;
  void SetPrompt(const QString& prompt);  // empty: "Command:"
  QLineEdit* input() const { return input_; }
  // What pressing Enter in the input line does.
  void Submit();
  // Keys typed elsewhere (the drawing view) continue the input line.
  void Type(const QString& text);
  // The names completion offers.
  void SetCommandNames(const QStringList& names);
  // The last command started from the command line or a menu that keeps a
  // history (whoever runs a command says so); Enter on an empty line runs
  // it again.
  const QString& lastCommand() const { return lastCommand_; }
  void SetLastCommand(const QString& command) { lastCommand_ = command; }
  const QStringList& history() const { return history_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPlainTextEdit* output_;
  QLabel* prompt_;
  QLineEdit* input_;
  QCompleter* completer_ = nullptr;
  std::function<void(const QString&)> handler_;
  bool inPrompt_ = false;
  bool midLine_ = false;  // the output's last line is not ended
  QString lastCommand_;
  QStringList history_;
  int historyAt_ = 0;  // history_.size() while not browsing
};

// Where the platform's command-line text and progress meter go while the
// desktop host runs.
class DesktopOutput : public editor::HostOutput {
 public:
  DesktopOutput(CommandLine* commandLine, QStatusBar* statusBar);
  ~DesktopOutput() override;
  void Print(const WString& text) override;
  void ProgressStart(const WString& label, int min, int max) override;
  void ProgressPos(int pos) override;
  void ProgressEnd() override;
  QProgressBar* progressBar() const { return bar_; }
  QLabel* progressLabel() const { return label_; }

 private:
  CommandLine* commandLine_;
  QLabel* label_;
  QProgressBar* bar_;
  editor::HostOutput* previous_;
};

}  // namespace wb::desktop
