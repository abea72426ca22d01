// kelvora-cli: the analysis and its outputs without a window.
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "analysis/analysis_run.h"
#include "cli/cli_app.h"
#include "cli/cli_ui.h"
#include "platform/output_file.h"

namespace {

std::atomic<int> g_signal{0};

// SIGINT and SIGTERM act as Escape: the run is asked to stop, no output is put in place any
// more, and if the run has not ended within 0.4 s the outputs being written are removed and
// the program ends. Both signals are blocked in every thread and taken here by sigwait, so
// nothing runs in a signal handler.
void WatchSignals(sigset_t set) {
  int sig = 0;
  if (sigwait(&set, &sig) != 0) return;
  g_signal.store(sig);
  kelvora::StopCommittingOutputs();
  kelvora::CliUi::RequestInterrupt();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  kelvora::RemovePendingOutputs();
  std::fprintf(stderr, "\nkelvora-cli: interrupted\n");
  std::fflush(stderr);
  std::_Exit(128 + sig);
}

}  // namespace

int main(int argc, char** argv) {
  kelvora::TuneHeapForAnalysis();
  std::vector<std::string> args(argv + 1, argv + argc);
  kelvora::CliOptions options;
  std::string error;
  if (!kelvora::ParseCliArguments(args, options, error)) {
    std::fprintf(stderr, "kelvora-cli: %s\n\n%s", error.c_str(), kelvora::CliUsage().c_str());
    return kelvora::kExitUsage;
  }
  // A file grown past the size limit gives EFBIG on the write, which the writer reports, instead
  // of killing the program.
  std::signal(SIGXFSZ, SIG_IGN);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread(WatchSignals, set).detach();
  std::ios::sync_with_stdio(false);
  const int status = kelvora::RunCli(options, std::cout, stderr);
  if (const int sig = g_signal.load()) {
    kelvora::RemovePendingOutputs();
    std::fprintf(stderr, "kelvora-cli: interrupted\n");
    return 128 + sig;
  }
  return status;
}
