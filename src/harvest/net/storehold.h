// A hold on new harvesting work while the store that takes its companies is unreachable:
// while any hold of the process is on, harvesters start no site crawl and ask for no result
// page; crawls already running finish. The owner of a store connection sets its hold on the
// main thread; the harvesters' threads only read whether any is on.
#pragma once

namespace zoqa {

class TStoreHold {
 public:
  TStoreHold() = default;
  // A hold still on is released.
  ~TStoreHold();
  TStoreHold(const TStoreHold&) = delete;
  TStoreHold& operator=(const TStoreHold&) = delete;

  void Set(bool on);
  bool On() const { return on_; }
  // True while any hold of the process is on; safe from any thread.
  static bool Any();

 private:
  bool on_ = false;
};

}  // namespace zoqa
