#include "platform/clipboard.h"

#include <mutex>
#include <utility>

namespace zoqa {

namespace {

class TNoClipboard : public TClipboard {
 public:
  void SetText(const std::string&) override {}
  bool Wanted() const override { return false; }
};

std::mutex gClipboardLock;

std::shared_ptr<TClipboard>& Installed() {
  static std::shared_ptr<TClipboard> installed = std::make_shared<TNoClipboard>();
  return installed;
}

}  // namespace

void InstallClipboard(std::shared_ptr<TClipboard> clipboard) {
  if (!clipboard) clipboard = std::make_shared<TNoClipboard>();
  std::shared_ptr<TClipboard> previous;  // released after the lock, outside it
  std::lock_guard<std::mutex> lock(gClipboardLock);
  previous = std::exchange(Installed(), std::move(clipboard));
}

std::shared_ptr<TClipboard> Clipboard() {
  std::lock_guard<std::mutex> lock(gClipboardLock);
  return Installed();
}

}  // namespace zoqa
