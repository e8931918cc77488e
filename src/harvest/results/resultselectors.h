// Where each engine's result page keeps its results, as the structural reader finds them:
// XPath expressions and URL parts, all in one table so that a markup change is a one-line
// fix here.
#pragma once

#include <string>
#include <vector>

#include "harvest/base/engine.h"

namespace zoqa {

struct TResultSelectors {
  // The id of the element that holds every result block, when Blocks look only inside it:
  // the reader then parses the page from that element on ("" for the whole page).
  std::string Container;
  // The result blocks of a page.
  std::string Blocks;
  // Relative to a block: the result's anchor (the first one counts), the element whose text
  // is the title, and the attributes that hold the result's own target URL when present.
  std::string Anchor;
  std::string Title;
  std::string Target;
  // Relative to a block: anything here marks the block as promoted ("" for none).
  std::string AdMarks;
  // Paths on the engine's own domains that lead on to a result; any other link to an engine
  // domain is the engine's own navigation and is skipped.
  std::vector<std::string> Redirectors;
  // Hosts of copies kept by the engine (cache, snapshots), never crawled.
  std::vector<std::string> CopyHosts;
};

const TResultSelectors& ResultSelectors(TEngine engine);

// True when `url` leads to a copy that `engine` keeps of a page (its host is one of the
// engine's copy hosts): the engine's own site, not the company's.
bool IsEngineCopy(TEngine engine, const std::string& url);

}  // namespace zoqa
