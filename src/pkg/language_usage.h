#pragma once
// The list of language codes shown after "unknown language specified".

#include <string>

namespace tovrin::makesis {

std::string languageUsage();

}  // namespace tovrin::makesis
