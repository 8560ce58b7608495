// What the desktop host sets up once its QApplication exists; the Qt tests
// set up the same.
#pragma once

namespace wb::desktop {

// Japanese dialog fonts mapped to installed ones, the dialogs' default font,
// Qt's own texts in Japanese, and numbers with a decimal point whatever the
// user's locale (Qt takes the C locale from the environment; drawings,
// settings and logs must not).
void SetUpApplication();

}  // namespace wb::desktop
