// The change history: "readme.txt" beside the program, opened in the editor at "■変更履歴".
#pragma once

#include <string>
#include <vector>

namespace kelvora {

class EditorLauncher;
class LineSource;
class Ui;

// The 1-based number of the first line equal to "■変更履歴" (ASCII letters compared without
// case; the line may be Shift-JIS or UTF-8), or 1 when there is none.
int ChangeHistoryLine(LineSource& lines);

// Where readme.txt is looked for: beside the program, then the installed data folder
// (<prefix>/share/kelvora beside <prefix>/bin). program_dir ends without "/".
std::vector<std::string> ReadmeCandidates(const std::string& program_dir);

// "変更履歴（readme.txt）": opens the first candidate that exists in the editor at its change
// history, or shows "readme.txt がありません。　\n\n%s　" with the first candidate's path.
// True when the editor was started.
bool ShowReadme(const std::string& program_dir, const EditorLauncher& editor, Ui& ui);

// Where the user manual is looked for: beside the program (a build folder), then the installed
// documentation folder <prefix>/share/doc/kelvora/manual.
std::vector<std::string> ManualCandidates(const std::string& program_dir);

// "ヘルプ": opens the manual's index.html with the desktop's default application, or says that
// it is missing or could not be opened. True when opened.
bool ShowManual(const std::string& program_dir, Ui& ui);

}  // namespace kelvora
