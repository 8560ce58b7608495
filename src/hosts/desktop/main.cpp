// wirebinder-desktop [DRAWING.dxf]: the Qt desktop host.
#include <QApplication>

#include "hosts/desktop/application.h"
#include "hosts/desktop/main_window.h"
#include "hosts/desktop/module_host.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("WireBinder"));
  wb::desktop::SetUpApplication();
  wb::desktop::MainWindow window;
  wb::desktop::ModuleHost module(window);
  window.show();
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) window.OpenDrawing(args.at(1));
  return app.exec();
}
