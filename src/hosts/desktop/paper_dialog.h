// The questions before paper: for 印刷 the file (PDF or PNG), the area
// (the view as shown or the whole drawing), paper, orientation and
// lineweights; for 経路図出力 the PDF file, paper, orientation and rows.
#pragma once

#include <QDialog>
#include <QString>

#include "paper/page_writer.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace wb::desktop {

struct PaperChoice {
  QString path;
  paper::PageSetup setup;
  bool extents = false;  // plot: the whole drawing, not the view
  QString rows;          // sheets: "1,4-9"; empty for all
};

class PaperDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { kPlot, kSheets };
  PaperDialog(Mode mode, const QString& suggestedPath, QWidget* parent);

  PaperChoice choice() const;
  QLineEdit* pathEdit() const { return path_; }

 private:
  void Browse();

  Mode mode_;
  QLineEdit* path_;
  QComboBox* paper_;
  QButtonGroup* orientation_;
  QButtonGroup* area_ = nullptr;
  QCheckBox* lineWeights_ = nullptr;
  QLineEdit* rows_ = nullptr;
};

}  // namespace wb::desktop
