// The one style sheet of every window of the program.
#pragma once

#include <QString>

namespace zoqa {

QString AppStyleSheet();

}  // namespace zoqa
