// Equipment marks placed from the mark dialog and deleted again, and the
// cable attributes deleted from a selection.
#include <cmath>

#include "drawing/tagged_entities.h"
#include "marks/mark_commands.h"
#include "module/user_session.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"

using wb::W;

namespace wbtest {
namespace {

double Number(const std::optional<std::string>& text) { return text ? std::atof(text->c_str()) : NAN; }

class DrawMark : public UserSession {};

TEST_F(DrawMark, ListsEachEquipmentOnceInOrderOfFirstAppearance) {
  LoadList({Row("C1", "P1", "MCC", "1", "M1", "モータ", "1"),
            Row("C2", "P1", "MCC", "1", "M2", "モータ", ""),
            Row("C3", "P1", "MCC", "2", "M1", "モータ", "1"),  // other sub-number: own item
            Row("C4", "M1", "モータ", "1", "P1", "MCC", "1"),
            Row("C5", "", "", "", "", "", "")});
  auto items = [](const wb::ui::Control& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetItemCount(); ++i)
      out.push_back(wb::Utf16ToUtf8(list.GetItemText(i, 0) + u"/" + list.GetItemText(i, 1) +
                                    u"/" + list.GetItemText(i, 2)));
    return out;
  };

  DrawMarkDlg& one = OpenMarkDialog();
  EXPECT_FALSE(g_pMainDlg->IsWindowVisible());
  EXPECT_EQ(items(one.m_fromList),
            (std::vector<std::string>{"P1/1/MCC", "P1/2/MCC", "M1/1/モータ", "//", "M2//モータ"}));
  EXPECT_FALSE(one.Item(IDC_TOLIST).visible());
  EXPECT_FALSE(one.Item(IDC_TOSET).visible());
  EXPECT_EQ(one.GetDlgItemText(IDOK), W("記号設定"));
  EXPECT_EQ(one.m_fromList.columns()[0].title, W("記号"));
  EXPECT_EQ(one.m_fromList.columns()[2].title, W("名称"));

  // Cancel brings the main dialog back.
  EXPECT_TRUE(one.Click(IDCANCEL));
  EXPECT_TRUE(g_pMainDlg->IsWindowVisible());
  EXPECT_FALSE(one.IsWindowVisible());

  g_cableSetting.oneMarkDialog = false;
  DrawMarkDlg& two = OpenMarkDialog();
  EXPECT_EQ(items(two.m_fromList),
            (std::vector<std::string>{"P1/1/MCC", "P1/2/MCC", "M1/1/モータ", "//"}));
  EXPECT_EQ(items(two.m_toList),
            (std::vector<std::string>{"M1/1/モータ", "M2//モータ", "P1/1/MCC", "//"}));
  EXPECT_TRUE(two.Item(IDC_TOSET).visible());
  EXPECT_EQ(two.m_fromList.columns()[0].title, W("From記号"));
  EXPECT_EQ(two.m_toList.columns()[2].title, W("To名称"));
}

TEST_F(DrawMark, PlacesTheMarkAboveThePickedBlockAndTagsIt) {
  AcDbObjectId block = BareEquipment({10, 20, 0}, 4, 2);
  LoadList({Row("C1", "P1", "ポンプ", "2", "M1", "モータ", "1")});
  DrawMarkDlg& dialog = OpenMarkDialog();
  ASSERT_TRUE(dialog.SelectListItem(IDC_FROMLIST, 0));
  ASSERT_TRUE(dialog.Click(IDOK));
  EXPECT_TRUE(Messages().empty());

  prompts.Point({11.9, 19.2, 0});  // on the rectangle's right edge
  EXPECT_EQ(RunQueued(), std::vector<wb::WString>{u"QZ_DRAWMARK"});
  EXPECT_EQ(prompts.prompts(), std::vector<wb::WString>{W("\n機器を選択：")});
  EXPECT_EQ(prompts.activations(), 1);

  auto texts = OfType("TEXT");
  ASSERT_EQ(texts.size(), 1u);
  AcDbObjectId text = texts[0];
  auto* db = plant.db;
  EXPECT_EQ(db->Group(text, 1), "P1-2");
  EXPECT_EQ(db->Layer(text), "_QZ_KIGO");
  EXPECT_TRUE(db->HasLayer("_QZ_KIGO"));
  EXPECT_FALSE(db->Group(text, 62));  // by layer
  EXPECT_EQ(db->Group(text, 72), "1");  // centre
  EXPECT_EQ(db->Group(text, 73), "1");  // bottom
  // Height, width factor, and the alignment point: centred over the
  // extents, 0.5 above the block's top.
  for (auto [code, value] : {std::pair{40, 2.0}, {41, 0.8}, {11, 10.0}, {21, 21.5}, {31, 0.0}})
    EXPECT_DOUBLE_EQ(Number(db->Group(text, code)), value) << code;

  EXPECT_EQ(Entries(block), (CStringArray{u"S225|0|1|1|99|1|", u"CB01|P1|1|1|99|1|",
                                          W("CB02|ポンプ|1|1|99|1|"), u"CB00|2|1|1|99|1|",
                                          W("CB11|第1設備|1|1|99|1|")}));

  const CStringArray link{GetHandleText(text), GetHandleText(block)};
  EXPECT_EQ(Entries(text, u"QZ_CABLEINFO"), link);
  EXPECT_EQ(Entries(block, u"QZ_CABLEINFO"), link);
  EXPECT_EQ(GetIdFromHandleText(nullptr, link[0]), text);
  EXPECT_EQ(GetIdFromHandleText(db, link[1]), block);
  EXPECT_TRUE(GetIdFromHandleText(nullptr, u"FFFFF").isNull());
  EXPECT_TRUE(GetIdFromHandleText(nullptr, u"").isNull());
}

TEST_F(DrawMark, ToSideByHandleWithTheDrawingScaleAndWithoutSubNumber) {
  g_cableSetting.oneMarkDialog = false;
  g_cableSetting.drawSubNumber = false;
  g_cableSetting.markColor = 3;
  plant.db->SetHeaderValue("$DIMSCALE", 40, "2.0");
  AcDbObjectId block = BareEquipment({0, 0, 0}, 6, 4);
  LoadList({Row("C1", "P1", "ポンプ", "2", "M1", "モータ", "7")});
  DrawMarkDlg& dialog = OpenMarkDialog();
  ASSERT_TRUE(dialog.SelectListItem(IDC_TOLIST, 0));
  ASSERT_TRUE(dialog.Click(IDC_TOSET));
  prompts.Handle(wb::db::Database::HandleText(block));
  RunQueued();

  auto texts = OfType("TEXT");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(plant.db->Group(texts[0], 1), "M1");
  EXPECT_EQ(plant.db->Color(texts[0]), 3);
  EXPECT_DOUBLE_EQ(Number(plant.db->Group(texts[0], 40)), 4.0);
  EXPECT_DOUBLE_EQ(Number(plant.db->Group(texts[0], 21)), 3.0);  // 2 + 0.5 x 2
  EXPECT_EQ(CAttributeData::GetValueAttID(block, u"CB01"), u"M1");
  EXPECT_EQ(CAttributeData::GetValueAttID(block, u"CB00"), u"7");

  // Marked again: one text, a fresh link, the entries replaced. A
  // configured colour that is no colour index leaves the text by layer.
  g_cableSetting.markColor = 300;
  ASSERT_TRUE(dialog.SelectListItem(IDC_FROMLIST, 0));
  ASSERT_TRUE(dialog.Click(IDOK));
  prompts.Entity(block);
  RunQueued();
  texts = OfType("TEXT");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(plant.db->Group(texts[0], 1), "P1");
  EXPECT_FALSE(plant.db->Group(texts[0], 62));
  EXPECT_EQ(Entries(block, u"QZ_CABLEINFO"),
            (CStringArray{GetHandleText(texts[0]), GetHandleText(block)}));
  EXPECT_EQ(Entries(block).size(), 5u);
}

// Mirrored copies keep their points relative to a downward extrusion: an
// OCS x of -10 lies at world x 10, and the block's geometry runs leftwards.
TEST_F(DrawMark, AMirroredBlockIsMarkedWhereItIsDrawn) {
  plant.Block("KK-MIRROR", {{0, 0, 0}});
  plant.db->AddEntity("KK-MIRROR", "LWPOLYLINE", "0",
                      {{100, "AcDbPolyline"}, {90, "4"}, {70, "1"}, {10, "0"}, {20, "0"},
                       {10, "6"}, {20, "0"}, {10, "6"}, {20, "3"}, {10, "0"}, {20, "3"}});
  plant.db->AddEntity("KK-MIRROR", "CIRCLE", "0",
                      {{100, "AcDbCircle"}, {10, "3"}, {20, "4"}, {30, "0"}, {40, "1"}});
  AcDbObjectId block = plant.db->AddEntity(
      "", "INSERT", "0",
      {{100, "AcDbBlockReference"}, {2, "KK-MIRROR"}, {10, "-10"}, {20, "20"}, {30, "0"},
       {210, "0"}, {220, "0"}, {230, "-1"}});
  plant.Tag(block, 0, {"S225|0|1|1|99|1|"});
  // World extents: x 4..10, y 20..25 (the circle's top).
  LoadList({Row("C1", "P1", "ポンプ", "", "M1", "モータ", "1")});
  DrawMarkDlg& dialog = OpenMarkDialog();
  dialog.SelectListItem(IDC_FROMLIST, 0);
  dialog.Click(IDOK);
  prompts.Point({7, 20.2, 0});  // on the bottom edge, where it is seen
  RunQueued();
  auto texts = OfType("TEXT");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_DOUBLE_EQ(Number(plant.db->Group(texts[0], 11)), 7.0);
  EXPECT_DOUBLE_EQ(Number(plant.db->Group(texts[0], 21)), 25.5);
  EXPECT_EQ(CAttributeData::GetValueAttID(block, u"CB01"), u"P1");
}

TEST_F(DrawMark, RefusesWithoutSelectionOrEquipmentForADuplicateAndChangesNothingOnAMiss) {
  LoadList({Row("C1", "P1", "ポンプ", "1", "M1", "モータ", "1")});
  DrawMarkDlg& dialog = OpenMarkDialog();
  auto& stack = wb::editor::CommandStack::Instance();

  dialog.Click(IDOK);  // nothing selected
  dialog.SelectListItem(IDC_FROMLIST, 0);
  dialog.Click(IDOK);  // no tagged entity in the drawing
  EXPECT_FALSE(stack.HasQueued());
  EXPECT_EQ(Messages(), (std::vector<wb::WString>{
                            W("記号・名称を選択してから、記号設定ボタンを押してください。"),
                            W("図面内に機器がありません。\n機器を配置してから、記号設定ボタンを押してください。")}));

  // A wire, by itself or by its line, empty space and Esc: nothing changes.
  BareEquipment({0, 0, 0});
  AcDbObjectId wire = plant.Wire({10, 0, 0}, {20, 0, 0}, 1000);
  const std::string before = plant.db->SaveToString();
  for (int attempt = 0; attempt < 4; ++attempt) {
    dialog.Click(IDOK);
    if (attempt == 0) prompts.Entity(wire);
    if (attempt == 1) prompts.Point({15, 0.1, 0});
    if (attempt == 2) prompts.Point({100, 100, 0});
    if (attempt == 3) prompts.Cancel();
    RunQueued();
  }
  EXPECT_EQ(plant.db->SaveToString(), before);
  EXPECT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(prompts.Idle());

  // Equipment already carrying the mark in another facility does not count.
  plant.Equipment({0, 0, 0}, "P1", "ポンプ", "1", "第2設備");
  AcDbObjectId target = BareEquipment({50, 0, 0});
  dialog.Click(IDOK);
  ASSERT_TRUE(stack.HasQueued());
  prompts.Entity(target);
  RunQueued();
  EXPECT_EQ(CAttributeData::GetValueAttID(target, u"CB01"), u"P1");

  // Now the current facility has it: refused.
  dialogs.Clear();
  dialog.Click(IDOK);
  EXPECT_FALSE(stack.HasQueued());
  EXPECT_EQ(Messages(),
            std::vector<wb::WString>{W("既に図面内に選択した記号・副番・名称の機器が存在しています。")});
  EXPECT_EQ(dialogs.messages()[0].type, MB_OK);
}

class DeleteMark : public UserSession {
 protected:
  // Marks `block` with the first list item through the mark dialog.
  AcDbObjectId Mark(AcDbObjectId block, int item = 0) {
    DrawMarkDlg& dialog = g_pDrawMarkDlg ? *g_pDrawMarkDlg : OpenMarkDialog();
    dialog.SelectListItem(IDC_FROMLIST, item);
    dialog.Click(IDOK);
    prompts.Entity(block);
    RunQueued();
    const CStringArray link = Entries(block, u"QZ_CABLEINFO");
    return link.empty() ? AcDbObjectId{} : GetIdFromHandleText(nullptr, link[0]);
  }
  bool Marked(AcDbObjectId block) {
    const CStringArray list = Entries(block);
    for (const char16_t* key : {u"CB01", u"CB02", u"CB00", u"CB11"})
      if (CAttributeData::FindAtt(list, key) >= 0) return true;
    return false;
  }
};

TEST_F(DeleteMark, PickingTextOrBlockErasesTheMarkAndAsksAgain) {
  AcDbObjectId a = BareEquipment({0, 0, 0});
  AcDbObjectId b = BareEquipment({40, 0, 0});
  LoadList({Row("C1", "P1", "ポンプ", "1", "M1", "モータ", "1")});
  AcDbObjectId textA = Mark(a, 0);
  AcDbObjectId textB = Mark(b, 1);
  ASSERT_FALSE(textA.isNull());
  ASSERT_FALSE(textB.isNull());

  prompts.Clear();
  g_pMainDlg->Click(IDC_DELETEMARK);
  prompts.Point({0, 1.5, 0});  // on A's text, above the block
  prompts.Entity(b);           // B's block
  prompts.Cancel();
  EXPECT_EQ(RunQueued(), (std::vector<wb::WString>{u"QZ_DELETEMARK", u"QZ_DELETEMARK",
                                                   u"QZ_DELETEMARK"}));
  EXPECT_EQ(prompts.prompts(),
            (std::vector<wb::WString>(3, W("記号を選択：\n"))));
  EXPECT_TRUE(OfType("TEXT").empty());
  EXPECT_FALSE(Marked(a));
  EXPECT_FALSE(Marked(b));
  EXPECT_EQ(CAttributeData::GetValueAttID(a, u"S225"), u"0");
  // The old link stays on the block; marking again writes a fresh one.
  EXPECT_EQ(Entries(a, u"QZ_CABLEINFO").size(), 2u);
  AcDbObjectId again = Mark(a, 0);
  ASSERT_FALSE(again.isNull());
  EXPECT_NE(again, textA);
  EXPECT_EQ(OfType("TEXT").size(), 1u);
  EXPECT_TRUE(Marked(a));

  // A link to something gone still clears what is left. A's block gone:
  // picking its text erases it, and asks again.
  AcDbObjectId textB2 = Mark(b, 1);
  plant.db->Erase(a);
  g_pMainDlg->Click(IDC_DELETEMARK);
  prompts.Entity(again);
  prompts.Cancel();
  EXPECT_EQ(RunQueued().size(), 2u);
  EXPECT_FALSE(plant.db->IsAlive(again));
  // B's text gone: picking the block only clears it.
  plant.db->Erase(textB2);
  g_pMainDlg->Click(IDC_DELETEMARK);
  prompts.Entity(b);
  EXPECT_EQ(RunQueued().size(), 1u);
  EXPECT_FALSE(Marked(b));
}

TEST_F(DeleteMark, UnmarkedBlocksPlainTextsAndMissingDialogsChangeNothing) {
  AcDbObjectId block = BareEquipment({0, 0, 0});
  AcDbObjectId plain = plant.db->AddEntity(
      "", "TEXT", "0", {{100, "AcDbText"}, {10, "20"}, {20, "0"}, {30, "0"}, {40, "2"}, {1, "memo"}});
  AcDbObjectId wire = plant.Wire({-10, -10, 0}, {-20, -10, 0}, 100);
  const std::string before = plant.db->SaveToString();

  for (AcDbObjectId picked : {plain, wire}) {
    g_pMainDlg->Click(IDC_DELETEMARK);
    prompts.Entity(picked);
    EXPECT_EQ(RunQueued().size(), 1u);  // no repeat
  }
  EXPECT_EQ(plant.db->SaveToString(), before);

  // A never-marked equipment: nothing to remove, nothing erased, no repeat.
  g_pMainDlg->Click(IDC_DELETEMARK);
  prompts.Entity(block);
  EXPECT_EQ(RunQueued().size(), 1u);
  EXPECT_TRUE(plant.db->IsAlive(plain));
  EXPECT_EQ(CAttributeData::GetValueAttID(block, u"S225"), u"0");

  // Enter and a miss end it too.
  for (int i = 0; i < 2; ++i) {
    g_pMainDlg->Click(IDC_DELETEMARK);
    if (i == 0) prompts.Enter(); else prompts.Point({500, 500, 0});
    EXPECT_EQ(RunQueued().size(), 1u);
  }

  // Without their dialogs the commands do nothing.
  const size_t asked = prompts.prompts().size();
  wb::editor::CommandStack::Instance().Run(u"QZ_DrawMark");  // the mark dialog never opened
  delete g_pMainDlg;
  g_pMainDlg = nullptr;
  wb::editor::CommandStack::Instance().Run(u"QZ_DeleteMark");
  EXPECT_EQ(prompts.prompts().size(), asked);
  EXPECT_EQ(plant.db->SaveToString(), before);
}

class DeleteCableAtt : public UserSession {};

TEST_F(DeleteCableAtt, RemovesCableKeysFromTheSelectionButKeepsSubNumbers) {
  g_cableSetting.showDeleteAttButton = true;
  g_pMainDlg->SetupList();
  AcDbObjectId w1 = plant.Wire({0, 0, 0}, {10, 0, 0}, 1000);
  AcDbObjectId w2 = plant.Wire({10, 0, 0}, {20, 0, 0}, 1000);
  AcDbObjectId untouched = plant.Wire({20, 0, 0}, {30, 0, 0}, 1000);
  AcDbObjectId line = plant.db->AddEntity("", "LINE", "0", {{100, "AcDbLine"}});
  const char16_t* keys[] = {u"CB03", u"CB04", u"CB05", u"CB06", u"CB07", u"CB08", u"CB09", u"CB10"};
  for (AcDbObjectId w : {w1, w2, untouched})
    for (const char16_t* key : keys) WriteEntityAttribute(w, key, u"v", 1, 1, 1);

  ASSERT_TRUE(g_pMainDlg->Click(IDC_DELETEATT));
  prompts.Select({w1, line, w2});
  EXPECT_EQ(RunQueued(), std::vector<wb::WString>{u"QZ_DELETECABLEATT"});
  for (AcDbObjectId w : {w1, w2})
    EXPECT_EQ(Entries(w), (CStringArray{u"S304|1000|1|1|99|1|", u"S401|0|1|1|99|1|",
                                        u"CB09|v|1|1|99|1|", u"CB10|v|1|1|99|1|"}));
  EXPECT_EQ(CAttributeData::GetValueAttID(untouched, u"CB08"), u"v");
  EXPECT_EQ(output.text_, W("\n選択した要素のケーブル情報属性を削除しました。\n"));

  // A selection without any cable key still reports; a cancelled one does not.
  output.text_.clear();
  g_pMainDlg->Click(IDC_DELETEATT);
  prompts.Select({w1});
  RunQueued();
  EXPECT_EQ(output.text_, W("\n選択した要素のケーブル情報属性を削除しました。\n"));
  output.text_.clear();
  const std::string before = plant.db->SaveToString();
  for (int i = 0; i < 2; ++i) {
    g_pMainDlg->Click(IDC_DELETEATT);
    if (i == 0) prompts.Cancel(); else prompts.Select({line});  // filtered out: nothing selected
    RunQueued();
  }
  EXPECT_TRUE(output.text_.empty());
  EXPECT_EQ(plant.db->SaveToString(), before);
}

}  // namespace
}  // namespace wbtest
