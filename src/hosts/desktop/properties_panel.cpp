#include "hosts/desktop/properties_panel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "hosts/common/entity_listing.h"
#include "platform/dialogs/color_dialog.h"
#include "platform/editor/document.h"
#include "platform/editor/layer_state.h"
#include "platform/editor/undo.h"

namespace wb::desktop {
namespace {

QString Q(const WString& text) { return QString::fromStdU16String(text); }

QTableWidget* Table(const std::vector<WString>& headings, QWidget* parent, const char* name) {
  auto* table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
  table->setObjectName(QString::fromLatin1(name));
  QStringList labels;
  for (const WString& h : headings) labels << Q(h);
  table->setHorizontalHeaderLabels(labels);
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void Fill(QTableWidget* table, const std::vector<std::vector<WString>>& rows) {
  table->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < table->rowCount(); ++r)
    for (int c = 0; c < table->columnCount(); ++c) {
      const auto& row = rows[static_cast<size_t>(r)];
      table->setItem(r, c, new QTableWidgetItem(c < static_cast<int>(row.size()) ? Q(row[static_cast<size_t>(c)]) : QString()));
    }
}

QLabel* Heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

}  // namespace

PropertiesPanel::PropertiesPanel(QWidget* parent) : QWidget(parent) {
  properties_ = Table({u"項目", u"値"}, this, "propertyTable");
  attributes_ = Table(hosts::AttributeHeadings(), this, "attributeTable");
  cables_ = Table(hosts::CableHeadings(), this, "cableTable");
  link_ = new QLabel(this);
  link_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layer_ = new QComboBox(this);
  layer_->setObjectName(QStringLiteral("propertyLayer"));
  color_ = new QPushButton(QStringLiteral("色の変更..."), this);
  color_->setObjectName(QStringLiteral("propertyColor"));
  auto* edits = new QHBoxLayout;
  edits->addWidget(new QLabel(QStringLiteral("画層:"), this));
  edits->addWidget(layer_, 1);
  edits->addWidget(color_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(properties_);
  layout->addLayout(edits);
  layout->addWidget(Heading(QStringLiteral("属性 (QZ_ATTR)"), this));
  layout->addWidget(attributes_, 1);
  layout->addWidget(Heading(QStringLiteral("ケーブル"), this));
  layout->addWidget(cables_, 1);
  layout->addWidget(link_);
  connect(layer_, &QComboBox::activated, this, [this](int) { SetLayer(layer_->currentText()); });
  connect(color_, &QPushButton::clicked, this, &PropertiesPanel::ChooseColor);
  Show({});
}

void PropertiesPanel::Show(db::ObjectId id) {
  filling_ = true;
  const hosts::EntityListing listing = hosts::ListEntity(id);
  id_ = listing.properties.empty() ? db::ObjectId{} : id;
  std::vector<std::vector<WString>> rows;
  for (const auto& p : listing.properties) rows.push_back({p.label, p.value});
  Fill(properties_, rows);
  // Every property in sight; the two lists below take the rest.
  properties_->setFixedHeight(properties_->horizontalHeader()->sizeHint().height() +
                              std::max(1, properties_->rowCount()) * properties_->verticalHeader()->defaultSectionSize() +
                              2 * properties_->frameWidth());
  rows.clear();
  for (const auto& a : listing.attributes)
    rows.push_back({a.key, a.value, a.numbers[0], a.numbers[1], a.numbers[2], a.numbers[3]});
  Fill(attributes_, rows);
  rows.clear();
  for (const auto& c : listing.cables)
    rows.push_back({c.number, c.size, c.fromMark, c.fromSubNo, c.fromName, c.toMark, c.toSubNo, c.toName});
  Fill(cables_, rows);
  link_->setText(listing.markLink.empty() ? QString() : QStringLiteral("記号リンク: ") + Q(listing.markLink));

  layer_->clear();
  const db::Database* database = editor::ActiveDatabase();
  if (database && !id_.isNull()) {
    for (const std::string& name : database->LayerNames()) layer_->addItem(QString::fromStdString(name));
    layer_->setCurrentText(QString::fromStdString(database->Layer(id_)));
  }
  layer_->setEnabled(!id_.isNull());
  color_->setEnabled(!id_.isNull());
  filling_ = false;
}

void PropertiesPanel::SetLayer(const QString& layer) {
  db::Database* database = editor::ActiveDatabase();
  if (filling_ || !database || id_.isNull() || layer.toStdString() == database->Layer(id_)) return;
  {
    editor::CommandScope scope(u"PROPERTIES");
    database->SetGroup(id_, 8, layer.toStdString());
  }
  emit edited();
}

void PropertiesPanel::ChooseColor() {
  db::Database* database = editor::ActiveDatabase();
  if (!database || id_.isNull()) return;
  int color = database->Color(id_);
  if (!acedSetColorDialog(color, true, editor::LayerColor(*database, database->Layer(id_)))) return;
  if (color == database->Color(id_)) return;
  {
    editor::CommandScope scope(u"PROPERTIES");
    database->SetGroup(id_, 62, std::to_string(color));
  }
  emit edited();
}

}  // namespace wb::desktop
