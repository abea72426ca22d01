// What a command reports to whoever ran it: the menus, the TREE viewer and kelvora-cli read the
// same value (the messages a command shows on its way went through its Ui already).
#pragma once

#include <string>
#include <utility>

namespace kelvora {

enum class CommandStatus {
  Done,        // finished as asked
  Cancelled,   // the user said no, pressed Escape or closed a chooser
  Failed,      // could not be done; message says why
  DonePartly,  // finished, with something left out; message says what
};

struct CommandResult {
  CommandStatus status = CommandStatus::Done;
  std::string message;

  static CommandResult Done() { return {}; }
  static CommandResult Cancelled() { return {CommandStatus::Cancelled, {}}; }
  static CommandResult Failed(std::string why) { return {CommandStatus::Failed, std::move(why)}; }
  static CommandResult DonePartly(std::string what) {
    return {CommandStatus::DonePartly, std::move(what)};
  }

  bool done() const { return status == CommandStatus::Done || status == CommandStatus::DonePartly; }
  friend bool operator==(const CommandResult& r, CommandStatus s) { return r.status == s; }
};

}  // namespace kelvora
