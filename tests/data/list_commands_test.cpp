#include <gtest/gtest.h>

#include <string>

#include "data/registration_lists.h"
#include "platform/scripted_ui.h"
#include "support/rows.h"

namespace kelvora {
namespace {

const std::string kNoData = "登録データがありません！　";
const std::string kAskDeleteAll = "登録データを全て削除してもよろしいですか？　";

using testing::AddRow;

RegisteredData SampleData() {
  RegisteredData data;
  data.roots().Append("/src");
  AddRow(data.functions(), "b_fn", "%1/a.c(3)");
  AddRow(data.functions(), "A_fn", "%1/a.c(9)");
  AddRow(data.defines(), "MAX", "%1/a.h(1)");
  AddRow(data.files(), "a.c", "/src/a.c(1)");
  return data;
}

TEST(SortCommands, SortOneListTogglesAndEmptyListIsReported) {
  RegisteredData data = SampleData();
  ScriptedUi ui;
  EXPECT_EQ(SortListCommand(data, ListKind::Function, ui), CommandStatus::Done);
  EXPECT_EQ(data.functions().Cell(0, col::kName), "A_fn");
  EXPECT_EQ(data.functions().sort_flag(), 1);
  EXPECT_EQ(SortListCommand(data, ListKind::Function, ui), CommandStatus::Done);
  EXPECT_EQ(data.functions().Cell(0, col::kName), "b_fn");
  EXPECT_TRUE(ui.messages().empty());

  EXPECT_EQ(SortListCommand(data, ListKind::Table, ui), CommandStatus::Failed);
  EXPECT_EQ(ui.messages(), std::vector<std::string>{kNoData});
  EXPECT_EQ(data.tables().sort_flag(), 0);
  EXPECT_FALSE(ui.wait_cursor());
}

TEST(SortCommands, SortAllSetsFlagsAsTheDirectionSays) {
  RegisteredData data = SampleData();
  data.functions().set_sort_flag(1);
  data.files().set_sort_flag(1);
  ScriptedUi ui;

  EXPECT_EQ(SortAllCommand(data, true, ui), CommandStatus::Done);
  for (int slot = 0; slot < kListCount; ++slot)
    EXPECT_EQ(data.List(KindOfSlot(slot)).sort_flag(), 1);
  EXPECT_EQ(data.functions().Cell(0, col::kName), "A_fn");
  ASSERT_EQ(data.functions().index().size(), 2u);

  EXPECT_EQ(SortAllCommand(data, false, ui), CommandStatus::Done);
  for (int slot = 0; slot < kListCount; ++slot)
    EXPECT_EQ(data.List(KindOfSlot(slot)).sort_flag(), 0);
  EXPECT_EQ(data.functions().Cell(0, col::kName), "b_fn");
  EXPECT_TRUE(ui.messages().empty());
}

TEST(SortCommands, SortAllOnNothingSortsNothing) {
  RegisteredData data;
  data.structs().set_sort_flag(1);
  ScriptedUi ui;
  EXPECT_EQ(SortAllCommand(data, true, ui), CommandStatus::Failed);
  EXPECT_EQ(ui.messages(), std::vector<std::string>{kNoData});
  EXPECT_EQ(data.structs().sort_flag(), 1);
  EXPECT_EQ(data.functions().sort_flag(), 0);
}

TEST(DeleteAll, NoKeepsEverything) {
  RegisteredData data = SampleData();
  ScriptedUi ui;
  ui.AnswerNo();
  EXPECT_EQ(DeleteAllCommand(data, ui), CommandStatus::Cancelled);
  EXPECT_EQ(ui.questions(), std::vector<std::string>{kAskDeleteAll});
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(data.Count(ListKind::Function), 2u);
  EXPECT_EQ(data.ExpandPosition("%1/a.c(3)"), "/src/a.c(3)");
}

TEST(DeleteAll, YesWithEmptyListsReportsNoData) {
  RegisteredData data;
  ScriptedUi ui;
  ui.AnswerYes();
  EXPECT_EQ(DeleteAllCommand(data, ui), CommandStatus::Failed);
  EXPECT_EQ(ui.messages(), std::vector<std::string>{kNoData});
  EXPECT_TRUE(ui.layouts().empty());
  EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST(DeleteAll, YesWithDataEmptiesListsAndRootsButKeepsFlags) {
  RegisteredData data = SampleData();
  data.SortAllAscending();  // all flags 1
  data.defines().Sort();    // defines flag back to 0
  ScriptedUi ui;
  for (int kind = 1; kind <= kListCount; ++kind) ui.SetCountLabel(kind, "old");
  ui.AnswerYes();

  EXPECT_EQ(DeleteAllCommand(data, ui), CommandStatus::Done);
  EXPECT_TRUE(data.AllEmpty());
  EXPECT_EQ(data.roots().Count(), 0u);
  EXPECT_EQ(data.ExpandPosition("%1/a.c(3)"), "");
  EXPECT_TRUE(data.functions().index().empty());
  EXPECT_EQ(data.functions().sort_flag(), 1);
  EXPECT_EQ(data.defines().sort_flag(), 0);
  for (int kind = 1; kind <= kListCount; ++kind) EXPECT_EQ(ui.count_label(kind), "") << kind;
  EXPECT_EQ(ui.layouts(), std::vector<WindowLayout>{WindowLayout::NoData});
  EXPECT_TRUE(ui.messages().empty());
}

}  // namespace
}  // namespace kelvora
