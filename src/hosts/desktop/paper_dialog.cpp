#include "hosts/desktop/paper_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace wb::desktop {
namespace {

// Two or more exclusive choices in a row; the first is checked.
QButtonGroup* Choices(QWidget* parent, QFormLayout* form, const QString& label,
                      std::initializer_list<QString> texts) {
  auto* group = new QButtonGroup(parent);
  auto* row = new QHBoxLayout;
  int id = 0;
  for (const QString& text : texts) {
    auto* button = new QRadioButton(text, parent);
    button->setChecked(id == 0);
    group->addButton(button, id++);
    row->addWidget(button);
  }
  row->addStretch();
  form->addRow(label, row);
  return group;
}

}  // namespace

PaperDialog::PaperDialog(Mode mode, const QString& suggestedPath, QWidget* parent)
    : QDialog(parent), mode_(mode) {
  const bool plot = mode == Mode::kPlot;
  setWindowTitle(plot ? QStringLiteral("印刷") : QStringLiteral("経路図出力"));
  auto* form = new QFormLayout(this);

  auto* fileRow = new QHBoxLayout;
  path_ = new QLineEdit(suggestedPath, this);
  path_->setMinimumWidth(360);
  auto* browse = new QPushButton(QStringLiteral("参照..."), this);
  connect(browse, &QPushButton::clicked, this, &PaperDialog::Browse);
  fileRow->addWidget(path_);
  fileRow->addWidget(browse);
  form->addRow(plot ? QStringLiteral("出力先 (PDF / PNG)") : QStringLiteral("出力先 (PDF)"), fileRow);

  if (plot)
    area_ = Choices(this, form, QStringLiteral("範囲"),
                    {QStringLiteral("現在の表示"), QStringLiteral("図面全体")});
  paper_ = new QComboBox(this);
  paper_->addItems({QStringLiteral("A4"), QStringLiteral("A3")});
  form->addRow(QStringLiteral("用紙"), paper_);
  orientation_ = Choices(this, form, QStringLiteral("向き"), {QStringLiteral("横"), QStringLiteral("縦")});
  if (plot) {
    lineWeights_ = new QCheckBox(QStringLiteral("線の太さを印刷する"), this);
    form->addRow(QString(), lineWeights_);
  } else {
    rows_ = new QLineEdit(this);
    rows_->setPlaceholderText(QStringLiteral("例: 1,4-9（空欄はすべての行）"));
    form->addRow(QStringLiteral("行"), rows_);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(plot ? QStringLiteral("印刷") : QStringLiteral("出力"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

PaperChoice PaperDialog::choice() const {
  PaperChoice c;
  c.path = path_->text().trimmed();
  c.setup.paper = paper_->currentIndex() == 1 ? paper::PaperSize::kA3 : paper::PaperSize::kA4;
  c.setup.landscape = orientation_->checkedId() == 0;
  c.setup.lineWeights = lineWeights_ && lineWeights_->isChecked();
  c.extents = area_ && area_->checkedId() == 1;
  if (rows_) c.rows = rows_->text().trimmed();
  return c;
}

void PaperDialog::Browse() {
  const QString filter = mode_ == Mode::kPlot ? QStringLiteral("PDF (*.pdf);;PNG 画像 (*.png)")
                                              : QStringLiteral("PDF (*.pdf)");
  const QString path = QFileDialog::getSaveFileName(this, windowTitle(), path_->text(), filter);
  if (!path.isEmpty()) path_->setText(path);
}

}  // namespace wb::desktop
