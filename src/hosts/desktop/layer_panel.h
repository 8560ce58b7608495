// The layer panel: every layer of the drawing with its state (on, frozen,
// locked), its colour and which one is current. Each change is a drawing
// edit of the layer record, one undo step, saved with the drawing.
#pragma once

#include <QString>
#include <QWidget>

class QTableWidget;
class QTableWidgetItem;

namespace wb::desktop {

class LayerPanel : public QWidget {
  Q_OBJECT

 public:
  enum Column { kCurrent, kName, kOn, kFrozen, kLocked, kColor, kColumns };

  explicit LayerPanel(QWidget* parent = nullptr);

  // Reads the layers of the active drawing again.
  void Refresh();
  QTableWidget* table() const { return table_; }
  int RowOf(const QString& layer) const;

  // What a click in a cell does; each is one undoable edit.
  void SetState(const QString& layer, Column column, bool on);
  void ChooseColor(const QString& layer);
  void MakeCurrent(const QString& layer);

 signals:
  // The drawing changed through the panel.
  void edited();

 private:
  void OnItemChanged(QTableWidgetItem* item);
  void OnDoubleClicked(int row, int column);

  QTableWidget* table_;
  bool filling_ = false;
};

}  // namespace wb::desktop
