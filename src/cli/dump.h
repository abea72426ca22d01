// Text dump of the registration lists for scripts and golden tests.
#pragma once

#include <ostream>
#include <string>

namespace kelvora {

class RegisteredData;

// One line per row, kind 1 to 5 in list order: the kind number, then every column of the row,
// separated by TAB, in UTF-8. Positions are expanded (FileList positions as stored). File-system
// texts (paths, file names) are shown as they are when they are UTF-8; names and comments read
// from sources are converted from CP932.
void DumpLists(const RegisteredData& data, std::ostream& out);

}  // namespace kelvora
