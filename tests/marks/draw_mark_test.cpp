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

}  // namespace
}  // namespace wbtest
