// The version texts of Kelvora.
#pragma once

#include <string_view>

namespace kelvora {

// The version the program shows and writes into its outputs ("Kelvora　Ver.%s").
inline constexpr std::string_view kVersionText = "3.24";

}  // namespace kelvora
