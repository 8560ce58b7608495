// wirebinder-desktop [DRAWING.dxf]: the Qt desktop host.
#include <QApplication>
#include <QFont>

#include "hosts/desktop/fonts.h"
#include "hosts/desktop/main_window.h"
#include "hosts/desktop/module_host.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("WireBinder"));
  wb::desktop::InstallFontSubstitutions();
  QApplication::setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
  wb::desktop::MainWindow window;
  wb::desktop::ModuleHost module(window);
  window.show();
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) window.OpenDrawing(args.at(1));
  return app.exec();
}
