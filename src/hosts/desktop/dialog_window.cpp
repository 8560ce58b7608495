#include "hosts/desktop/dialog_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace wb::desktop {
namespace {

QString Q(const WString& text) { return QString::fromStdU16String(text); }
WString W(const QString& text) { return text.toStdU16String(); }

// Extended list styles the module sets.
constexpr unsigned kGridLines = 0x1;
constexpr unsigned kHeaderDragDrop = 0x10;

// A push button the dialog paints (kStyleOwnerDraw): each paint asks the
// dialog to draw the whole control with the pressed and focus states.
class OwnerDrawButton : public QAbstractButton {
 public:
  OwnerDrawButton(DialogWindow* window, int id, QWidget* parent)
      : QAbstractButton(parent), window_(window), id_(id) {
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    ui::Dialog* dialog = window_->dialog();
    QtPainter dc(painter);
    ui::DrawItemStruct item;
    item.ctlId = id_;
    item.itemAction = ui::ODA_DRAWENTIRE;
    item.itemState = (isDown() ? ui::ODS_SELECTED : 0u) | (hasFocus() ? ui::ODS_FOCUS : 0u);
    item.rcItem = {0, 0, width(), height()};
    item.painter = &dc;
    if (!dialog || !dialog->DrawItem(item)) painter.fillRect(rect(), palette().button());
  }

 private:
  DialogWindow* window_;
  int id_;
};

// List cells take the text colour the dialog gives while painting (the
// host's custom draw); selected rows keep the selection colours.
class ListColorDelegate : public QStyledItemDelegate {
 public:
  ListColorDelegate(DialogWindow* window, int id, QObject* parent)
      : QStyledItemDelegate(parent), window_(window), id_(id) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    ui::Dialog* dialog = window_->dialog();
    if (!dialog || (option->state & QStyle::State_Selected)) return;
    if (auto color = dialog->ListTextColor(id_, index.row(), index.column()))
      option->palette.setColor(QPalette::Text, ToQColor(*color));
  }

 private:
  DialogWindow* window_;
  int id_;
};

bool IsPermutation(const std::vector<int>& order, int count) {
  if (static_cast<int>(order.size()) != count) return false;
  std::vector<bool> seen(order.size(), false);
  for (int v : order) {
    if (v < 0 || v >= count || seen[static_cast<size_t>(v)]) return false;
    seen[static_cast<size_t>(v)] = true;
  }
  return true;
}

// The substitute font runs wider than the templates' own: a static whose
// text wraps may take the lines it needs below its rectangle rather than
// lose them.
void FitStatic(QLabel* label, const QRect& geometry) {
  const int needed = label->heightForWidth(geometry.width());
  label->resize(geometry.width(), std::max(geometry.height(), needed));
}

}  // namespace

QFont DialogFont() {
  QFont font(Q(ui::kDialogFont));
  font.setPointSize(ui::kDialogFontPoints);
  return font;
}

DialogUnits DialogUnits::ForFont(const QFont& font) {
  QFontMetrics metrics(font);
  const int letters =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogUnits units;
  units.baseX = std::max(1, (letters / 26 + 1) / 2);
  units.baseY = std::max(1, metrics.height());
  return units;
}

// MulDiv: rounded, as the host's conversion.
int DialogUnits::X(int units) const { return static_cast<int>(std::lround(units * baseX / 4.0)); }
int DialogUnits::Y(int units) const { return static_cast<int>(std::lround(units * baseY / 8.0)); }

QRect DialogUnits::ToPixels(const ui::DialogRect& r) const {
  const int left = X(r.x), top = Y(r.y);
  return QRect(left, top, X(r.x + r.width) - left, Y(r.y + r.height) - top);
}

QColor ToQColor(ui::ColorRef c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

void QtPainter::Rectangle(const ui::PaintRect& r, ui::ColorRef fill) {
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setPen(QPen(Qt::black, 0));
  painter_.setBrush(ToQColor(fill));
  // The outline covers left..right-1 and top..bottom-1.
  painter_.drawRect(QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1));
  painter_.restore();
}

void QtPainter::Polyline(const std::vector<ui::PaintPoint>& points, ui::ColorRef color, bool dotted) {
  if (points.size() < 2) return;
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  const QColor qcolor = ToQColor(color);
  // Pixel by pixel so the last point stays unpainted and dots fall on every
  // other pixel, as a one-pixel dotted pen does.
  int step = 0;
  for (size_t i = 1; i < points.size(); ++i) {
    int x = points[i - 1].x, y = points[i - 1].y;
    const int tx = points[i].x, ty = points[i].y;
    const int dx = tx > x ? 1 : (tx < x ? -1 : 0), dy = ty > y ? 1 : (ty < y ? -1 : 0);
    const int n = std::max(std::abs(tx - x), std::abs(ty - y));
    for (int k = 0; k < n; ++k, ++step) {
      if (!dotted || step % 2 == 0) painter_.fillRect(QRect(x, y, 1, 1), qcolor);
      // Diagonal segments do not occur; a straight walk stays close enough.
      if (x != tx) x += dx;
      if (y != ty) y += dy;
    }
  }
  painter_.restore();
}

ui::ColorRef QtPainter::SetTextColor(ui::ColorRef color) { return std::exchange(text_, color); }
ui::ColorRef QtPainter::SetBkColor(ui::ColorRef color) { return std::exchange(back_, color); }

void QtPainter::Text(const ui::PaintRect& r, const WString& text) {
  painter_.save();
  painter_.setPen(ToQColor(text_));
  painter_.drawText(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), Qt::AlignCenter, Q(text));
  painter_.restore();
}

DialogWindow::DialogWindow(ui::Dialog& dialog, QWidget* parent)
    : QDialog(parent), dialog_(&dialog), templateId_(dialog.templateId()) {
  setFont(DialogFont());
  units_ = DialogUnits::ForFont(font());
  setObjectName(QStringLiteral("dialog%1").arg(templateId_));
  Build();
  dialog.SetObserver(this);
  SyncAll();
  SyncWindow();
}

DialogWindow::~DialogWindow() {
  if (dialog_) dialog_->SetObserver(nullptr);
}

void DialogWindow::Detach() {
  if (dialog_) dialog_->SetObserver(nullptr);
  dialog_ = nullptr;
}

QWidget* DialogWindow::Control(int id) const {
  auto it = widgets_.find(id);
  return it == widgets_.end() ? nullptr : it->second;
}

void DialogWindow::Build() {
  const ui::DialogResource& resource = dialog_->resource();
  setFixedSize(units_.X(resource.width), units_.Y(resource.height));
  // Windows draws controls in template order; group boxes come before what
  // they frame, so they are lowered under it.
  int index = 0;
  std::vector<QWidget*> groups;
  for (const ui::ControlTemplate& t : resource.controls) {
    QWidget* w = CreateWidget(t, index++);
    if (!w) continue;
    if (t.kind == ui::ControlKind::kGroupBox) groups.push_back(w);
    if (t.id >= 0) widgets_[t.id] = w;
  }
  for (QWidget* g : groups) g->lower();
}

QWidget* DialogWindow::CreateWidget(const ui::ControlTemplate& t, int index) {
  using ui::ControlKind;
  const QRect geometry = units_.ToPixels(t.rect);
  const int id = t.id;
  QWidget* w = nullptr;
  switch (t.kind) {
    case ControlKind::kPushButton:
      if (t.style & ui::kStyleOwnerDraw) {
        auto* b = new OwnerDrawButton(this, id, this);
        connect(b, &QAbstractButton::clicked, this, [this, id] { Act([id](ui::Dialog& d) { d.Click(id); }); });
        w = b;
      } else {
        auto* b = new QPushButton(Q(t.caption), this);
        b->setAutoDefault(false);
        b->setDefault(t.style & ui::kStyleDefault);
        connect(b, &QPushButton::clicked, this, [this, id] { Act([id](ui::Dialog& d) { d.Click(id); }); });
        w = b;
      }
      break;
    case ControlKind::kCheckBox: {
      auto* b = new QCheckBox(Q(t.caption), this);
      connect(b, &QCheckBox::clicked, this, [this, id] { Act([id](ui::Dialog& d) { d.Click(id); }); });
      w = b;
      break;
    }
    case ControlKind::kEdit: {
      auto* e = new QLineEdit(this);
      if (t.style & ui::kStylePassword) e->setEchoMode(QLineEdit::Password);
      if (t.style & ui::kStyleNumber)
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
      connect(e, &QLineEdit::textEdited, this, [this, id](const QString& text) {
        Act([id, text](ui::Dialog& d) { d.TypeText(id, W(text)); });
      });
      w = e;
      break;
    }
    case ControlKind::kComboBox: {
      auto* c = new QComboBox(this);
      c->setEditable(!(t.style & ui::kStyleDropDownList));
      c->setInsertPolicy(QComboBox::NoInsert);
      c->setMaxVisibleItems(std::max(3, units_.Y(t.rect.height) / std::max(1, c->fontMetrics().height()) - 1));
      connect(c, &QComboBox::activated, this, [this, id](int item) {
        Act([id, item](ui::Dialog& d) { d.SelectComboItem(id, item); });
      });
      if (c->lineEdit())
        connect(c->lineEdit(), &QLineEdit::textEdited, this, [this, id](const QString& text) {
          Act([id, text](ui::Dialog& d) { d.TypeText(id, W(text)); });
        });
      // The template's height includes the drop-down list; the box itself
      // is one line high.
      QRect r = geometry;
      r.setHeight(std::min(r.height(), c->sizeHint().height()));
      c->setGeometry(r);
      w = c;
      break;
    }
    case ControlKind::kListView: {
      auto* list = new QTableWidget(this);
      list->setSelectionBehavior(QAbstractItemView::SelectRows);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setEditTriggers(QAbstractItemView::NoEditTriggers);
      list->verticalHeader()->hide();
      list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 2);
      list->horizontalHeader()->setHighlightSections(false);
      list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      list->setWordWrap(false);
      list->setItemDelegate(new ListColorDelegate(this, id, list));
      connect(list, &QTableWidget::itemSelectionChanged, this, [this, id, list] {
        if (syncing_) return;
        const auto rows = list->selectionModel()->selectedRows();
        const int row = rows.isEmpty() ? -1 : rows.first().row();
        Act([id, row](ui::Dialog& d) { d.SelectListItem(id, row); });
      });
      connect(list->horizontalHeader(), &QHeaderView::sectionMoved, this, [this, id, list] {
        if (syncing_) return;
        std::vector<int> order;
        for (int i = 0; i < list->columnCount(); ++i) order.push_back(list->horizontalHeader()->logicalIndex(i));
        Act([id, order](ui::Dialog& d) { d.DragColumns(id, order); });
      });
      w = list;
      break;
    }
    case ControlKind::kStatic: {
      auto* label = new QLabel(Q(t.caption), this);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      w = label;
      break;
    }
    case ControlKind::kGroupBox:
      w = new QGroupBox(Q(t.caption), this);
      break;
  }
  if (!w) return nullptr;
  if (t.kind != ControlKind::kComboBox) w->setGeometry(geometry);
  if (t.kind == ControlKind::kStatic) FitStatic(static_cast<QLabel*>(w), geometry);
  w->setObjectName(id >= 0 ? QStringLiteral("control%1").arg(id) : QStringLiteral("static%1").arg(index));
  w->setVisible(!(t.style & ui::kStyleHidden));
  w->setEnabled(!(t.style & ui::kStyleDisabled));
  return w;
}

void DialogWindow::Act(const std::function<void(ui::Dialog&)>& action) {
  if (syncing_ || !dialog_) return;
  action(*dialog_);
  // The action may have destroyed the dialog (and detached this window).
  if (dialog_) SyncAll();
  if (afterAction) afterAction();
}

void DialogWindow::ControlChanged(ui::Dialog&, int id) { SyncControl(id); }

void DialogWindow::DialogChanged(ui::Dialog&) { SyncWindow(); }

void DialogWindow::SyncAll() {
  if (!dialog_) return;
  for (const auto& [id, w] : widgets_) SyncControl(id);
}

void DialogWindow::SyncWindow() {
  if (!dialog_) return;
  setWindowTitle(Q(dialog_->GetWindowText()));
  if (dialog_->left() != movedLeft_ || dialog_->top() != movedTop_) {
    movedLeft_ = dialog_->left();
    movedTop_ = dialog_->top();
    hiddenAt_.reset();
    move(movedLeft_, movedTop_);
  }
  const QSize asked(dialog_->width(), dialog_->height());
  if (!asked.isEmpty() && asked != sized_) {
    // The dialog gives the outer size; the frame is the window system's.
    sized_ = asked;
    setFixedSize(asked - FrameMargins());
  }
  // Modal windows are shown and hidden by their run.
  if (!dialog_->isModal() && dialog_->IsWindowVisible() != isVisible()) {
    if (dialog_->IsWindowVisible()) {
      // Shown again where the user left it, not centred anew.
      if (hiddenAt_) move(*hiddenAt_);
      show();
      raise();
    } else {
      hiddenAt_ = pos();
      hide();
    }
  }
}

QSize DialogWindow::FrameMargins() const {
  QSize margins = frameGeometry().size() - size();
  if (margins == QSize(0, 0) && parentWidget())
    margins = parentWidget()->window()->frameGeometry().size() - parentWidget()->window()->size();
  return margins;
}

void DialogWindow::SyncControl(int id) {
  if (!dialog_ || !dialog_->HasItem(id)) return;
  QWidget* w = Control(id);
  if (!w) return;
  const ui::Control& c = dialog_->Item(id);
  const bool wasSyncing = std::exchange(syncing_, true);
  if (w->isVisibleTo(this) != c.visible()) w->setVisible(c.visible());
  if (w->isEnabled() != c.enabled()) w->setEnabled(c.enabled());
  const QRect geometry = units_.ToPixels(c.rect());
  if (c.kind() != ui::ControlKind::kComboBox && c.kind() != ui::ControlKind::kStatic && w->geometry() != geometry)
    w->setGeometry(geometry);
  if (c.kind() == ui::ControlKind::kStatic && w->pos() != geometry.topLeft()) {
    w->move(geometry.topLeft());
    FitStatic(static_cast<QLabel*>(w), geometry);
  }
  switch (c.kind()) {
    case ui::ControlKind::kPushButton:
      if (auto* b = qobject_cast<QPushButton*>(w)) {
        if (b->text() != Q(c.text())) b->setText(Q(c.text()));
      } else {
        w->update();  // owner drawn: its colour may have changed
      }
      break;
    case ui::ControlKind::kCheckBox: {
      auto* b = static_cast<QCheckBox*>(w);
      if (b->text() != Q(c.text())) b->setText(Q(c.text()));
      b->setChecked(c.checked());
      break;
    }
    case ui::ControlKind::kEdit: {
      auto* e = static_cast<QLineEdit*>(w);
      if (e->text() != Q(c.text())) e->setText(Q(c.text()));
      break;
    }
    case ui::ControlKind::kComboBox: {
      auto* box = static_cast<QComboBox*>(w);
      bool same = box->count() == c.GetCount();
      for (int i = 0; same && i < box->count(); ++i) same = box->itemText(i) == Q(c.items()[static_cast<size_t>(i)]);
      if (!same) {
        box->clear();
        for (const WString& item : c.items()) box->addItem(Q(item));
      }
      if (box->currentIndex() != c.currentIndex()) box->setCurrentIndex(c.currentIndex());
      if (box->isEditable() && c.currentIndex() < 0 && box->currentText() != Q(c.text()))
        box->setEditText(Q(c.text()));
      break;
    }
    case ui::ControlKind::kListView:
      SyncList(id, c, w);
      break;
    case ui::ControlKind::kStatic:
    case ui::ControlKind::kGroupBox:
      if (auto* label = qobject_cast<QLabel*>(w); label && label->text() != Q(c.text())) {
        label->setText(Q(c.text()));
        FitStatic(label, geometry);
      }
      if (auto* group = qobject_cast<QGroupBox*>(w); group && group->title() != Q(c.text()))
        group->setTitle(Q(c.text()));
      break;
  }
  syncing_ = wasSyncing;
}

void DialogWindow::SyncList(int, const ui::Control& c, QWidget* w) {
  auto* list = static_cast<QTableWidget*>(w);
  QHeaderView* header = list->horizontalHeader();
  const auto& columns = c.columns();
  const int count = static_cast<int>(columns.size());
  bool sameColumns = list->columnCount() == count;
  for (int i = 0; sameColumns && i < count; ++i) {
    const QTableWidgetItem* h = list->horizontalHeaderItem(i);
    sameColumns = h && h->text() == Q(columns[static_cast<size_t>(i)].title);
  }
  if (!sameColumns) {
    // Columns were deleted and inserted again: start from the natural order.
    list->setColumnCount(0);
    list->setColumnCount(count);
    // The substitute font runs wider than the original: a column is at
    // least as wide as its heading, so no heading is cut.
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 4;
    for (int i = 0; i < count; ++i) {
      const QString title = Q(columns[static_cast<size_t>(i)].title);
      list->setHorizontalHeaderItem(i, new QTableWidgetItem(title));
      list->setColumnWidth(i, std::max(columns[static_cast<size_t>(i)].width,
                                       header->fontMetrics().horizontalAdvance(title) + margin));
    }
  }
  list->setShowGrid(c.extendedStyle() & kGridLines);
  header->setSectionsMovable(c.extendedStyle() & kHeaderDragDrop);
  const std::vector<int> order = c.GetColumnOrderArray();
  if (IsPermutation(order, count))
    for (int visual = 0; visual < count; ++visual)
      if (header->logicalIndex(visual) != order[static_cast<size_t>(visual)])
        header->moveSection(header->visualIndex(order[static_cast<size_t>(visual)]), visual);

  const int rows = c.GetItemCount();
  if (list->rowCount() != rows) list->setRowCount(rows);
  for (int r = 0; r < rows; ++r) {
    for (int col = 0; col < count; ++col) {
      const QString text = Q(c.GetItemText(r, col));
      QTableWidgetItem* item = list->item(r, col);
      if (!item) {
        list->setItem(r, col, new QTableWidgetItem(text));
      } else if (item->text() != text) {
        item->setText(text);
      }
    }
  }
  const int selected = c.GetSelectedItem();
  const auto current = list->selectionModel()->selectedRows();
  const int shown = current.isEmpty() ? -1 : current.first().row();
  if (shown != selected) {
    list->clearSelection();
    if (selected >= 0 && selected < rows) {
      list->selectRow(selected);
      list->scrollToItem(list->item(selected, 0));
    }
  }
  list->viewport()->update();  // custom colours may follow new contents
}

void DialogWindow::reject() { Act([](ui::Dialog& d) { d.Close(); }); }

void DialogWindow::closeEvent(QCloseEvent* event) {
  // The dialog decides: a modal one ends, a modeless one usually hides.
  event->ignore();
  reject();
}

}  // namespace wb::desktop
