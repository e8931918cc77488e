// The program's pictures, drawn in code so that they scale and need no asset files: the
// grid's three badges, the item buttons' symbols and the application icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace zoqa {

// Grid badges: a red badge with the word 推广 (24 by 16) for companies found through a paid
// link, a blue letter V (14 by 13) for certified ones, and an empty 16 by 16 square.
QPixmap PaidBadge();
QPixmap CertifiedBadge();
QPixmap EmptyBadge();

// Symbols of the keyword items' buttons.
QIcon StartIcon();
QIcon StopIcon();
QIcon DeleteIcon();
QIcon ExportIcon();

// The application and tray icon (a magnifier over a contact card).
QIcon AppIcon();
QPixmap AppIconPixmap(int size);

}  // namespace zoqa

namespace zoqa {

// The 64 by 64 picture of the company detail window (an office building).
QPixmap CompanyPicture();

}  // namespace zoqa
