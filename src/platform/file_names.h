// File and folder names between the file system (UTF-8 on Linux, or any bytes) and the program's
// CP932 files: how a name is written there, and how a path read back finds the real file.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kelvora {

// A path or name as a CP932 file holds it (tree files, reports, HTML). Each "/"-separated part
// that is valid UTF-8 is converted to CP932; a character CP932 cannot hold is written "%XX" for
// each of its UTF-8 bytes, "%" of that part then "%25", so the real bytes stay recoverable. A
// part that is not UTF-8 (a CP932 name copied from Windows) is written as it is. A line feed or
// carriage return, which would split a line of the file, is written "%0A" / "%0D" in any part
// ("%" of that part then "%25" too).
std::string NameToCp932(std::string_view path);

// The file-system bytes of a path read back from a CP932 text (a position of a tree file):
// walking its parts from the left, each part is taken as it stands when that exists, else as
// its UTF-8 form ("%XX" undone, the rest read as CP932) when that exists. A path that cannot be
// matched is returned unchanged. exists tells whether a path exists (the file system by default).
std::string RealPathOf(std::string_view path,
                       const std::function<bool(const std::string&)>& exists = {});

}  // namespace kelvora
