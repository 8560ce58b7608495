#include "hosts/desktop/color_index_dialog.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "hosts/desktop/dialog_window.h"

namespace wb::desktop {
namespace {

constexpr int kByBlock = 0;
constexpr int kByLayer = 256;

// One colour cell; a frame marks the chosen one.
class Swatch : public QAbstractButton {
 public:
  Swatch(QColor color, QWidget* parent) : QAbstractButton(parent), color_(color) {
    setCheckable(true);
    setFixedSize(14, 14);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect().adjusted(1, 1, -1, -1), color_);
    p.setPen(isChecked() ? QPen(Qt::black, 2) : QPen(QColor(128, 128, 128), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(isChecked() ? 1 : 0, isChecked() ? 1 : 0, -1, -1));
  }

 private:
  QColor color_;
};

}  // namespace

QString ColorIndexDialog::NameOf(int index) {
  static const char* const kNames[] = {"赤", "黄", "緑", "シアン", "青", "マゼンタ", "白"};
  if (index == kByLayer) return QStringLiteral("ByLayer");
  if (index == kByBlock) return QStringLiteral("ByBlock");
  if (index >= 1 && index <= 7) return QString::fromUtf8(kNames[index - 1]);
  return QString::number(index);
}

ColorIndexDialog::ColorIndexDialog(const ui::ColorDialogRequest& request, QWidget* parent)
    : QDialog(parent), request_(request), chosen_(request.initialIndex) {
  setWindowTitle(QStringLiteral("色選択"));
  setObjectName(QStringLiteral("colorDialog"));
  setFont(DialogFont());
  swatches_.assign(kByLayer + 1, nullptr);

  auto* layout = new QVBoxLayout(this);
  auto* hues = new QGridLayout;
  hues->setSpacing(1);
  // Hue h (10, 20, ... 240) in a column, its ten shades h..h+9 down it.
  for (int hue = 10; hue <= 240; hue += 10)
    for (int shade = 0; shade < 10; ++shade) hues->addWidget(AddSwatch(hue + shade), shade, hue / 10 - 1);
  layout->addLayout(hues);

  auto* standard = new QHBoxLayout;
  standard->setSpacing(1);
  standard->addWidget(new QLabel(QStringLiteral("標準色:"), this));
  for (int i = 1; i <= 9; ++i) standard->addWidget(AddSwatch(i));
  standard->addSpacing(12);
  standard->addWidget(new QLabel(QStringLiteral("グレー:"), this));
  for (int i = 250; i <= 255; ++i) standard->addWidget(AddSwatch(i));
  standard->addStretch(1);
  layout->addLayout(standard);

  auto* meta = new QHBoxLayout;
  if (request_.allowMetaColors) {
    for (int index : {kByLayer, kByBlock}) {
      auto* b = new QPushButton(NameOf(index), this);
      b->setCheckable(true);
      b->setAutoDefault(false);
      connect(b, &QPushButton::clicked, this, [this, index] { Choose(index); });
      swatches_[static_cast<size_t>(index)] = b;
      meta->addWidget(b);
    }
  }
  meta->addStretch(1);
  meta->addWidget(new QLabel(QStringLiteral("色:"), this));
  name_ = new QLabel(this);
  name_->setMinimumWidth(80);
  meta->addWidget(name_);
  sample_ = new QLabel(this);
  sample_->setFixedSize(48, 20);
  sample_->setAutoFillBackground(true);
  meta->addWidget(sample_);
  layout->addLayout(meta);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("ok"));
  buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  Choose(request_.initialIndex);
}

QAbstractButton* ColorIndexDialog::AddSwatch(int index) {
  auto* s = new Swatch(ToQColor(ui::ColorFromIndex(index)), this);
  s->setToolTip(NameOf(index));
  connect(s, &QAbstractButton::clicked, this, [this, index] { Choose(index); });
  swatches_[static_cast<size_t>(index)] = s;
  return s;
}

QAbstractButton* ColorIndexDialog::SwatchOf(int index) const {
  return index >= 0 && index <= kByLayer ? swatches_[static_cast<size_t>(index)] : nullptr;
}

void ColorIndexDialog::Choose(int index) {
  if (index < 0 || index > kByLayer || !swatches_[static_cast<size_t>(index)]) return;
  chosen_ = index;
  for (QAbstractButton* s : swatches_)
    if (s) s->setChecked(s == swatches_[static_cast<size_t>(index)]);
  name_->setText(NameOf(index));
  const int shown = index == kByLayer ? request_.layerColor : (index == kByBlock ? 7 : index);
  QPalette palette = sample_->palette();
  palette.setColor(QPalette::Window, ToQColor(ui::ColorFromIndex(shown)));
  sample_->setPalette(palette);
}

}  // namespace wb::desktop
