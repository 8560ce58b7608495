#include "annotation/cable_info.h"

#include "annotation/annotation_command.h"
#include "annotation/draw_note.h"
#include "module/user_session.h"
#include "platform/editor/drag.h"

namespace {

using AnnotationTest = wbtest::UserSession;
using wbtest::ExpectPoint;

CableInfoLists OneCable() {
  CableInfoLists lists;
  lists.numbers = {u"W-1"};
  lists.sizes = {u"IV5.5"};
  lists.fromMarks = {u"P1"};
  lists.toMarks = {u"M2"};
  return lists;
}

std::u16string Line(const CableInfoLists& lists, bool number, bool fromTo) {
  CStringArray lines = BuildAnnotationLines(lists, number, fromTo);
  EXPECT_EQ(lines.size(), lists.sizes.size());
  return lines.empty() ? u"<none>" : lines[0];
}

TEST_F(AnnotationTest, LinesFollowTheFormatTheCheckBoxesAndTheSubNumbers) {
  CableInfoLists lists = OneCable();
  EXPECT_EQ(Line(lists, true, true), u"P1 M2 W-1 IV5.5");
  EXPECT_EQ(Line(lists, false, true), u"P1 M2 IV5.5");
  EXPECT_EQ(Line(lists, true, false), u"W-1 IV5.5");
  EXPECT_EQ(Line(lists, false, false), u"IV5.5");

  g_cableSetting.cinfoTextFormat = u"A-B/C";
  EXPECT_EQ(Line(lists, false, true), u"IV5.5/P1");  // the hyphen goes with the number
  g_cableSetting.cinfoTextFormat = u"A B C";
  EXPECT_EQ(Line(lists, true, false), u"W-1 IV5.5 ");  // the blank before C stays
  g_cableSetting.cinfoTextFormat = u"[a:A] (B) xyz";
  EXPECT_EQ(Line(lists, true, true), u"[a:W-1] (IV5.5) xyz");
  EXPECT_EQ(Line(lists, false, true), u"[a:IV5.5) xyz");  // "] (" went with A

  // Sub-numbers only when switched on and present.
  lists.sizes = {u"IV5.5", u"CV2"};
  lists.numbers = {u"W-1", u"W-2"};
  lists.fromMarks = {u"P1", u"P3"};
  lists.toMarks = {u"M2", u"M4"};
  lists.fromSubNumbers = {u"2"};        // shorter than the cable list
  lists.toSubNumbers = {u"", u"7"};
  g_cableSetting.cinfoTextFormat = u"C D";
  CStringArray lines = BuildAnnotationLines(lists, true, true);
  EXPECT_EQ(lines, (CStringArray{u"P1 M2", u"P3 M4"}));  // switch off
  g_cableSetting.annoSubNumber = true;
  g_cableSetting.subNumberSeparator = u"-";
  lines = BuildAnnotationLines(lists, true, true);
  EXPECT_EQ(lines, (CStringArray{u"P1-2 M2", u"P3 M4-7"}));
  EXPECT_TRUE(BuildAnnotationLines(CableInfoLists{}, true, true).empty());
}

TEST_F(AnnotationTest, CableKeysAndEtatEntriesAreRead) {
  AcDbObjectId wire = Wire({0, 0, 0}, {10, 0, 0},
                           {"CB03|IV5.5,CV2|1|1|99|1|", "CB04|P1,P3|1|1|99|1|",
                            "CB06|M2,M4|1|1|99|1|", "CB08|W-1,W-2|1|1|99|1|",
                            "CB09|2|1|1|99|1|"});
  CableInfoLists lists = ReadCableInfoLists(wire);
  EXPECT_EQ(lists.sizes, (CStringArray{u"IV5.5", u"CV2"}));
  EXPECT_EQ(lists.fromSubNumbers, CStringArray{u"2"});
  EXPECT_TRUE(lists.toSubNumbers.empty());
  EXPECT_TRUE(CableInfoListsConsistent(lists));
  lists.numbers.push_back(u"x,y");
  EXPECT_FALSE(CableInfoListsConsistent(lists));

  // One cable without a number or a size: its keys are there with empty
  // values, and that is one cable, not none.
  AcDbObjectId unnumbered = Wire({0, 9, 0}, {10, 9, 0},
                                 {"CB03||1|1|99|1|", "CB04|P1|1|1|99|1|", "CB06|M2|1|1|99|1|",
                                  "CB08||1|1|99|1|", "CB09||1|1|99|1|"});
  lists = ReadCableInfoLists(unnumbered);
  EXPECT_EQ(lists.numbers, CStringArray{u""});
  EXPECT_EQ(lists.sizes, CStringArray{u""});
  EXPECT_EQ(lists.fromSubNumbers, CStringArray{u""});
  EXPECT_TRUE(lists.toSubNumbers.empty());
  EXPECT_TRUE(CableInfoListsConsistent(lists));
  EXPECT_EQ(BuildAnnotationLines(lists, true, true), CStringArray{u"P1 M2  "});

  // Never assigned: four empty lists agree.
  AcDbObjectId bare = Wire({0, 5, 0}, {10, 5, 0});
  lists = ReadCableInfoLists(bare);
  EXPECT_TRUE(lists.sizes.empty());
  EXPECT_TRUE(CableInfoListsConsistent(lists));

  // Entry values and ETAT flags.
  EXPECT_EQ(GetAttributeEntryValue(u"ETAT|12|1|1|99|1|"), u"12");
  EXPECT_EQ(GetAttributeEntryValue(u"KEY||1|1|99|1|"), u"");
  EXPECT_EQ(GetAttributeEntryValue(u"KEY|rest"), u"rest");
  EXPECT_EQ(GetAttributeEntryValue(u"nobar"), u"");

  plant.Block("KK-E", {{0, 0, 0}});
  auto tagged = [&](const std::vector<std::string>& entries) {
    AcDbObjectId id = plant.Insert("KK-E", {0, 0, 0});
    plant.Tag(id, 0, entries);
    return id;
  };
  const std::pair<std::vector<std::string>, bool> etat[] = {
      {{"S401|0|1|1|99|1|", "ETAT|1|1|1|99|1|"}, true}, {{"ETAT|-3|1|1|99|1|"}, true},
      {{"ETAT|0|1|1|99|1|"}, false}, {{"ETAT|abc|1|1|99|1|"}, false}, {{"S401|5|1|1|99|1|"}, false}};
  for (const auto& [entries, flagged] : etat) EXPECT_EQ(IsEtatFlagged(tagged(entries)), flagged) << entries.back();
  EXPECT_FALSE(IsEtatFlagged(AcDbObjectId{}));
}

using LayerTest = AnnotationTest;

TEST_F(LayerTest, LockedLayersAreReportedAndModuleLayersUnlocked) {
  auto* db = plant.db;
  auto lockedLayers = [db] {
    std::vector<std::string> locked;
    for (const std::string& name : db->LayerNames())
      if (db->IsLayerLocked(name)) locked.push_back(name);
    return locked;
  };
  for (const char* name : {"Wires", "QZ_CONNECT", "QZ_ANNO", "7", "16", "17", "qz_hide", "OTHER"}) {
    db->CreateLayer(name, 7);
    db->SetLayerLocked(name, true);
  }
  EXPECT_EQ(CheckLayerLocked(u"NOSUCH", false), -1);
  // An entity may spell its layer in another case: the report names the
  // layer record.
  EXPECT_EQ(CheckLayerLocked(u"WIRES", false), 1);
  ASSERT_EQ(dialogs.messages().size(), 1u);
  EXPECT_EQ(dialogs.messages()[0].text, u"画層 Wires がﾛｯｸされています、確認してください。");
  EXPECT_EQ(dialogs.messages()[0].type & MB_ICONMASK, MB_ICONSTOP);
  EXPECT_EQ(lockedLayers().size(), 8u);  // nothing unlocked on refusal

  // An unlocked wire layer, which is also the current one under another
  // spelling: module layers are unlocked, the others stay.
  db->SetLayerLocked("Wires", false);
  db->SetHeaderValue("$CLAYER", 8, "wires");
  EXPECT_EQ(CheckLayerLocked(u"WIRES", false), 0);
  EXPECT_EQ(dialogs.messages().size(), 1u);
  // Names compare exactly: "qz_hide" is not a module layer.
  EXPECT_EQ(lockedLayers(), (std::vector<std::string>{"17", "qz_hide", "OTHER"}));

  // A locked current layer refuses as well, naming the current layer.
  db->SetHeaderValue("$CLAYER", 8, "OTHER");
  EXPECT_EQ(CheckLayerLocked(u"WIRES", false), 1);
  EXPECT_EQ(dialogs.messages().back().text, u"画層 OTHER がﾛｯｸされています、確認してください。");
  // Asked to unlock, both layers open up.
  db->SetLayerLocked("Wires", true);
  EXPECT_EQ(CheckLayerLocked(u"WIRES", true), 0);
  EXPECT_EQ(lockedLayers(), (std::vector<std::string>{"17", "qz_hide"}));
}

// The whole command: main dialog, drag window, pick, drag, next prompt.
class CommandTest : public AnnotationTest {
 protected:
  void SetUp() override {
    AnnotationTest::SetUp();
    g_pMainDlg->CheckDlgButton(IDC_FROMTO, true);
    g_pMainDlg->CheckDlgButton(IDC_CABLENO, true);
    g_pDrawNote = new CDrawNote();
    g_pDrawNote->Create();
    g_pDrawNote->scale = 1.0;
  }
  void TearDown() override {
    delete g_pDrawNote;
    g_pDrawNote = nullptr;
    AnnotationTest::TearDown();
  }
  bool Requeued() {
    auto& stack = wb::editor::CommandStack::Instance();
    bool found = false;
    while (stack.HasQueued()) found |= stack.TakeQueued() == u"QZ_DrawCableInfo";
    return found;
  }
  size_t Annotations() {
    size_t count = 0;
    for (AcDbObjectId id : OfType("INSERT")) count += plant.db->Insert(id)->blockName.rfind("MWNT", 0) == 0;
    return count;
  }

  ScriptedDragBackend drag;

 private:
  wbtest::Installed<wb::editor::SetDragBackend> installDrag_{&drag};
};

// A picked wire is annotated and the next asked for, until Enter or a
// refusal ends the command.
TEST_F(CommandTest, AnnotatesPickedWiresUntilEnterOrARefusal) {
  AcDbObjectId good = Wire({0, -5, 0}, {10, -5, 0},
                           {"CB03|IV5.5|1|1|99|1|", "CB04|P1|1|1|99|1|", "CB06|M2|1|1|99|1|",
                            "CB08|W-1|1|1|99|1|"});
  AcDbObjectId locked = Wire({0, -9, 0}, {10, -9, 0});
  plant.db->SetGroup(locked, 8, "LOCKED");
  plant.db->SetLayerLocked("LOCKED", true);
  g_pMainDlg->CheckDlgButton(IDC_CABLENO, false);
  // Asked again until a usable pick: nothing there, not inside a block, no
  // id, a locked layer (reported); the reference is the outermost container.
  prompts.Point({500, 500, 0});
  prompts.Nested(AcDbObjectId{0x99}, {1, 1, 0}, {});
  prompts.Nested(AcDbObjectId{}, {1, 1, 0}, {good});
  prompts.Nested(AcDbObjectId{0x99}, {2, -9, 0}, {locked});
  prompts.Nested(AcDbObjectId{0x99}, {4, -4, 0}, {AcDbObjectId{0x1}, good});
  drag.Pick({4, 6, 0}).Pick({9, 6, 0});
  QZ_DrawCableInfo();
  EXPECT_EQ(prompts.prompts(), std::vector<CString>(5, u"\n配線を選択:"));
  EXPECT_EQ(dialogs.messages().size(), 1u);
  EXPECT_EQ(g_pDrawNote->lines, CStringArray{u"P1 M2 IV5.5"});
  EXPECT_EQ(g_pDrawNote->wireId, good);
  ExpectPoint(g_pDrawNote->pickPoint, 4, -4);
  EXPECT_EQ(Annotations(), 1u);
  EXPECT_TRUE(Requeued());
  prompts.Enter();
  QZ_DrawCableInfo();
  EXPECT_FALSE(Requeued());

  // Inconsistent cable data: message 154, not queued again.
  AcDbObjectId bad = Wire({0, 0, 0}, {10, 0, 0},
                          {"CB03|A,B|1|1|99|1|", "CB04|P1|1|1|99|1|", "CB06|M2,M3|1|1|99|1|",
                           "CB08|1,2|1|1|99|1|"});
  prompts.Nested(AcDbObjectId{0x99}, {4, 1, 0}, {bad});
  QZ_DrawCableInfo();
  EXPECT_EQ(output.text_, u"\n属性情報に不整合があるため、ケーブル情報を記入できません。");
  EXPECT_FALSE(Requeued());

  // Equipment without ETAT: silently ended.
  plant.Block("KK-1", {{0, 0, 0}});
  AcDbObjectId equipment = plant.Insert("KK-1", {20, 0, 0});
  plant.Tag(equipment, 0, {"ETAT|0|1|1|99|1|"});
  prompts.Nested(AcDbObjectId{0x99}, {20, 0, 0}, {equipment});
  QZ_DrawCableInfo();
  EXPECT_FALSE(Requeued());

  // A pick beyond the wire's end: no drag, but the next wire is asked for.
  AcDbObjectId wire = Wire({0, 5, 0}, {10, 5, 0});
  prompts.Nested(AcDbObjectId{0x99}, {12, 6, 0}, {wire});
  drag.Pick({0, 0, 0});
  QZ_DrawCableInfo();
  EXPECT_EQ(drag.Consumed(), 2u);  // the first wire's two picks
  EXPECT_TRUE(Requeued());

  // ETAT-flagged equipment counts as a part and is annotated at its origin.
  AcDbObjectId flagged = plant.Insert("KK-1", {30, 0, 0});
  plant.Tag(flagged, 0, {"ETAT|1|1|1|99|1|"});
  prompts.Nested(AcDbObjectId{0x99}, {30, 0, 0}, {flagged});
  drag.Pick({30, 10, 0});
  QZ_DrawCableInfo();
  EXPECT_TRUE(g_pDrawNote->originMode);
  EXPECT_EQ(Annotations(), 2u);
  EXPECT_TRUE(Requeued());

  // Without the drag window nothing happens at all.
  delete g_pDrawNote;
  g_pDrawNote = nullptr;
  prompts.Nested(AcDbObjectId{0x99}, {4, 6, 0}, {wire});
  QZ_DrawCableInfo();
  EXPECT_EQ(prompts.Remaining(), 1u);
}

}  // namespace
