#include "platform/editor/drag.h"

namespace wb::editor {
namespace {
DragBackend* g_backend = nullptr;
}  // namespace

DragBackend* SetDragBackend(DragBackend* backend) {
  DragBackend* previous = g_backend;
  g_backend = backend;
  return previous;
}

DragBackend* CurrentDragBackend() { return g_backend; }

}  // namespace wb::editor

ScriptedDragBackend& ScriptedDragBackend::Move(const AcGePoint3d& p) {
  inputs_.push_back({DragInput::kMove, p});
  return *this;
}

ScriptedDragBackend& ScriptedDragBackend::Pick(const AcGePoint3d& p) {
  inputs_.push_back({DragInput::kPick, p});
  return *this;
}

ScriptedDragBackend& ScriptedDragBackend::Cancel() {
  inputs_.push_back({DragInput::kCancel, {}});
  return *this;
}

void ScriptedDragBackend::Begin(const CString& prompt) { prompts_.push_back(prompt); }

DragInput ScriptedDragBackend::Next(const CDrag&) {
  ++frames_;
  if (next_ >= inputs_.size()) return {DragInput::kCancel, {}};
  return inputs_[next_++];
}

void ScriptedDragBackend::End() {}

CDrag::CDrag(int) {}

CDrag::~CDrag() { RemoveAll(0); }

int CDrag::Append(AcDbEntity* entity, const char16_t* tag, int flag) {
  items_.push_back({entity, tag ? CString(tag) : CString(), flag, true});
  return Length() - 1;
}

AcDbEntity* CDrag::At(int index, int* flag, CString* tag) const {
  if (index < 0 || index >= Length()) return nullptr;
  const Item& item = items_[index];
  if (flag) *flag = item.flag;
  if (tag) *tag = item.tag;
  return item.entity;
}

void CDrag::RemoveAll(int release) {
  if (!release)
    for (Item& item : items_) delete item.entity;
  items_.clear();
}

void CDrag::SetEntEnable(int index, int on) {
  if (index >= 0 && index < Length()) items_[index].enabled = on != 0;
}

bool CDrag::IsEntEnabled(int index) const {
  return index >= 0 && index < Length() && items_[index].enabled;
}

void CDrag::DistEnabled(int mode, double textSize, int precision, double offsetX,
                        double offsetY, int visible, const void* font, int units) {
  dist_ = {mode, textSize, precision, offsetX, offsetY, visible, font, units};
}

int CDrag::Dynamic(DragReceiver* receiver, const CString& prompt, bool, const AcGePoint3d*,
                   double, double, double, double) {
  DragBackend* backend = wb::editor::CurrentDragBackend();
  if (!backend || !receiver) return RTCAN;
  DragRecord record{this, 0};
  auto send = [&](unsigned message) {
    record.message = message;
    return receiver->OnDragMessage(message, 0, &record);
  };
  backend->Begin(prompt);
  send(WM_DRAG_START);
  int result = RTCAN;
  while (true) {
    DragInput input = backend->Next(*this);
    if (input.kind == DragInput::kCancel) {
      send(WM_DRAG_CANCEL);
      break;
    }
    point_ = input.point;
    if (input.kind == DragInput::kMove) {
      send(WM_DRAG_MOVE);
      continue;
    }
    if (send(WM_DRAG_PICK) == 0) {
      result = RTNORM;
      break;
    }
  }
  backend->End();
  return result;
}
