#include "sheet/sheet_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/ui.h"

namespace kelvora {

std::string FileText(std::string_view utf8) {
  std::string crlf;
  crlf.reserve(utf8.size() + utf8.size() / 16);
  for (char c : utf8) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return Utf8ToCp932(crlf);
}

bool TempOutput::Create(Ui& ui) {
  struct stat st {};
  const std::string dir = TempDirectory();
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    ui.Message("テンポラリファイル用のディレクトリパス取得エラー", Ui::kCaption, MsgIcon::Error);
    return false;
  }
  std::optional<std::string> path = CreateUniqueTempFile("kelvora-sheet");
  std::FILE* f = path ? std::fopen(path->c_str(), "wb") : nullptr;
  if (!f) {
    if (path) unlink(path->c_str());
    ui.Message("テンポラリファイルの作成エラー", Ui::kCaption, MsgIcon::Error);
    return false;
  }
  path_ = *path;
  file_ = f;
  return true;
}

void TempOutput::Append(std::string_view utf8) {
  if (!file_) return;
  const std::string bytes = FileText(utf8);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
}

bool TempOutput::CopyTo(const std::string& target, Ui& ui) {
  if (file_ && std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  const bool copied = !failed_ && CopyFileBytes(path_, target);
  const int err = errno;
  Discard();
  if (!copied)
    ui.Message("出力ファイルを書き込めませんでした。　\n" + ToDisplay(target) + "\n" +
                   std::strerror(failed_ ? EIO : err),
               Ui::kCaption, MsgIcon::Error);
  return copied;
}

void TempOutput::Discard() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!path_.empty()) unlink(path_.c_str());
  path_.clear();
}

}  // namespace kelvora
