// Screenshots of the Qt tests go to <build>/screenshots/, printed once.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QString>
#include <QWidget>
#include <iostream>

namespace wbtest {

inline QString ScreenshotDir() {
  static const QString dir = [] {
    QString d = QStringLiteral(WB_BINARY_DIR "/screenshots");
    QDir().mkpath(d);
    std::cout << "screenshots: " << d.toStdString() << std::endl;
    return d;
  }();
  return dir;
}

// Saves what `widget` shows as <build>/screenshots/<name>.
inline void SaveScreenshot(QWidget* widget, const QString& name) {
  QApplication::processEvents();
  const QString path = ScreenshotDir() + QLatin1Char('/') + name;
  EXPECT_TRUE(widget->grab().save(path)) << path.toStdString();
}

}  // namespace wbtest
