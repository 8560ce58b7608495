// The editor's prompts: a point, one entity pick, a nested pick, an
// interactive selection, and the activation of the drawing window. The module
// calls the host-style functions at the bottom; a front end answers them by
// implementing PromptBackend (the desktop host with the mouse and keyboard,
// tests and the CLI with ScriptedPrompts).
//
// Results are the host's: RTNORM with an answer, RTNONE when the user pressed
// Enter, RTCAN for Esc, RTERROR when a pick hit nothing. A command queued
// while a prompt waits (a button of a modeless dialog pressed meanwhile)
// ends the prompt with RTCAN; the queued command runs after the current one.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/editor/selection.h"
#include "platform/host/host_types.h"

namespace wb::editor {

class PromptBackend {
 public:
  virtual ~PromptBackend() = default;
  // A point in world coordinates; `base` (may be null) anchors a rubber band.
  virtual int GetPoint(const WString& prompt, const AcGePoint3d* base, AcGePoint3d& point) = 0;
  // One model-space entity and the point at which it was picked.
  virtual int PickEntity(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point) = 0;
  // The innermost entity under the pick and the block references around it,
  // innermost first (empty for a model-space entity).
  virtual int PickNested(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point,
                         AcDbObjectIdArray& containers) = 0;
  // Several model-space entities; only those `accept` lets through count.
  // RTERROR when none was selected.
  virtual int SelectObjects(const std::function<bool(AcDbObjectId)>& accept,
                            AcDbObjectIdArray& selected) = 0;
  // The drawing window takes the focus.
  virtual void ActivateDocument() {}
  // Pick tolerance in drawing units, for picks made at a given point.
  virtual double Aperture() const { return 5.0; }
};

// The backend in use: a ScriptedPrompts without answers (every prompt is
// cancelled) until a host sets one.
PromptBackend& Prompts();
// Returns the previous backend; null restores the default.
PromptBackend* SetPromptBackend(PromptBackend* backend);

// What a click at `point` hits: the entity whose geometry passes nearest,
// within `aperture` drawing units in the XY plane; on equal distance the one
// drawn last. Lines, polylines, arcs, circles and points count by their
// geometry, texts by their box, block references by their definition's
// geometry and by their insertion point.
struct PickHit {
  AcDbObjectId entity;                // model-space entity
  AcDbObjectId leaf;                  // innermost entity under the pick
  AcDbObjectIdArray containers;       // block references around leaf, innermost first
  double distance = 0;
};
bool PickAt(const AcGePoint3d& point, double aperture, PickHit& hit);

// Plays the user from a queue of answers, one per prompt, in order. Every
// prompt shown is recorded; a prompt without an answer is cancelled and
// recorded as a problem, as the dialog script does.
class ScriptedPrompts : public PromptBackend {
 public:
  // A picked point; to an entity prompt it is a click at that point.
  void Point(AcGePoint3d point);
  // The entity of this handle picked (at its location) or selected alone.
  void Handle(const std::string& handle);
  void Entity(AcDbObjectId id);
  // A nested pick's whole answer as the host gives it: the innermost
  // entity, where it was picked, and its block references, innermost first.
  void Nested(AcDbObjectId leaf, AcGePoint3d point, AcDbObjectIdArray containers);
  // A selection of several entities (the filter still applies).
  void Select(AcDbObjectIdArray ids);
  void Enter();
  void Cancel();
  // The user does something else while the prompt waits, e.g. clicks a
  // button of a modeless dialog; the prompt then takes the next answer,
  // unless the action queued a command, which ends the prompt with RTCAN.
  void Do(std::function<void()> action);

  void set_aperture(double aperture) { aperture_ = aperture; }
  // With answers used up, further prompts get Esc without complaint: the
  // user ending a command that repeats itself.
  void set_escape_when_out(bool escape) { escapeWhenOut_ = escape; }
  double Aperture() const override { return aperture_; }

  const std::vector<WString>& prompts() const { return prompts_; }
  const std::vector<WString>& problems() const { return problems_; }
  int activations() const { return activations_; }
  bool Idle() const { return answers_.empty(); }
  size_t Remaining() const { return answers_.size(); }
  void Clear();

  int GetPoint(const WString& prompt, const AcGePoint3d* base, AcGePoint3d& point) override;
  int PickEntity(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point) override;
  int PickNested(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point,
                 AcDbObjectIdArray& containers) override;
  int SelectObjects(const std::function<bool(AcDbObjectId)>& accept,
                    AcDbObjectIdArray& selected) override;
  void ActivateDocument() override { ++activations_; }

 private:
  struct Answer {
    enum Kind { kPoint, kEntity, kNested, kSelect, kEnter, kCancel, kAction } kind;
    AcGePoint3d point;
    AcDbObjectIdArray ids;
    std::function<void()> action;
    AcDbObjectId leaf = {};
  };
  // Runs queued actions; false when one of them queued a command (or there
  // is no answer left), with `result` set to the prompt's result.
  bool NextAnswer(const WString& prompt, Answer& answer, int& result);
  int Pick(const WString& prompt, bool nested, AcDbObjectId& entity, AcGePoint3d& point,
           AcDbObjectIdArray& containers);

  std::deque<Answer> answers_;
  std::vector<WString> prompts_;
  std::vector<WString> problems_;
  double aperture_ = 5.0;
  int activations_ = 0;
  bool escapeWhenOut_ = false;
};

}  // namespace wb::editor

// Host-style entry points.
int acedGetPoint(const AcGePoint3d* base, const char16_t* prompt, AcGePoint3d& result);
// `entity` names the picked entity (acdbGetObjectId gives its identifier).
int acedEntSel(const char16_t* prompt, ads_name& entity, AcGePoint3d& point);
// With `pickFlag` the pick is made at `point` without asking the user.
int acedNEntSelP(const char16_t* prompt, ads_name& entity, AcGePoint3d& point, bool pickFlag,
                 AcDbObjectIdArray& containers);

// The drawing window and the one message the module posts to it.
struct HostWindow;
using HWND = HostWindow*;
constexpr unsigned WM_ACTIVATE = 0x0006;
constexpr uintptr_t WA_ACTIVE = 1;
HWND adsw_acadDocWnd();
bool PostMessageW(HWND window, unsigned message, uintptr_t wParam, intptr_t lParam);
