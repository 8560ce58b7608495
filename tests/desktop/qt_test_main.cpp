// The Qt tests share one QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "hosts/desktop/application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  wb::desktop::SetUpApplication();
  return RUN_ALL_TESTS();
}
