// The one writer of output files. Every file the program writes goes through OutputFile:
//  - a regular file, or a name not yet taken, is replaced atomically: the bytes go to a
//    temporary file beside it, which is flushed and renamed over it (keeping the old file's
//    mode) only when complete; the temporary file is removed on every other way out, and a
//    temporary file left by a killed run is removed by the next write of that output;
//  - a symbolic link is followed and its final target replaced the same way;
//  - a FIFO or a character device is written through in place (as cp does), never replaced;
//    a socket, a folder or a FIFO without a reader is refused with a message naming it.
// Pages of an HTML site (Mode::Page, Mode::PageAppend) never follow a symbolic link: a link in
// a page's place is replaced by the page. Mode::PageAppend keeps an existing page's bytes in
// front of the new ones (a second file of one name appends to its page). Pages are replaced
// atomically too, but not synced to the disk one by one.
#pragma once

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/byte_sink.h"

namespace kelvora {

// The first line of the message of an output that cannot be created.
inline constexpr std::string_view kOutputOpenError = "出力ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ！　";
// The first line of the message of an output that could not be written to its end.
inline constexpr std::string_view kOutputWriteError = "出力ﾌｧｲﾙ書込みエラー！　";

class OutputFile : public ByteSink {
 public:
  enum class Mode { Replace, Page, PageAppend };

  OutputFile() = default;
  explicit OutputFile(const std::string& path, Mode mode = Mode::Replace) { Open(path, mode); }
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Prepares the output; false (message() says why) when it cannot be written.
  bool Open(const std::string& path, Mode mode = Mode::Replace);
  void Write(std::string_view bytes) override;
  // Writes what is buffered and puts the new file in place; false (message() says why) when
  // any step failed, the old file then being left as it was.
  bool Commit();
  // Drops what was written; the old file stays as it was.
  void Discard();

  bool is_open() const { return fd_ >= 0; }
  bool failed() const { return failed_; }
  // Page mode: the page existed and its bytes were kept in front.
  bool appended() const { return appended_; }
  // The open or write error: its first line, the path and the system's reason.
  const std::string& message() const { return message_; }
  // The system's error number of the failure (0 when none).
  int error_number() const { return error_; }
  const std::string& path() const { return path_; }

 private:
  void Flush();
  void Fail(std::string_view first_line, int error);
  void Fail(std::string_view first_line, std::string_view reason, int error = EIO);

  int fd_ = -1;
  bool failed_ = false;
  int error_ = 0;
  bool appended_ = false;
  bool in_place_ = false;  // a FIFO or a device: written through, nothing to rename
  bool sync_ = true;
  bool page_ = false;
  std::string path_;    // as the caller named it
  std::string target_;  // the file replaced: a symbolic link's final target, else path_
  std::string temp_;    // the temporary file beside target_
  std::string buffer_;
  std::string message_;
};

// The text of an open error of path: kOutputOpenError, the path and the reason.
std::string OutputOpenErrorText(const std::string& path, int error);

// Creates a new file for writing beside target (its name and a suffix of the process and a
// counter), first removing such files left by processes that no longer run (for a page, once
// per folder). Returns the descriptor (or -1 with errno) and sets temp. The file is removed by
// RemovePendingOutputs until ForgetPendingOutput is called for it.
int CreateTempBeside(const std::string& target, std::string& temp, bool page = false);
void ForgetPendingOutput(const std::string& temp);

// For writers that make their file by name (the workbook library): a new file where the output
// named path is to be written before PlaceFinishedOutput, beside its target (or in the
// temporary folder when the target is a FIFO or a device). -1 with errno on failure.
int CreateOutputTemp(const std::string& path, std::string& temp);

// Puts a finished temporary file in place of the output named path under the rules above
// (synced to the disk first when sync is set, then renamed; or copied through a FIFO or a
// device); the temporary file is gone afterwards. False with errno.
bool PlaceFinishedOutput(const std::string& temp, const std::string& path, bool sync = false);

// For an interrupted run: from now on no output is put in place (Commit fails), and the
// temporary files of outputs still being written are removed.
void RemovePendingOutputs();
// Only stops later commits; safe in a signal handler.
void StopCommittingOutputs();
bool OutputsStopped();

}  // namespace kelvora
