#include "hosts/desktop/command_line.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace wb::desktop {

CommandLine::CommandLine(QWidget* parent) : QWidget(parent) {
  output_ = new QPlainTextEdit(this);
  output_->setReadOnly(true);
  output_->setMaximumBlockCount(2000);
  output_->setFocusPolicy(Qt::NoFocus);
  prompt_ = new QLabel(this);
  input_ = new QLineEdit(this);
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(prompt_);
  row->addWidget(input_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  layout->addWidget(output_, 1);
  layout->addLayout(row);
  SetPrompt({});
  connect(input_, &QLineEdit::returnPressed, this, &CommandLine::Submit);
  input_->installEventFilter(this);
}

namespace {
constexpr int kHistoryLines = 200;
}

void CommandLine::SetCommandNames(const QStringList& names) {
  delete completer_;
  completer_ = new QCompleter(names, this);
  completer_->setCaseSensitivity(Qt::CaseInsensitive);
  completer_->setCompletionMode(QCompleter::PopupCompletion);
  input_->setCompleter(completer_);
}

void CommandLine::Type(const QString& text) {
  input_->setFocus(Qt::OtherFocusReason);
  input_->insert(text);
}

bool CommandLine::eventFilter(QObject* watched, QEvent* event) {
  if (watched != input_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if ((key != Qt::Key_Up && key != Qt::Key_Down) || history_.isEmpty()) return false;
  if (completer_ && completer_->popup() && completer_->popup()->isVisible()) return false;
  historyAt_ = std::clamp(historyAt_ + (key == Qt::Key_Up ? -1 : 1), 0, static_cast<int>(history_.size()));
  input_->setText(historyAt_ < history_.size() ? history_[historyAt_] : QString());
  return true;
}

void CommandLine::Print(const QString& text) {
  QTextCursor cursor = output_->textCursor();
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(text);
  output_->setTextCursor(cursor);
  output_->verticalScrollBar()->setValue(output_->verticalScrollBar()->maximum());
  if (!text.isEmpty()) midLine_ = !text.endsWith(QLatin1Char('\n'));
}

void CommandLine::PrintLine(const QString& line) {
  Print((midLine_ ? QStringLiteral("\n") : QString()) + line + QLatin1Char('\n'));
}

QString CommandLine::output() const { return output_->toPlainText(); }

void CommandLine::SetPrompt(const QString& prompt) {
  inPrompt_ = !prompt.isEmpty();
  prompt_->setText(prompt.isEmpty() ? QStringLiteral("コマンド:") : prompt);
}

void CommandLine::Submit() {
  QString text = input_->text().trimmed();
  input_->clear();
  if (text.isEmpty() && !inPrompt_) text = lastCommand_;
  if (!text.isEmpty() && (history_.isEmpty() || history_.back() != text)) {
    history_.push_back(text);
    if (history_.size() > kHistoryLines) history_.removeFirst();
  }
  historyAt_ = static_cast<int>(history_.size());
  PrintLine(prompt_->text() + (text.isEmpty() ? QString() : QStringLiteral(" ") + text));
  if (handler_) handler_(text);
}

DesktopOutput::DesktopOutput(CommandLine* commandLine, QStatusBar* statusBar) : commandLine_(commandLine) {
  label_ = new QLabel(statusBar);
  bar_ = new QProgressBar(statusBar);
  bar_->setMaximumWidth(240);
  statusBar->addPermanentWidget(label_);
  statusBar->addPermanentWidget(bar_);
  label_->hide();
  bar_->hide();
  previous_ = editor::SetHostOutput(this);
}

DesktopOutput::~DesktopOutput() { editor::SetHostOutput(previous_); }

void DesktopOutput::Print(const WString& text) { commandLine_->Print(QString::fromStdU16String(text)); }

void DesktopOutput::ProgressStart(const WString& label, int min, int max) {
  label_->setText(QString::fromStdU16String(label));
  bar_->setRange(min, max);
  bar_->setValue(min);
  label_->show();
  bar_->show();
  label_->repaint();
}

void DesktopOutput::ProgressPos(int pos) {
  if (pos == bar_->value()) return;
  bar_->setValue(pos);
  // The module's long loops keep the event loop waiting: paint now.
  bar_->repaint();
}

void DesktopOutput::ProgressEnd() {
  bar_->hide();
  label_->hide();
  label_->clear();
}

}  // namespace wb::desktop
