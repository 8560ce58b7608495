// The host's colour dialog: the 255 colour indices as swatches (the nine
// standard colours, the 240 hues in ten shades, six greys), ByLayer and
// ByBlock when the caller allows them, the chosen colour's name and swatch.
#pragma once

#include <QDialog>
#include <vector>

#include "platform/dialogs/color_dialog.h"

class QLabel;
class QAbstractButton;

namespace wb::desktop {

class ColorIndexDialog : public QDialog {
  Q_OBJECT

 public:
  ColorIndexDialog(const ui::ColorDialogRequest& request, QWidget* parent);

  int chosen() const { return chosen_; }
  // Selects an index as a click on its swatch does (0 ByBlock, 256 ByLayer).
  void Choose(int index);
  // The swatch of an index, or the ByLayer / ByBlock button; null if absent.
  QAbstractButton* SwatchOf(int index) const;
  // Text shown for an index: a name for 1..7, ByLayer, ByBlock, else the number.
  static QString NameOf(int index);

 private:
  QAbstractButton* AddSwatch(int index);

  ui::ColorDialogRequest request_;
  int chosen_;
  std::vector<QAbstractButton*> swatches_;  // by index 0..256
  QLabel* name_;
  QLabel* sample_;
};

}  // namespace wb::desktop
