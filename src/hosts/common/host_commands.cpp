#include "hosts/common/host_commands.h"

#include "hosts/common/entity_listing.h"
#include "platform/editor/document.h"
#include "platform/editor/prompts.h"

namespace wb::hosts {
namespace {

void Print(const WString& text) { editor::Output().Print(text); }

void Step(bool undo) {
  db::Database* database = editor::ActiveDatabase();
  std::string name;
  if (!database || !(undo ? database->Undo(&name) : database->Redo(&name))) {
    Print(undo ? u"元に戻す操作はありません。\n" : u"やり直す操作はありません。\n");
    return;
  }
  Print((undo ? u"元に戻しました: " : u"やり直しました: ") + Utf8ToUtf16(name) + u"\n");
}

void List(std::vector<db::ObjectId> ids) {
  if (ids.empty()) {
    AcDbObjectIdArray selected;
    if (editor::Prompts().SelectObjects([](AcDbObjectId) { return true; }, selected) != RTNORM) return;
    ids = selected;
  }
  for (db::ObjectId id : ids) Print(u"\n" + FormatListing(ListEntity(id)));
}

}  // namespace

const std::vector<WString>& HostCommandNames() {
  static const std::vector<WString> names{u"UNDO", u"U", u"REDO", u"LIST"};
  return names;
}

bool IsHostCommand(const WString& name) {
  for (const WString& known : HostCommandNames())
    if (EqualsNoCase(known, name)) return true;
  return false;
}

bool RunHostCommand(const WString& name, const std::vector<db::ObjectId>& preselected) {
  if (EqualsNoCase(name, u"UNDO") || EqualsNoCase(name, u"U")) {
    Step(true);
  } else if (EqualsNoCase(name, u"REDO")) {
    Step(false);
  } else if (EqualsNoCase(name, u"LIST")) {
    List(preselected);
  } else {
    return false;
  }
  return true;
}

}  // namespace wb::hosts
