#include "render/fonts.h"

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QStringList>

namespace wb::render {

QString InstallFontSubstitutions() {
  const QStringList gothic = {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                              QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic")};
  const QStringList mono = {QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                            QStringLiteral("Noto Sans CJK JP")};
  for (const char* name : {"MS UI Gothic", "MS PGothic", "Meiryo", "Meiryo UI", "Yu Gothic UI",
                           "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF"})
    QFont::insertSubstitutions(QString::fromUtf8(name), gothic);
  for (const char* name : {"MS Gothic", "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF"})
    QFont::insertSubstitutions(QString::fromUtf8(name), mono);
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return {};
  return QFontInfo(QFont(QStringLiteral("MS UI Gothic"))).family();
}

}  // namespace wb::render
