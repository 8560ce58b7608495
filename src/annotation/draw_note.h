// The hidden window that receives the drag loop's messages while the user
// places a cable annotation: first the leader end, then the side of the
// text frame; the second pick turns the preview into a block.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialog.h"
#include "platform/editor/drag.h"
#include "platform/host/host_types.h"

// Built from template 149, which has no visible style: the window is never
// shown.
class CDrawNote : public wb::ui::Dialog, public DragReceiver {
 public:
  explicit CDrawNote(void* parent = nullptr);

  // Runs one placement for `wireId`, `pickPoint` and `lines`. False when
  // the element gives no anchor (nothing is shown then).
  bool StartAnnotationDrag();
  // Follows the cursor; with `commit` the preview then becomes the block.
  bool UpdatePreview(CDrag* drag, bool commit);
  // Pick handler: 1 after the leader end is fixed, 0 when the drag ends.
  intptr_t OnDragPick(CDrag* drag);
  // A new block definition named from "MWNT" and a reference to it at
  // `anchor`, not yet in the drawing (the caller owns it).
  bool CreateAnnotationBlock(AcDbBlockReference*& reference, const AcGePoint3d& anchor);

  intptr_t OnDragMessage(unsigned message, uintptr_t wParam, DragRecord* record) override;

  AcDbObjectId wireId;
  AcGePoint3d pickPoint;
  CStringArray lines;
  double scale = 1.0;
  void* parentWnd = nullptr;
  AcGePoint3d leaderEnd;
  int32_t phase = 0;
  double frameWidth = 0;
  int32_t side = 1;
  bool originMode = false;
  AcGePoint3d anchor;

 private:
  // Moves the leader's end (and in wire mode its start) to the cursor `p`;
  // `p` becomes the corrected point. False when the entities are not lines.
  bool UpdateLeader(CDrag* drag, AcGePoint3d& p);
  bool Commit(CDrag* drag);
};

// The annotation's drag window; made by the main dialog's "記入" button.
extern CDrawNote* g_pDrawNote;
