#include "hosts/desktop/application.h"

#include <QApplication>
#include <QFont>

#include <clocale>

#include "render/fonts.h"

namespace wb::desktop {

void SetUpApplication() {
  std::setlocale(LC_NUMERIC, "C");
  render::InstallFontSubstitutions();
  QApplication::setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
}

}  // namespace wb::desktop
