// kelvora-cli tree FILE ENTRY | FILE --callers NAME | FILE --roots | FILE --recursions.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace kelvora {

int RunTreeCommand(const std::vector<std::string>& args, std::ostream& out, std::FILE* err);

}  // namespace kelvora
