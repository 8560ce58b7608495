#include "resources/dialog_templates.h"

using namespace wb::ui;

// Laid out with the dialog's class.
std::span<const ControlTemplate> ProjectDlgControls() { return {}; }
