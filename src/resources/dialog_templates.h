// The module's dialog templates: caption, size and controls of each dialog,
// as every front end needs them before the dialog's class fills it in.
#pragma once

#include <span>

#include "platform/dialogs/dialog_resource.h"

enum DialogTemplateId {
  IDD_MAIN = 103,
  IDD_PROJECT = 104,
  IDD_DRAWMARK = 130,
  IDD_DRAWNOTE = 149,
  IDD_OPTION = 150,
  IDD_STARTROW = 163,
};

// The text of the hidden drag dialog's only control.
inline constexpr const char16_t* kDragDialogText = u"このダイアログはドラッキング用の隠しダイアログ。";

std::span<const wb::ui::DialogResource> DialogTemplates();
// Null for an unknown ID.
const wb::ui::DialogResource* FindDialogTemplate(int id);
// The template of a known ID; aborts for an unknown one.
const wb::ui::DialogResource& DialogTemplate(int id);

// Controls of each template, one file per dialog.
std::span<const wb::ui::ControlTemplate> MainDlgControls();
std::span<const wb::ui::ControlTemplate> ProjectDlgControls();
std::span<const wb::ui::ControlTemplate> DrawMarkDlgControls();
std::span<const wb::ui::ControlTemplate> DrawNoteControls();
std::span<const wb::ui::ControlTemplate> OptionDlgControls();
std::span<const wb::ui::ControlTemplate> StartRowDlgControls();
