// Message boxes as the module shows them: plain OK for refusals and errors,
// the information icon for successes, Yes/No for confirmations.
#pragma once

#include "platform/dialogs/dialog_backend.h"
#include "platform/host/host_types.h"

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_TYPEMASK = 0xF;
constexpr unsigned MB_ICONMASK = 0xF0;

using wb::ui::IDCANCEL;
using wb::ui::IDNO;
using wb::ui::IDOK;
using wb::ui::IDYES;

int AfxMessageBox(const CString& text, unsigned type = MB_OK);
// With an explicit caption, as a window's own MessageBox call.
int MessageBoxW(const CString& text, const CString& caption, unsigned type);
