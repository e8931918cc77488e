// The window messages the service link sends to its windows, by number.
#pragma once

namespace zoqa {

// To the main window: the update's progress window, progress and hand-over (wParam 1, 2, 5).
inline constexpr int kUpdateWindowMessage = 3043;
// To the install prompt of the companion tools: show, progress and hide its bar.
inline constexpr int kToolInstallMessage = 3044;
// To the main window: what the periodic version check found.
inline constexpr int kVersionNoticeMessage = 4476;

}  // namespace zoqa
