// kelvora-cli sheets and make-workbooks.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

int RunSheetsCommand(const std::vector<std::string>& args, std::ostream& out, std::FILE* err);
int RunMakeWorkbooksCommand(const std::vector<std::string>& args, std::ostream& out,
                            std::FILE* err);

}  // namespace kelvora
