// The program's version text: part of the window title, of the version check and of the
// service's page addresses.
#pragma once

namespace zoqa {

inline constexpr char kClientVersion[] = "2.1";

}  // namespace zoqa
