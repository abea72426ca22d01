// file: URIs of the language server and the path bytes they stand for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvora::lsp {

// "file://" and the absolute path, every byte outside the unreserved characters and "/"
// percent-encoded ("%20" for a blank, "%23" for "#", "%25" for "%", each byte of a UTF-8 or
// Shift-JIS name on its own).
std::string PathToUri(std::string_view path);

// The path bytes of a "file:" URI ("file:///p", "file://localhost/p", "file:/p"), every "%XX"
// decoded; a query or fragment is dropped. Nothing for another scheme, a remote host, a relative
// path, a broken "%" escape or a NUL byte.
std::optional<std::string> UriToPath(std::string_view uri);

}  // namespace kelvora::lsp
