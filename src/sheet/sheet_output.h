// The result file of a spreadsheet tool: written to a temporary file first, then copied to the
// file the user chooses.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kelvora {

class Ui;

inline constexpr std::string_view kFileNotFoundMessage = "ファイルが見つかりません　";

class TempOutput {
 public:
  TempOutput() = default;
  ~TempOutput() { Discard(); }
  TempOutput(const TempOutput&) = delete;
  TempOutput& operator=(const TempOutput&) = delete;

  // Creates the temporary file; false after "テンポラリファイル用のディレクトリパス取得エラー"
  // or "テンポラリファイルの作成エラー".
  bool Create(Ui& ui);
  // Appends UTF-8 text with "\n" line ends as the file form: CP932 with CR LF line ends.
  void Append(std::string_view utf8);
  // Copies the file over target and removes it; false (with a message) when that fails.
  bool CopyTo(const std::string& target, Ui& ui);
  // Removes the temporary file.
  void Discard();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// UTF-8 text with "\n" line ends in the form the system writes files: CP932, CR LF.
std::string FileText(std::string_view utf8);

}  // namespace kelvora
