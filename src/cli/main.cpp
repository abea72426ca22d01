// kelvora-cli: the analysis and its outputs without a window.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/analysis_run.h"
#include "cli/cli_app.h"
#include "cli/cli_ui.h"

namespace {

void OnInterrupt(int) {
  kelvora::CliUi::RequestInterrupt();
}

}  // namespace

int main(int argc, char** argv) {
  kelvora::TuneHeapForAnalysis();
  std::vector<std::string> args(argv + 1, argv + argc);
  kelvora::CliOptions options;
  std::string error;
  if (!kelvora::ParseCliArguments(args, options, error)) {
    std::fprintf(stderr, "kelvora-cli: %s\n\n%s", error.c_str(), kelvora::CliUsage().c_str());
    return 2;
  }
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  std::ios::sync_with_stdio(false);
  return kelvora::RunCli(options, std::cout, stderr);
}
