// The question texts of the analysis run: existing data, subfolders, the final confirmation with
// its settings summary, and the re-analysis question. All UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kelvora {

struct Settings;

// How a root is shown: "/" for the file-system root (""), else the path for display.
std::string DisplayRoot(std::string_view root);

// "既にデータが存在します\n(File登録数  ソースファイル：%d  ヘッダファイル：%d)..."
std::string ExistingDataQuestion(long sources, long headers);

// "%s\n\nサブフォルダのファイルも解析しますか？..." with the root.
std::string SubfolderQuestion(std::string_view root);

// The lines that name the passes and the function header comment condition; with_preprocessor
// adds the macro list line.
std::string SettingsSummary(const Settings& settings, bool with_preprocessor);

// The Escape notice, with the warning about losing data when earlier data exists.
std::string ConfirmationNotice(bool has_earlier_data);

// "■■ 解析ルートディレクトリ ■■\n %s　\n\n■■ 取得ファイル ■■..." with the counts, the two
// extension lists, the settings summary and the notice.
std::string ConfirmationQuestion(std::string_view root, long sources, long headers,
                                 const Settings& settings, bool has_earlier_data);

// "■■ 解析内容設定 ■■\n...登録ファイルを再解析（最新の情報に更新）しますか？　"
std::string ReanalysisQuestion(const Settings& settings);

}  // namespace kelvora
