#pragma once
// The golden packages of the test data, for the reader's data-driven tests.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace tovrin::test {

// The bytes of a file below tests/data, or "<missing>".
inline std::string fixture(const std::string& relative) {
    return readFile(std::string(TOVRIN_TEST_DATA_DIR) + "/" + relative);
}

// Every case folder that holds an expected.sis.
inline auto fixturePackageCases() {
    return ::testing::Values("makesis/empty-file", "makesis/fr-fn", "makesis/ft-text",
                             "makesis/if-block", "makesis/language-block", "makesis/large-binary",
                             "makesis/nc-option", "makesis/nested-folders", "makesis/no-language",
                             "makesis/s60-wizard", "makesis/two-languages", "makesis/type-sy",
                             "reference/test", "reference/test2");
}

// A test name from the case folder's own name.
inline std::string fixtureCaseName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(info.param.find('/') + 1);
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
}

}  // namespace tovrin::test
