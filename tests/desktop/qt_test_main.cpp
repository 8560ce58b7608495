// The Qt tests share one QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

#include "hosts/desktop/fonts.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  wb::desktop::InstallFontSubstitutions();
  QApplication::setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
  return RUN_ALL_TESTS();
}
