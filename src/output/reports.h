// The information list (text) and the step-count CSV of the registration lists.
#pragma once

#include <ctime>
#include <ostream>

#include "platform/ui.h"

namespace kelvora {

class EditorLauncher;
class RegisteredData;

inline constexpr QuestionId kAskListPositions{"reports.list-positions"};
inline constexpr QuestionId kAskOpenInfoList{"reports.open-info-list"};
inline constexpr QuestionId kAskOpenStepCsv{"reports.open-step-csv"};

// The information list, written to out (CP932, CR LF); positions first when with_positions.
void WriteInfoListText(std::ostream& out, const RegisteredData& data, bool with_positions,
                       const std::tm& date);
// The step-count CSV (CP932, CR LF).
void WriteStepCountCsvText(std::ostream& out, const RegisteredData& data, const std::tm& date);
// A function comment as a CSV field: "/*" or "//" at its start dropped, every "*/" removed,
// trimmed, and quoted when it holds a comma.
std::string CommentField(std::string_view comment);

// The menu commands: their checks, dialogs, questions and messages. True when written.
bool WriteInfoList(const RegisteredData& data, const EditorLauncher& editor, Ui& ui);
bool WriteStepCountCsv(const RegisteredData& data, Ui& ui);

}  // namespace kelvora
