#include "harvest/results/verifypage.h"

#include "harvest/base/enginesettings.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

const std::vector<std::string>& Markers(const TEngineSettings& settings, TEngine engine) {
  switch (engine) {
    case egBaidu:
      return settings.BaiduVerifyMarkers;
    case egSogou:
      return settings.SogouVerifyMarkers;
    case eg360:
      break;
  }
  return settings.So360VerifyMarkers;
}

}  // namespace

bool IsVerificationPage(TEngine engine, const std::string& finalUrl, const std::string& text,
                        bool hasResults) {
  auto settings = EngineSettings();
  std::string url = AsciiLower(finalUrl);
  for (const std::string& marker : Markers(*settings, engine)) {
    if (marker.empty()) continue;
    if (url.find(AsciiLower(marker)) != std::string::npos) return true;
    if (!hasResults && FindText(text, marker) != std::string::npos) return true;
  }
  return false;
}

std::string VerificationStatus(TEngine engine, int seconds) {
  return EngineName(engine) + Cp936("要求安全验证，") + std::to_string(seconds) +
         Cp936(" 秒后重试");
}

std::string EngineName(TEngine engine) {
  switch (engine) {
    case egBaidu:
      return Cp936("百度");
    case egSogou:
      return Cp936("搜狗");
    case eg360:
      break;
  }
  return "360";
}

}  // namespace zoqa
