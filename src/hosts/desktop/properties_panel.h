// The properties panel: what the LIST command prints, for the selected
// entity, as tables: its common properties, the attribute list decoded, one
// row per cable running through it, and the mark link. Layer and colour can
// be changed here; each change is one undo step.
#pragma once

#include <QWidget>

#include "platform/db/database.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace wb::desktop {

class PropertiesPanel : public QWidget {
  Q_OBJECT

 public:
  explicit PropertiesPanel(QWidget* parent = nullptr);

  // Shows the entity; a null id empties the panel.
  void Show(db::ObjectId id);
  // The drawing changed: shows the same entity again.
  void Refresh() { Show(id_); }
  db::ObjectId entity() const { return id_; }

  QTableWidget* properties() const { return properties_; }
  QTableWidget* attributes() const { return attributes_; }
  QTableWidget* cables() const { return cables_; }
  QComboBox* layerBox() const { return layer_; }
  QPushButton* colorButton() const { return color_; }

 signals:
  void edited();

 private:
  void SetLayer(const QString& layer);
  void ChooseColor();

  db::ObjectId id_;
  QTableWidget* properties_;
  QTableWidget* attributes_;
  QTableWidget* cables_;
  QLabel* link_;
  QComboBox* layer_;
  QPushButton* color_;
  bool filling_ = false;
};

}  // namespace wb::desktop
