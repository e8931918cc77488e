// Showing a file to the user in the desktop's file manager.
#pragma once

#include <QString>

namespace zoqa {

// Opens the file manager with the file selected (the freedesktop FileManager1 service on the
// session bus); where that service is missing, opens the file's folder instead.
void RevealFile(const QString& path);

}  // namespace zoqa
