// The source files of the struct and table trees: the paths of a list's positions.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "data/registration_lists.h"
#include "output/source_pass.h"

namespace kelvora {

struct OutputContext;

// Every path of the kind's rows once, in byte order: the expanded position cut at its last "("
// (a row whose position lacks "(" or ")" is skipped).
std::set<std::string> RecordFiles(const RegisteredData& data, ListKind kind);

// Reads every file of RecordFiles(kind) through a CleanLineReader (the settings' macro list and
// EUC conversion) and hands it to read, with the progress bar stepping per file. Returns the
// number of files that could be opened.
long ReadRecordFiles(OutputContext& ctx, ListKind kind, bool skip_directives,
                     const CleaningPatterns& cleaning,
                     const std::function<void(CleanLineReader&, const std::string&)>& read);

}  // namespace kelvora
