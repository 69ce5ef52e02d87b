#pragma once
// Sets (or with no value, removes) an environment variable until the end of the scope.

#include <cstdlib>
#include <optional>
#include <string>

namespace tovrin::test {

class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        set(value);
    }
    ~ScopedVariable() { set(old_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void set(const std::optional<std::string>& value) {
#ifdef _WIN32
        _putenv_s(name_, value ? value->c_str() : "");
#else
        value ? setenv(name_, value->c_str(), 1) : unsetenv(name_);
#endif
    }
    const char* name_;
    std::optional<std::string> old_;
};

// The variable that places the per-user work folder on this host.
#ifdef _WIN32
inline constexpr const char* kUserCacheVariable = "LOCALAPPDATA";
#else
inline constexpr const char* kUserCacheVariable = "XDG_CACHE_HOME";
#endif

}  // namespace tovrin::test
