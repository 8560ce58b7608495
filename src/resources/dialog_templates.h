// The module's dialog templates: what every front end needs to build a
// dialog before its class fills it in.
#pragma once

#include <span>

struct DialogTemplate {
  int id;
  const char16_t* caption;
  int width;   // dialog units
  int height;  // dialog units
  const char16_t* className;
};

// Every template uses this font, in extended dialog templates.
inline constexpr const char16_t* kDialogFont = u"MS UI Gothic";
inline constexpr int kDialogFontPoints = 9;

// The text of the hidden drag dialog's only control.
inline constexpr const char16_t* kDragDialogText = u"このダイアログはドラッキング用の隠しダイアログ。";

std::span<const DialogTemplate> DialogTemplates();
// Null for an unknown ID.
const DialogTemplate* FindDialogTemplate(int id);
