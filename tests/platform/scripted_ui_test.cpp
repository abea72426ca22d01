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
  constexpr QuestionId kGoOn{"test.go-on"};
  EXPECT_TRUE(port.AskYesNo(kGoOn, "続けますか？　"));
  EXPECT_FALSE(port.AskYesNo(kGoOn, "追加しますか？　", Ui::kTreeCaption));
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
  EXPECT_THROW(port.AskYesNo({"test.any"}, "?"), UnscriptedQuestion);
  EXPECT_THROW(port.ChooseOpenFile("open", ""), UnscriptedQuestion);
  ui.AnswerYes();
  EXPECT_FALSE(ui.AllAnswersUsed());
}

TEST(ScriptedUi, AnswersByIdRefuseAnotherQuestion) {
  ScriptedUi ui;
  Ui& port = ui;
  constexpr QuestionId kFirst{"test.first"}, kSecond{"test.second"};
  ui.Answer(kFirst, true).Answer(kFirst, false);
  EXPECT_TRUE(port.AskYesNo(kFirst, "a"));
  EXPECT_THROW(port.AskYesNo(kSecond, "b"), UnscriptedQuestion);
  EXPECT_EQ(ui.question_ids(), (std::vector<std::string_view>{"test.first", "test.second"}));
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
