// Collecting candidates ahead on a second core must give exactly what collecting in place gives.
#include <gtest/gtest.h>

#include "analysis_run_fixture.h"
#include "platform/cp932.h"

namespace kelvora::testing {
namespace {

using Dump = std::vector<std::vector<std::string>>;

Dump AllRows(const RegisteredData& data) {
  Dump rows;
  for (int slot = 0; slot < kListCount; ++slot) {
    const RegistrationList& list = data.List(KindOfSlot(slot));
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
      std::vector<std::string> row{std::to_string(slot)};
      for (int c = 0; c < list.column_count(); ++c) row.push_back(list.Cell(r, c));
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

TEST_F(AnalysisRunTest, CollectingAheadGivesTheSameListsAndFiles) {
  WriteSampleTree();
  // Many files, so the worker and the passes meet in the middle in both directions.
  for (int i = 0; i < 60; ++i) {
    std::string n = std::to_string(i);
    Tree("many/f" + n + ".c", "static int t" + n + "[2] = {\n 1, 2 };\nint p" + n +
                                  "(int a);  // proto " + n + "\nint p" + n +
                                  "(int a)\n{\n  return a;\n}\n");
    Tree("many/h" + n + ".h",
         "typedef struct s" + n + " {\n  int x;\n} S" + n + ";\n#define D" + n + " " + n + "\n");
  }
  Set("Analysis", "CharChange", "0");

  ctx.collect_ahead = false;
  ASSERT_EQ(RunSample(), 0);
  const Dump in_place = AllRows(data);
  const std::string prototypes = WorkFile(kPrototypeFileName);

  // Round 0 waits for the second core to go through every file before the passes take them,
  // so the lists can only be right if its texts are; later rounds let both sides race.
  for (int round = 0; round < 3; ++round) {
    CollectAheadProbe probe;
    probe.worker_first = round == 0;
    ctx.collect_ahead = true;
    ctx.ahead_probe = &probe;
    data.Clear();
    ASSERT_EQ(RunSample(), 0);
    ctx.ahead_probe = nullptr;
    ASSERT_TRUE(probe.started) << "round " << round;
    // The 60 headers of many/ for structs, its 120 files for tables and again for prototypes.
    if (round == 0) {
      EXPECT_GE(probe.worker_files, 60u + 2 * 120u);
    }
    EXPECT_EQ(AllRows(data), in_place) << "round " << round;
    EXPECT_EQ(WorkFile(kPrototypeFileName), prototypes);
  }
  EXPECT_GE(RowOf(ListKind::Table, "t59"), 0);
  EXPECT_GE(RowOf(ListKind::Struct, "S59"), 0);
}

TEST_F(AnalysisRunTest, CancelWhileCollectingAheadStopsCleanly) {
  for (int i = 0; i < 40; ++i)
    Tree("f" + std::to_string(i) + ".c",
         "int f" + std::to_string(i) + "(void)\n{\n  return 0;\n}\n");
  ui.AnswerYes().AnswerYes();
  ui.EscapeAtPoll(5).AnswerYes();
  CollectAheadProbe probe;
  ctx.ahead_probe = &probe;
  EXPECT_EQ(StartAnalysisAt(ctx, Root()), -1);
  ctx.ahead_probe = nullptr;
  EXPECT_TRUE(probe.started);
  EXPECT_TRUE(data.AllEmpty());
}

}  // namespace
}  // namespace kelvora::testing
