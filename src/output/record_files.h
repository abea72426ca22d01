// The source files of the struct and table trees: the paths of a list's positions.
#pragma once

#include <set>
#include <string>

#include "data/registration_lists.h"

namespace kelvora {

// Every path of the kind's rows once, in byte order: the expanded position cut at its last "("
// (a row whose position lacks "(" or ")" is skipped).
std::set<std::string> RecordFiles(const RegisteredData& data, ListKind kind);

}  // namespace kelvora
