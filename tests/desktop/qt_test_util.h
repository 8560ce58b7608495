// What the Qt tests share: screenshots in <build>/screenshots/ (the folder
// is printed once), synthetic mouse events and the drawing's INSERTs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QString>
#include <QWidget>
#include <iostream>
#include <string>
#include <vector>

#include "platform/editor/document.h"

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

inline void Mouse(QWidget* w, QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent event(type, p, w->mapToGlobal(p), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &event);
}

inline void MoveTo(QWidget* w, QPointF p) { Mouse(w, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }

inline void Click(QWidget* w, QPointF p, Qt::MouseButton button = Qt::LeftButton) {
  Mouse(w, QEvent::MouseButtonPress, p, button, button);
  Mouse(w, QEvent::MouseButtonRelease, p, button, Qt::NoButton);
}

inline void Drag(QWidget* w, QPointF from, QPointF to, Qt::MouseButton button = Qt::LeftButton) {
  Mouse(w, QEvent::MouseButtonPress, from, button, button);
  Mouse(w, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button);
  Mouse(w, QEvent::MouseMove, to, Qt::NoButton, button);
  Mouse(w, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

// The INSERTs in model space of the blocks whose names start with `prefix`,
// in drawing order.
inline std::vector<wb::db::ObjectId> InsertsOf(const std::string& prefix) {
  std::vector<wb::db::ObjectId> out;
  const wb::db::Database* d = wb::editor::ActiveDatabase();
  for (wb::db::ObjectId id : d->ModelSpaceEntities())
    if (auto info = d->Insert(id); info && info->blockName.rfind(prefix, 0) == 0) out.push_back(id);
  return out;
}

}  // namespace wbtest
