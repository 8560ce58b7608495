#include "hosts/desktop/layer_panel.h"

#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QTableWidget>
#include <QVBoxLayout>

#include "hosts/desktop/color_index_dialog.h"
#include "hosts/desktop/dialog_window.h"
#include "platform/dialogs/color_dialog.h"
#include "platform/editor/document.h"
#include "platform/editor/drag_entity.h"
#include "platform/editor/layer_state.h"
#include "platform/editor/undo.h"

namespace wb::desktop {
namespace {

QIcon Swatch(int color) {
  QPixmap pixmap(12, 12);
  pixmap.fill(ToQColor(ui::ColorFromIndex(color)));
  QPainter(&pixmap).drawRect(0, 0, 11, 11);
  return QIcon(pixmap);
}

QTableWidgetItem* CheckItem(bool checked) {
  auto* item = new QTableWidgetItem;
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  return item;
}

QTableWidgetItem* TextItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

LayerPanel::LayerPanel(QWidget* parent) : QWidget(parent) {
  table_ = new QTableWidget(0, kColumns, this);
  table_->setObjectName(QStringLiteral("layerTable"));
  table_->setHorizontalHeaderLabels({QStringLiteral("現在"), QStringLiteral("名前"), QStringLiteral("表示"),
                                     QStringLiteral("フリーズ"), QStringLiteral("ロック"), QStringLiteral("色")});
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(kName, QHeaderView::Stretch);
  table_->setToolTip(QStringLiteral("名前をダブルクリックで現在の画層、色をダブルクリックで色の変更"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(table_);
  connect(table_, &QTableWidget::itemChanged, this, &LayerPanel::OnItemChanged);
  connect(table_, &QTableWidget::cellDoubleClicked, this, &LayerPanel::OnDoubleClicked);
}

void LayerPanel::Refresh() {
  filling_ = true;
  const db::Database* database = editor::ActiveDatabase();
  const std::vector<std::string> names = database ? database->LayerNames() : std::vector<std::string>{};
  const QString current = database ? QString::fromStdU16String(editor::CurrentLayer(*database)) : QString();
  table_->setRowCount(static_cast<int>(names.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const std::string& name = names[static_cast<size_t>(row)];
    const QString qname = QString::fromStdString(name);
    const int color = editor::LayerColor(*database, name);
    table_->setItem(row, kCurrent, TextItem(qname.compare(current, Qt::CaseInsensitive) == 0 ? QStringLiteral("✔") : QString()));
    table_->setItem(row, kName, TextItem(qname));
    table_->setItem(row, kOn, CheckItem(!editor::LayerOff(*database, name)));
    table_->setItem(row, kFrozen, CheckItem(editor::LayerFrozen(*database, name)));
    table_->setItem(row, kLocked, CheckItem(database->IsLayerLocked(name)));
    QTableWidgetItem* swatch = TextItem(ColorIndexDialog::NameOf(color));
    swatch->setIcon(Swatch(color));
    table_->setItem(row, kColor, swatch);
  }
  filling_ = false;
}

int LayerPanel::RowOf(const QString& layer) const {
  for (int row = 0; row < table_->rowCount(); ++row)
    if (table_->item(row, kName)->text().compare(layer, Qt::CaseInsensitive) == 0) return row;
  return -1;
}

void LayerPanel::SetState(const QString& layer, Column column, bool on) {
  db::Database* database = editor::ActiveDatabase();
  if (!database || RowOf(layer) < 0) return;
  const std::string name = layer.toStdString();
  const bool current = layer.compare(QString::fromStdU16String(editor::CurrentLayer(*database)), Qt::CaseInsensitive) == 0;
  if (column == kFrozen && on && current) {
    editor::Output().Print(u"現在の画層はフリーズできません。\n");
  } else {
    editor::CommandScope scope(u"LAYER");
    if (column == kOn) editor::SetLayerOff(*database, name, !on);
    else if (column == kFrozen) editor::SetLayerFrozen(*database, name, on);
    else if (column == kLocked) database->SetLayerLocked(name, on);
  }
  emit edited();
}

void LayerPanel::ChooseColor(const QString& layer) {
  db::Database* database = editor::ActiveDatabase();
  if (!database || RowOf(layer) < 0) return;
  const std::string name = layer.toStdString();
  int color = editor::LayerColor(*database, name);
  if (!acedSetColorDialog(color, false, color) || color < 1 || color > 255) return;
  {
    editor::CommandScope scope(u"LAYER");
    editor::SetLayerColor(*database, name, color);
  }
  emit edited();
}

void LayerPanel::MakeCurrent(const QString& layer) {
  db::Database* database = editor::ActiveDatabase();
  if (!database || RowOf(layer) < 0) return;
  if (editor::LayerFrozen(*database, layer.toStdString())) {
    editor::Output().Print(u"フリーズされた画層は現在の画層にできません。\n");
  } else {
    editor::CommandScope scope(u"LAYER");
    editor::SetCurrentLayer(*database, layer.toStdString());
  }
  emit edited();
}

void LayerPanel::OnItemChanged(QTableWidgetItem* item) {
  if (filling_ || !(item->flags() & Qt::ItemIsUserCheckable)) return;
  const QString layer = table_->item(item->row(), kName)->text();
  SetState(layer, static_cast<Column>(item->column()), item->checkState() == Qt::Checked);
}

void LayerPanel::OnDoubleClicked(int row, int column) {
  const QString layer = table_->item(row, kName)->text();
  if (column == kColor) ChooseColor(layer);
  else if (column == kName || column == kCurrent) MakeCurrent(layer);
}

}  // namespace wb::desktop
