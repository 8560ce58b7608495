#include "platform/editor/prompts.h"

#include <string>

#include "platform/db/block_walk.h"
#include "platform/editor/command_queue.h"
#include "platform/editor/document.h"
#include "platform/editor/entity.h"
#include "platform/editor/layer_state.h"

namespace wb::editor {
namespace {

ScriptedPrompts g_defaultPrompts;
PromptBackend* g_prompts = &g_defaultPrompts;

// Where a scripted pick by handle lands: the entity's own location, else the
// first point of its geometry.
AcGePoint3d PickPointOf(AcDbObjectId id) {
  if (auto at = ActiveDatabase()->Location(id)) return *at;
  auto primitives = EntityPrimitives(id);
  return primitives.empty() ? AcGePoint3d{} : primitives.front().a;
}

int Int(const std::optional<std::string>& text, int fallback) {
  if (!text) return fallback;
  try {
    return std::stoi(*text);
  } catch (...) {
    return fallback;
  }
}

// What the user does not see cannot be picked: an invisible entity, or one on
// a layer that is off or frozen. Members on layer 0 take their reference's.
bool Unseen(const db::Database& database, AcDbObjectId id, bool member) {
  if (Int(database.Group(id, 60), 0) != 0) return true;
  const std::string layer = database.Layer(id);
  if (member && layer == "0") return false;
  return LayerOff(database, layer) || LayerFrozen(database, layer);
}

}  // namespace

PromptBackend& Prompts() { return *g_prompts; }

PromptBackend* SetPromptBackend(PromptBackend* backend) {
  PromptBackend* previous = g_prompts == &g_defaultPrompts ? nullptr : g_prompts;
  g_prompts = backend ? backend : &g_defaultPrompts;
  return previous;
}

bool PickAt(const AcGePoint3d& point, double aperture, PickHit& hit) {
  db::Database* database = ActiveDatabase();
  if (!database) return false;
  bool found = false;
  const std::vector<AcDbObjectId> entities = database->ModelSpaceEntities();
  db::WalkPool pool(entities.size());
  for (AcDbObjectId id : entities) {
    if (Unseen(*database, id, false)) continue;
    AcDbObjectId leaf = id;  // the primitives of one member come together
    bool leafUnseen = false;
    for (const PickPrimitive& p : EntityPrimitives(id, &pool)) {
      if (p.leaf != leaf) {
        leaf = p.leaf;
        leafUnseen = leaf != id && Unseen(*database, leaf, true);
      }
      if (leafUnseen) continue;
      const double d = PlanarDistance(p, point);
      if (d > aperture || (found && d > hit.distance)) continue;
      hit.entity = id;
      hit.leaf = p.leaf;
      hit.containers = p.containers;
      hit.distance = d;
      found = true;
    }
  }
  return found;
}

void ScriptedPrompts::Point(AcGePoint3d point) {
  Answer a{Answer::kPoint, point, {}, {}};
  answers_.push_back(std::move(a));
}

void ScriptedPrompts::Handle(const std::string& handle) {
  Entity(db::Database::FromHandleText(handle));
}

void ScriptedPrompts::Entity(AcDbObjectId id) {
  answers_.push_back({Answer::kEntity, {}, {id}, {}});
}

void ScriptedPrompts::Select(AcDbObjectIdArray ids) {
  answers_.push_back({Answer::kSelect, {}, std::move(ids), {}});
}

void ScriptedPrompts::Nested(AcDbObjectId leaf, AcGePoint3d point, AcDbObjectIdArray containers) {
  Answer a{Answer::kNested, point, std::move(containers), {}};
  a.leaf = leaf;
  answers_.push_back(std::move(a));
}

void ScriptedPrompts::Enter() { answers_.push_back({Answer::kEnter, {}, {}, {}}); }
void ScriptedPrompts::Cancel() { answers_.push_back({Answer::kCancel, {}, {}, {}}); }

void ScriptedPrompts::Do(std::function<void()> action) {
  answers_.push_back({Answer::kAction, {}, {}, std::move(action)});
}

void ScriptedPrompts::Clear() {
  answers_.clear();
  prompts_.clear();
  problems_.clear();
  activations_ = 0;
}

bool ScriptedPrompts::NextAnswer(const WString& prompt, Answer& answer, int& result) {
  prompts_.push_back(prompt);
  while (!answers_.empty() && answers_.front().kind == Answer::kAction) {
    auto action = std::move(answers_.front().action);
    answers_.pop_front();
    action();
    if (CommandStack::Instance().HasQueued()) {
      result = RTCAN;
      return false;
    }
  }
  if (answers_.empty()) {
    if (!escapeWhenOut_)
      problems_.push_back(u"a prompt was shown that the script does not answer: " + prompt);
    result = RTCAN;
    return false;
  }
  answer = std::move(answers_.front());
  answers_.pop_front();
  if (answer.kind == Answer::kEnter) {
    result = RTNONE;
    return false;
  }
  if (answer.kind == Answer::kCancel) {
    result = RTCAN;
    return false;
  }
  return true;
}

int ScriptedPrompts::GetPoint(const WString& prompt, const AcGePoint3d*, AcGePoint3d& point) {
  Answer answer;
  int result = RTNORM;
  if (!NextAnswer(prompt, answer, result)) return result;
  if (answer.kind != Answer::kPoint) {
    problems_.push_back(u"a point prompt was answered with an entity: " + prompt);
    return RTCAN;
  }
  point = answer.point;
  return RTNORM;
}

int ScriptedPrompts::Pick(const WString& prompt, bool nested, AcDbObjectId& entity,
                          AcGePoint3d& point, AcDbObjectIdArray& containers) {
  Answer answer;
  int result = RTNORM;
  if (!NextAnswer(prompt, answer, result)) return result;
  containers.clear();
  db::Database* database = ActiveDatabase();
  if (!database) return RTERROR;
  switch (answer.kind) {
    case Answer::kPoint: {
      PickHit hit;
      if (!PickAt(answer.point, aperture_, hit)) return RTERROR;
      entity = nested ? hit.leaf : hit.entity;
      if (nested) containers = hit.containers;
      point = answer.point;
      return RTNORM;
    }
    case Answer::kNested:
      point = answer.point;
      if (nested) {
        entity = answer.leaf;
        containers = answer.ids;
      } else {
        entity = answer.ids.empty() ? answer.leaf : answer.ids.back();
      }
      return RTNORM;
    case Answer::kEntity:
    case Answer::kSelect: {
      if (answer.ids.size() != 1 || !database->IsAlive(answer.ids[0])) return RTERROR;
      entity = answer.ids[0];
      point = PickPointOf(entity);
      // A nested pick of a block reference named by handle reaches its
      // first visible member, as a click on the reference's outline would.
      if (nested) {
        if (auto insert = database->Insert(entity)) {
          const auto members = database->BlockEntities(insert->blockName);
          for (AcDbObjectId member : members) {
            if (database->EntityType(member) == "POINT" && member != members.back()) continue;
            containers = {entity};
            entity = member;
            break;
          }
        }
      }
      return RTNORM;
    }
    default:
      return RTERROR;
  }
}

int ScriptedPrompts::PickEntity(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point) {
  AcDbObjectIdArray containers;
  return Pick(prompt, false, entity, point, containers);
}

int ScriptedPrompts::PickNested(const WString& prompt, AcDbObjectId& entity, AcGePoint3d& point,
                                AcDbObjectIdArray& containers) {
  return Pick(prompt, true, entity, point, containers);
}

int ScriptedPrompts::SelectObjects(const std::function<bool(AcDbObjectId)>& accept,
                                   AcDbObjectIdArray& selected) {
  Answer answer;
  int result = RTNORM;
  selected.clear();
  if (!NextAnswer(u"Select objects:", answer, result)) return result;
  db::Database* database = ActiveDatabase();
  if (!database) return RTERROR;
  AcDbObjectIdArray candidates = answer.ids;
  if (answer.kind == Answer::kPoint) {
    PickHit hit;
    if (PickAt(answer.point, aperture_, hit)) candidates = {hit.entity};
  }
  for (AcDbObjectId id : candidates) {
    if (!database->IsAlive(id) || !accept(id)) continue;
    bool twice = false;
    for (AcDbObjectId s : selected) twice = twice || s == id;
    if (!twice) selected.push_back(id);
  }
  return selected.empty() ? RTERROR : RTNORM;
}

}  // namespace wb::editor

int acedGetPoint(const AcGePoint3d* base, const char16_t* prompt, AcGePoint3d& result) {
  return wb::editor::Prompts().GetPoint(prompt ? prompt : u"", base, result);
}

int acedEntSel(const char16_t* prompt, ads_name& entity, AcGePoint3d& point) {
  AcDbObjectId id;
  const int result = wb::editor::Prompts().PickEntity(prompt ? prompt : u"", id, point);
  if (result == RTNORM) entity = wb::editor::EntityName(id);
  return result;
}

int acedNEntSelP(const char16_t* prompt, ads_name& entity, AcGePoint3d& point, bool pickFlag,
                 AcDbObjectIdArray& containers) {
  containers.clear();
  AcDbObjectId id;
  int result;
  if (pickFlag) {
    wb::editor::PickHit hit;
    result = wb::editor::PickAt(point, wb::editor::Prompts().Aperture(), hit) ? RTNORM : RTERROR;
    id = hit.leaf;
    containers = hit.containers;
  } else {
    result = wb::editor::Prompts().PickNested(prompt ? prompt : u"", id, point, containers);
  }
  if (result == RTNORM) entity = wb::editor::EntityName(id);
  return result;
}

struct HostWindow {};

HWND adsw_acadDocWnd() {
  static HostWindow window;
  return &window;
}

bool PostMessageW(HWND window, unsigned message, uintptr_t wParam, intptr_t) {
  if (window != adsw_acadDocWnd()) return false;
  if (message == WM_ACTIVATE && wParam != 0) wb::editor::Prompts().ActivateDocument();
  return true;
}
