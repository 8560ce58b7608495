#include "drawing/tagged_entities.h"
#include "marks/mark_commands.h"
#include "module/user_session.h"
#include "platform/arxutil/drawing/arxutil_drawing.h"
#include "platform/qzcomn/drawing/qzcomn_drawing.h"

using wb::W;

namespace wbtest {
namespace {

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
