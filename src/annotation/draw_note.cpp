#include "annotation/draw_note.h"

#include "resources/dialog_templates.h"

CDrawNote* g_pDrawNote = nullptr;

// Created hidden: the user never sees this window.
CDrawNote::CDrawNote() : Dialog(DialogTemplate(IDD_DRAWNOTE)) {}
