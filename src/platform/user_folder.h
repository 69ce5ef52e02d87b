#pragma once
// The per-user folders Tovrin keeps its own files in, found as each host's conventions say.

#include <string>

namespace tovrin {

enum class UserFolder {
    Cache,   // $XDG_CACHE_HOME/tovrin, ~/.cache/tovrin; %LOCALAPPDATA%\Tovrin
    Config,  // $XDG_CONFIG_HOME/tovrin, ~/.config/tovrin; %APPDATA%\Tovrin
};

// The folder without a final separator; empty when the host names no such place. A Linux
// variable that is not an absolute path is ignored, as the XDG rules say; on Windows the
// shell is asked where the variable is unset.
std::string userFolder(UserFolder which);

}  // namespace tovrin
