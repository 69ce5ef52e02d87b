#pragma once
#include <string>

namespace tovrin {

// The folder that holds the running program, without a final separator.
std::string applicationFolder();

}  // namespace tovrin
