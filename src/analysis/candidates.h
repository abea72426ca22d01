// Registration of struct and table candidates that the line collectors wrote into the run's
// temporary file.
#pragma once

#include <string>

namespace kelvora {

struct ExtractorEnv;

// Reads candidate lines from temp_file and inserts StructList rows (at most "DataMax" of
// them): the number registered, -1 when the file cannot be opened or the user cancelled.
// header_count (H) bounds the progress steps. over_limit, when given, receives the number of
// usable candidates left out because of "DataMax".
long RegisterStructs(const std::string& temp_file, long header_count, ExtractorEnv& env,
                     long* over_limit = nullptr);

// The same for TableList; file_count (S+H) bounds the progress steps.
long RegisterTables(const std::string& temp_file, long file_count, ExtractorEnv& env,
                    long* over_limit = nullptr);

}  // namespace kelvora
