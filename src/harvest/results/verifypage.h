// The engines' human-verification answers: a captcha page served instead of results to a
// client the engine takes for a robot.
#pragma once

#include <string>

#include "harvest/base/engine.h"

namespace zoqa {

// True when the answer to a search request is `engine`'s verification page: one of the
// engine's markers occurs in the final URL (letter case ignored), or in the page's text when
// no reader found a result on it (a result may well mention a marker).
bool IsVerificationPage(TEngine engine, const std::string& finalUrl, const std::string& text,
                        bool hasResults = false);

// The status line for a verification answer and the wait before the next request, e.g.
// "百度要求安全验证，60 秒后重试" (code page 936).
std::string VerificationStatus(TEngine engine, int seconds);

// The engine's name as results and status lines carry it: "百度", "搜狗" or "360".
std::string EngineName(TEngine engine);

}  // namespace zoqa
