// Inputs at the edges of the format, several of them shapes the fuzzer
// produced: each must load and keep the byte-exact and save-reload promises
// the fuzz target checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fuzz/dxf_round_trip.h"
#include "platform/host/worker_threads.h"

namespace {

using wb::db::Database;
using wb::db::ObjectId;
using wb::db::Tag;

TEST(DxfFuzzRegression, EdgeShapesLoadAndSurviveEdits) {
  const std::string cases[] = {
      // Comments before the first section, an unknown section, a byte-order
      // mark, blanks around codes, no line end after EOF; then bytes after it.
      "\xEF\xBB\xBF" "999\ncomment\n  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n"
      "0\nENDSEC\n0 \nSECTION\n2\nCUSTOM\n 77 \n  anything goes  \n0\nTHING\n1\nx\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\n0\n10\n1.50\n20\n2\n0\nENDSEC\n0\nEOF",
      "0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\n0\n0\nENDSEC\n0\nEOF\ntrailing junk\n",
      // No line end after EOF; then new tags must not be glued to it.
      "0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\n0\n0\nENDSEC\n0\nEOF",
      // Mixed line ends, a value that is only a carriage return.
      "0\r\nSECTION\n2\r\nENTITIES\n0\nLINE\n1\n\r\n0\nENDSEC\r\n0\nEOF\r\n",
      // A reactor group never closed: 330 inside it is not the owner, and
      // the xdata right after the type is still found.
      "0\nSECTION\n2\nENTITIES\n0\nINSERT\n102\n{ACAD_REACTORS\n330\n1F\n"
      "0\nPOINT\n1001\nQZ_ATTR\n1000\nold\n0\nENDSEC\n0\nEOF\n",
      // Empty ENTITIES section and an empty section name.
      "0\nSECTION\n2\n\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n",
      // Only comments and EOF: no ENTITIES section to add to.
      "999\nnothing here\n0\nEOF\n",
      // Sub-entities with no owner in front of them.
      "0\nSECTION\n2\nENTITIES\n0\nSEQEND\n0\nATTRIB\n0\nPOINT\n0\nENDSEC\n0\nEOF\n",
      // A stray ENDSEC-less header variable without a value.
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n9\n$HANDSEED\n5\nZZ\n0\nENDSEC\n0\nEOF\n",
      // R12 dimension styles: group 5 is the arrow block's name, often empty.
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n0\nSECTION\n2\nTABLES\n"
      "0\nTABLE\n2\nDIMSTYLE\n70\n2\n0\nDIMSTYLE\n2\nSTANDARD\n70\n0\n3\n\n4\n\n5\n\n6\n\n7\n\n"
      "0\nDIMSTYLE\n2\nTICKS\n70\n0\n5\n_ARCHTICK\n0\nENDTAB\n0\nENDSEC\n"
      "0\nSECTION\n2\nENTITIES\n0\nPOINT\n5\n2A\n8\n0\n0\nENDSEC\n0\nEOF\n",
      // Handles of 16 digits; the next one is past 2^60.
      "0\nSECTION\n2\nENTITIES\n0\nPOINT\n5\nFFFFFFFFFFFFFFF\n8\n0\n0\nLINE\n5\n0FFFFFFFFFFFFFFE\n"
      "8\n0\n0\nENDSEC\n0\nEOF\n",
  };
  for (const std::string& input : cases) {
    bool loaded = false;
    EXPECT_EQ(wbfuzz::DxfRoundTripFault(input, &loaded), "") << input;
    EXPECT_TRUE(loaded) << input;
  }
  // Large enough for the save to cut it into many more runs than it makes
  // ahead on the workers: still byte for byte.
  std::string large = "0\nSECTION\n2\nENTITIES\n";
  for (int i = 0; i < 20000; ++i)
    large += "0\nPOINT\n8\n0\n10\n" + std::to_string(i) + "\n1001\nQZ_ATTR\n1000\n" +
             std::string(100, static_cast<char>('a' + i % 26)) + "\n";
  large += "0\nENDSEC\n0\nEOF\n";
  wb::SetWorkerThreads(3);
  EXPECT_EQ(wbfuzz::DxfRoundTripFault(large), "");
  wb::SetWorkerThreads(0);
  // And the fuzzer's seeds.
  for (const auto& seed : std::filesystem::directory_iterator(WB_SOURCE_DIR "/tests/fuzz/seeds/dxf")) {
    std::ifstream in(seed.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(wbfuzz::DxfRoundTripFault(bytes), "") << seed.path();
  }
}

TEST(DxfFuzzRegression, OddCasesGiveTheRightAnswers) {
  wb::db::Error error;
  auto database = Database::OpenFromMemory(
      "0\nSECTION\n2\nENTITIES\n0\nINSERT\n102\n{ACAD_REACTORS\n330\n1F\n102\n}\n330\n2A\n"
      "1001\nQZ_ATTR\n1000\nold\n0\nENDSEC\n0\nEOF\n",
      "reactors.dxf", &error);
  ASSERT_NE(database, nullptr) << error.ToString();
  ObjectId insert = database->ModelSpaceEntities().at(0);
  EXPECT_EQ(database->Group(insert, 330), "2A");
  EXPECT_EQ(database->XData(insert, "QZ_ATTR"), (std::vector<Tag>{{1000, "old"}}));
  // A bad $HANDSEED is ignored, not trusted: new handles stay unique.
  database = Database::OpenFromMemory(
      "0\nSECTION\n2\nHEADER\n9\n$HANDSEED\n5\nZZ\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
      "0\nPOINT\n5\n10\n0\nENDSEC\n0\nEOF\n",
      "seed.dxf", &error);
  ASSERT_NE(database, nullptr) << error.ToString();
  ObjectId added = database->AddEntity("", "POINT", "0", {});
  EXPECT_EQ(added.handle, 0x12u);  // the missing layer 0 was made first, as 11
  EXPECT_EQ(database->HeaderValue("$HANDSEED"), "13");
  // The last handle taken: an object without a handle gets an id no handle
  // uses, and a new object, whose $HANDSEED would not fit, is refused.
  const std::string full =
      "0\nSECTION\n2\nENTITIES\n0\nPOINT\n5\nFFFFFFFFFFFFFFFF\n8\n0\n0\nLINE\n8\n0\n"
      "0\nPOINT\n5\nFFFFFFFFFFFFFFFD\n8\n0\n0\nENDSEC\n0\nEOF\n";
  database = Database::OpenFromMemory(full, "full.dxf", &error);
  ASSERT_NE(database, nullptr) << error.ToString();
  const auto ids = database->ModelSpaceEntities();
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_NE(ids[1], ids[0]);
  EXPECT_NE(ids[1], ids[2]);
  EXPECT_EQ(Database::HandleText(ids[2]), "FFFFFFFFFFFFFFFD");
  EXPECT_TRUE(database->AddEntity("", "POINT", "0", {}).isNull());
  database->SetXData(ids[0], "QZ_NEW", {{1000, "x"}});  // would need an APPID record
  EXPECT_NE(database->TakeRefusal().find("no handle left"), std::string::npos);
  EXPECT_EQ(database->TakeRefusal(), "");
  EXPECT_EQ(database->SaveToString(), full);
}

}  // namespace
