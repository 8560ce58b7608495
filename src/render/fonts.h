// Fonts named by the module's dialog templates and drawings ("MS UI Gothic")
// are not on Linux; they are mapped to an installed Japanese font.
#pragma once

#include <QString>

namespace wb::render {

// Installs the substitutions; returns the family "MS UI Gothic" now
// resolves to (empty before a QGuiApplication exists).
QString InstallFontSubstitutions();

}  // namespace wb::render
