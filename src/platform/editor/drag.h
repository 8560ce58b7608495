// The drag loop: temporary entities follow the cursor while a receiver
// window, told of every cursor move and pick, updates them. The loop gets
// its input from a DragBackend: the scripted one here (tests, command-line
// host) or the desktop host's, which draws the preview and tracks the mouse.
//
// The receiver gets window messages whose second parameter points to a
// DragRecord naming the running CDrag; the message numbers follow.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/editor/drag_entity.h"

// Message numbers of the drag loop.
inline constexpr unsigned WM_DRAG_MOVE = 0x1400;    // cursor moved; GetPoint() is the cursor
inline constexpr unsigned WM_DRAG_START = 0x1401;   // once, before the first input
inline constexpr unsigned WM_DRAG_PICK = 0x1402;    // pick; answer 0 ends the loop
inline constexpr unsigned WM_DRAG_CANCEL = 0x1403;  // Esc; the loop ends after it

class CDrag;

// What the second message parameter points to.
struct DragRecord {
  CDrag* drag = nullptr;
  unsigned message = 0;
};

// A window that receives the drag's messages (the module's hidden dialog).
class DragReceiver {
 public:
  virtual ~DragReceiver() = default;
  virtual intptr_t OnDragMessage(unsigned message, uintptr_t wParam, DragRecord* record) = 0;
};

// One input of the drag loop.
struct DragInput {
  enum Kind { kMove, kPick, kCancel };
  Kind kind = kCancel;
  AcGePoint3d point;
};

// Where the loop's input comes from and where its preview goes.
class DragBackend {
 public:
  virtual ~DragBackend() = default;
  // The loop starts: show `prompt`.
  virtual void Begin(const CString& prompt) = 0;
  // Draw the drag's enabled entities (they may have changed), then wait for
  // and return the next input.
  virtual DragInput Next(const CDrag& drag) = 0;
  // The loop has ended (picked or cancelled): remove the preview.
  virtual void End() = 0;
};

// Plays a fixed list of inputs; when the list runs out it answers Esc.
class ScriptedDragBackend : public DragBackend {
 public:
  ScriptedDragBackend() = default;
  explicit ScriptedDragBackend(std::vector<DragInput> inputs) : inputs_(std::move(inputs)) {}

  ScriptedDragBackend& Move(const AcGePoint3d& p);
  ScriptedDragBackend& Pick(const AcGePoint3d& p);
  ScriptedDragBackend& Cancel();

  void Begin(const CString& prompt) override;
  DragInput Next(const CDrag& drag) override;
  void End() override;

  // What the loop asked for, for tests and the command-line transcript.
  const std::vector<CString>& Prompts() const { return prompts_; }
  size_t Consumed() const { return next_; }
  size_t Remaining() const { return inputs_.size() - next_; }
  int Frames() const { return frames_; }

 private:
  std::vector<DragInput> inputs_;
  size_t next_ = 0;
  std::vector<CString> prompts_;
  int frames_ = 0;
};

namespace wb::editor {
// Installs the backend every drag uses (null: none, every drag is
// cancelled at once); returns the previous one.
DragBackend* SetDragBackend(DragBackend* backend);
DragBackend* CurrentDragBackend();
}  // namespace wb::editor

class CDrag {
 public:
  explicit CDrag(int flags = 0);
  ~CDrag();  // deletes the entities the list still holds
  CDrag(const CDrag&) = delete;
  CDrag& operator=(const CDrag&) = delete;

  // Adds `entity` (the drag owns it from now on) with its tag text (may be
  // null) and an integer flag; returns its index.
  int Append(AcDbEntity* entity, const char16_t* tag, int flag);
  int Length() const { return static_cast<int>(items_.size()); }
  // The entity at `index` (null outside the list), its flag and tag.
  AcDbEntity* At(int index, int* flag = nullptr, CString* tag = nullptr) const;
  // Empties the list; with `release` the entities are left to whoever owns
  // them now, otherwise they are deleted.
  void RemoveAll(int release);

  // The cursor (during a move) or the picked point, world coordinates.
  AcGePoint3d GetPoint() const { return point_; }
  // Shows or hides one entity of the preview.
  void SetEntEnable(int index, int on);
  bool IsEntEnabled(int index) const;

  // Distance readout of the preview: kept for the backend; the scripted one
  // ignores it.
  struct DistSettings {
    int mode = 0;
    double textSize = 15.0;
    int precision = 1;
    double offsetX = 10.0, offsetY = 10.0;
    int visible = 1;
    const void* font = nullptr;
    int units = 1;
  };
  void DistEnabled(int mode, double textSize, int precision, double offsetX, double offsetY,
                   int visible, const void* font, int units);
  const DistSettings& Dist() const { return dist_; }

  // Runs the loop with the installed backend, sending the messages to
  // `receiver`. RTNORM when a pick was answered with 0, RTCAN on Esc.
  // The remaining arguments (ortho flag, base point, snap and scales) are
  // kept for the desktop preview.
  int Dynamic(DragReceiver* receiver, const CString& prompt, bool ortho,
              const AcGePoint3d* basePoint, double snap, double xScale, double yScale,
              double zScale);

 private:
  struct Item {
    AcDbEntity* entity = nullptr;
    CString tag;
    int flag = 0;
    bool enabled = true;
  };
  std::vector<Item> items_;
  AcGePoint3d point_;
  DistSettings dist_;
};
