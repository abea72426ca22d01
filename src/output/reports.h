// The information list (text) and the step-count CSV of the registration lists.
#pragma once

#include <ctime>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace kelvora {

class ByteSink;
class EditorLauncher;
class RegisteredData;
struct OutputContext;

inline constexpr QuestionId kAskListPositions{"reports.list-positions"};
inline constexpr QuestionId kAskOpenInfoList{"reports.open-info-list"};
inline constexpr QuestionId kAskOpenStepCsv{"reports.open-step-csv"};
inline constexpr QuestionId kAskOpenTableCsv{"reports.open-table-csv"};

// The information list, written to out (CP932, CR LF); positions first when with_positions.
void WriteInfoListText(std::ostream& out, const RegisteredData& data, bool with_positions,
                       const std::tm& date);
// The step-count CSV (CP932, CR LF).
void WriteStepCountCsvText(std::ostream& out, const RegisteredData& data, const std::tm& date);
// A function comment as a CSV field: "/*" or "//" at its start dropped, every "*/" removed,
// trimmed, and quoted (its quotes doubled) when it holds a comma.
std::string CommentField(std::string_view comment);

// The menu commands: their checks, dialogs, questions and messages. True when written.
bool WriteInfoList(const RegisteredData& data, const EditorLauncher& editor, Ui& ui);
bool WriteStepCountCsv(const RegisteredData& data, Ui& ui);

// The table-contents CSV (CP932, CR LF): the column line, then the rows of every table in the
// TableList's files, read again with the table pass of the table tree. Returns the number of
// files read.
long WriteTableContentsCsvTo(ByteSink& out, OutputContext& ctx);
// A field of the table-contents CSV: quoted, with its quotes doubled, when it holds a comma or
// a double quote; else as it stands.
std::string CsvField(std::string_view text);
bool WriteTableContentsCsv(OutputContext& ctx);

}  // namespace kelvora
