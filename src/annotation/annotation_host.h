// What the annotation command asks of the editor and of the main dialog:
// a nested entity pick, the host's ERRNO, a stop message box and the two
// check boxes. Hosts (desktop, command line, tests) install an
// implementation; without one the command does nothing.
#pragma once

#include "platform/host/host_types.h"

// Result of a nested pick on the command line.
struct NestedPick {
  AcDbObjectId entity;           // the picked entity; null when it has no id
  AcGePoint3d point;             // where the user picked
  AcDbObjectIdArray containers;  // enclosing block references, innermost first
};

class AnnotationHost {
 public:
  virtual ~AnnotationHost() = default;
  // Nested entity prompt: RTNORM with `pick` filled, RTERROR for a missed
  // pick or an empty answer (see ErrNo), RTCAN on Esc.
  virtual int NEntSelP(const CString& prompt, NestedPick& pick) = 0;
  // The host variable ERRNO after RTERROR: 52 for an empty answer.
  virtual int ErrNo() = 0;
  // A modal message box with the stop icon.
  virtual void StopMessage(const CString& text) = 0;
  // True while the main dialog exists.
  virtual bool MainDialogExists() = 0;
  // BM_GETCHECK of a check box of the main dialog: 1 when ticked.
  virtual int IsDlgButtonChecked(int id) = 0;
};

// Returns the previous host.
AnnotationHost* SetAnnotationHost(AnnotationHost* host);
AnnotationHost* CurrentAnnotationHost();
