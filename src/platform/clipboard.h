// The desktop's text clipboard behind a small interface, so that code below the GUI can put
// text on it without depending on a windowing toolkit.
#pragma once

#include <memory>
#include <string>

namespace zoqa {

class TClipboard {
 public:
  virtual ~TClipboard() = default;
  // Replaces the clipboard's content with `text` (code page 936 bytes).
  virtual void SetText(const std::string& text) = 0;
  // False when the text would go nowhere, so that callers need not build it.
  virtual bool Wanted() const { return true; }
};

// Makes `clipboard` the process-wide clipboard; nullptr restores the default one, which
// ignores every request (programs without a desktop leave the user's clipboard alone).
// Safe to call from any thread; a caller still holding the previous instance keeps it alive.
void InstallClipboard(std::shared_ptr<TClipboard> clipboard);

// The process-wide clipboard; never null.
std::shared_ptr<TClipboard> Clipboard();

}  // namespace zoqa
