// File-system bytes of a path that came back from a Qt file dialog.
#pragma once

#include <QString>
#include <string>

namespace kelvora {

// The path as file-system bytes. Qt shows names that are not UTF-8 (CP932 names copied from
// Windows) with replacement characters, and such a text no longer names the file; each component
// that does not exist as encoded is then looked up in its directory by its decoded name. With
// last_may_be_new the final component may name a file that does not exist yet (a save target).
// A path that cannot be matched is returned as Qt encodes it.
std::string FileSystemBytes(const QString& path, bool last_may_be_new = false);

}  // namespace kelvora
