// The engines as the task queue names them: "baidu", "sogou" and "360".
#pragma once

#include <string>

#include "harvest/base/engine.h"

namespace zoqa {

inline std::string TaskEngineName(int engine) {
  if (engine == egBaidu) return "baidu";
  if (engine == egSogou) return "sogou";
  return "360";
}

// The engine of a name; -1 for an unknown one.
inline int TaskEngineFromName(const std::string& name) {
  if (name == "baidu") return egBaidu;
  if (name == "sogou") return egSogou;
  if (name == "360") return eg360;
  return -1;
}

}  // namespace zoqa
