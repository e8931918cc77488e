// The search engines, numbered as the store, the task controller and the window number them.
#pragma once

namespace zoqa {

enum TEngine : int {
  egBaidu = 0,
  egSogou = 1,
  eg360 = 2,
};

}  // namespace zoqa
