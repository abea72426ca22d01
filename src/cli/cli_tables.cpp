#include "cli/cli_extensions.h"

namespace kelvora {

const std::vector<CliOutputKind>& CliOutputKinds() {
  static const std::vector<CliOutputKind> kinds = {
  };
  return kinds;
}

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands = {
  };
  return commands;
}

}  // namespace kelvora
