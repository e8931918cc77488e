// The service's short text replies (version answers, contact data) are lists of items split
// at a separator character. Like the delimited-text reader the service was written against,
// a run of spaces or control characters also ends an item, and an item that starts with a
// double quote runs to its closing quote (a doubled quote inside stands for one).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zoqa {

// The items of `text` split at `separator`. Empty text gives no items; text ending in the
// separator gives a last empty item.
std::vector<std::string> SplitReplyItems(std::string_view text, char separator);

}  // namespace zoqa
