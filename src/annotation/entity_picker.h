// The nested entity prompt the wire selection needs, behind a small
// interface so the editor's prompt service (or a test script) can answer
// it. Without an installed picker every prompt is cancelled.
#pragma once

#include <vector>

#include "platform/host/host_types.h"

// Result of a nested pick on the command line.
struct NestedPick {
  AcDbObjectId entity;           // the picked entity; null when it has no id
  AcGePoint3d point;             // where the user picked
  AcDbObjectIdArray containers;  // enclosing block references, innermost first
};

class EntityPicker {
 public:
  virtual ~EntityPicker() = default;
  // Nested entity prompt: RTNORM with `pick` filled, RTERROR for a missed
  // pick or an empty answer (see ErrNo), RTCAN on Esc.
  virtual int NEntSelP(const CString& prompt, NestedPick& pick) = 0;
  // The host variable ERRNO after RTERROR: 52 for an empty answer.
  virtual int ErrNo() = 0;
};

// Returns the previous picker.
EntityPicker* SetEntityPicker(EntityPicker* picker);
EntityPicker* CurrentEntityPicker();

// Plays a fixed list of answers; when it runs out it answers Esc.
class ScriptedEntityPicker : public EntityPicker {
 public:
  struct Answer {
    int result = RTCAN;
    NestedPick pick;
    int errNo = 0;
  };
  ScriptedEntityPicker& Pick(AcDbObjectId entity, const AcGePoint3d& point,
                             AcDbObjectIdArray containers);
  ScriptedEntityPicker& Miss();   // RTERROR, ERRNO 7
  ScriptedEntityPicker& Empty();  // RTERROR, ERRNO 52 (Enter)
  ScriptedEntityPicker& Cancel();

  int NEntSelP(const CString& prompt, NestedPick& pick) override;
  int ErrNo() override { return errNo_; }

  const std::vector<CString>& Prompts() const { return prompts_; }
  size_t Remaining() const { return answers_.size() - next_; }

 private:
  std::vector<Answer> answers_;
  size_t next_ = 0;
  int errNo_ = 0;
  std::vector<CString> prompts_;
};
