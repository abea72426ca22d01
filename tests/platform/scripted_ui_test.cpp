#include "platform/scripted_ui.h"

#include <gtest/gtest.h>

namespace kelvora {
namespace {

TEST(ScriptedUi, ReplaysAnswersInOrderAndRecords) {
  // Commands see the port; its default arguments apply.
  ScriptedUi ui;
  Ui& port = ui;
  ui.AnswerYes().AnswerNo().ChooseFolderAnswer("/src").ChooseSaveAnswer(std::nullopt);
  port.Message("情報　");
  EXPECT_TRUE(port.AskYesNo("続けますか？　"));
  EXPECT_FALSE(port.AskYesNo("追加しますか？　", Ui::kTreeCaption));
  EXPECT_EQ(port.ChooseFolder("root"), "/src");
  EXPECT_EQ(port.ChooseSaveFile("save", "Text (*.txt)"), std::nullopt);
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_EQ(ui.messages(), std::vector<std::string>{"情報　"});
  ASSERT_EQ(ui.questions().size(), 4u);
  EXPECT_EQ(ui.shown()[0].caption, Ui::kCaption);
  EXPECT_EQ(ui.shown()[2].caption, Ui::kTreeCaption);
  ui.SetStatus(2, "12");
  ui.SetStatus(4, "ignored");
  EXPECT_EQ(ui.status(2), "12");
  EXPECT_EQ(ui.status_history(2).size(), 1u);
}

TEST(ScriptedUi, UnscriptedQuestionsThrow) {
  ScriptedUi ui;
  Ui& port = ui;
  EXPECT_THROW(port.AskYesNo("?"), UnscriptedQuestion);
  EXPECT_THROW(port.ChooseOpenFile("open", ""), UnscriptedQuestion);
  ui.AnswerYes();
  EXPECT_FALSE(ui.AllAnswersUsed());
}

TEST(ScriptedUi, EscapeAtTheNthPollCountedFromNow) {
  ScriptedUi ui;
  EXPECT_FALSE(ui.PollEscape());
  ui.EscapeAtPoll(3);
  EXPECT_FALSE(ui.PollEscape());
  EXPECT_FALSE(ui.PollEscape());
  EXPECT_TRUE(ui.PollEscape());
  EXPECT_FALSE(ui.PollEscape());
  EXPECT_EQ(ui.polls(), 5);
}

}  // namespace
}  // namespace kelvora
