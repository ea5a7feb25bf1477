#pragma once
// What a refused login answer tells the user.
#include <string>

namespace kvx::conf {

// The text shown for a refusal `status` of a login that created (or
// joined) a conference; empty for statuses without a specific text.
std::string loginRefusalText(int status, bool create);

}  // namespace kvx::conf
