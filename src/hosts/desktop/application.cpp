#include "hosts/desktop/application.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>

#include "render/fonts.h"

namespace wb::desktop {

void SetUpApplication() {
  std::setlocale(LC_NUMERIC, "C");
  render::InstallFontSubstitutions();
  QApplication::setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
  // Qt's own dialogs (file dialog, the Save / Discard / Cancel box) speak
  // Japanese like the rest of the host, whatever the system's language.
  static QTranslator qtbase;
  if (qtbase.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qtbase);
}

}  // namespace wb::desktop
