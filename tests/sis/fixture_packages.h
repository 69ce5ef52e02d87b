#pragma once
// The golden packages under shared/fixtures, for the reader's data-driven tests.

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"

namespace tovrin::test {

// The bytes of a file below shared/fixtures, or "<missing>".
inline std::string fixture(const std::string& relative) {
    return readFile(std::string(TOVRIN_SHARED_DIR) + "/fixtures/" + relative);
}

// Every case folder that holds an expected.sis.
inline auto fixturePackageCases() {
    return ::testing::Values("makesis/empty-file", "makesis/fr-fn", "makesis/ft-text", "makesis/if-block",
                             "makesis/language-block", "makesis/large-binary", "makesis/nc-option",
                             "makesis/nested-folders", "makesis/no-language", "makesis/s60-wizard",
                             "makesis/two-languages", "makesis/type-sy", "sdk-reference/test",
                             "sdk-reference/test2");
}

// A test name from the case folder's own name.
inline std::string fixtureCaseName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(info.param.find('/') + 1);
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

}  // namespace tovrin::test
