// `analyse --encodings`: the encoding each registered file was read as.
#pragma once

#include <ostream>

namespace kelvora {

class RegisteredData;

// One line per FileList row, in list order: the encoding the analysis read the file as under
// char_change ("CharChange"), the number of characters written as "〓", and the path as --dump
// shows it, separated by TAB. A file that cannot be read shows "unreadable".
void PrintEncodings(const RegisteredData& data, int char_change, std::ostream& out);

}  // namespace kelvora
