#include "annotation/entity_picker.h"

namespace {
EntityPicker* g_picker = nullptr;
constexpr int kErrnoMissedPick = 7;
constexpr int kErrnoEmptyAnswer = 52;
}  // namespace

EntityPicker* SetEntityPicker(EntityPicker* picker) {
  EntityPicker* previous = g_picker;
  g_picker = picker;
  return previous;
}

EntityPicker* CurrentEntityPicker() { return g_picker; }

ScriptedEntityPicker& ScriptedEntityPicker::Pick(AcDbObjectId entity, const AcGePoint3d& point,
                                                 AcDbObjectIdArray containers) {
  answers_.push_back({RTNORM, {entity, point, std::move(containers)}, 0});
  return *this;
}

ScriptedEntityPicker& ScriptedEntityPicker::Miss() {
  answers_.push_back({RTERROR, {}, kErrnoMissedPick});
  return *this;
}

ScriptedEntityPicker& ScriptedEntityPicker::Empty() {
  answers_.push_back({RTERROR, {}, kErrnoEmptyAnswer});
  return *this;
}

ScriptedEntityPicker& ScriptedEntityPicker::Cancel() {
  answers_.push_back({RTCAN, {}, 0});
  return *this;
}

int ScriptedEntityPicker::NEntSelP(const CString& prompt, NestedPick& pick) {
  prompts_.push_back(prompt);
  if (next_ >= answers_.size()) return RTCAN;
  const Answer& answer = answers_[next_++];
  errNo_ = answer.errNo;
  pick = answer.pick;
  return answer.result;
}
