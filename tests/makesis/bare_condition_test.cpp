// A bare attribute or number as a condition, alone or inside AND, OR, NOT and brackets: stored
// as that node alone, with no comparison around it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/sis/sis_format.h"
#include "tests/makesis/library_run.h"
#include "tests/support/temp_dir.h"

namespace {

using tovrin::test::TempDir;

struct ConditionCase {
    const char* name;
    std::string lines;             // between the header and the final ENDIF
    std::vector<uint32_t> stored;  // the words of the condition record stored after the ENDIF
};

void PrintTo(const ConditionCase& c, std::ostream* os) { *os << c.name; }

class BareCondition : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(BareCondition, IsStoredAsItsNodeAlone) {
    const ConditionCase& c = GetParam();
    TempDir dir;
    dir.write("t.pkg", "#{\"Demo\"},(0x01000000),1,0,0\r\n!({\"One\"},{\"Two\"})\r\n" + c.lines +
                           "ENDIF\r\n");
    const tovrin::test::LibraryRun run = tovrin::test::runInFolder(dir.path(), {"t.pkg"});
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string sis = tovrin::test::readFile(dir.path() / "t.sis");
    const auto word = [&](size_t at) {
        return at + 4 <= sis.size()
                   ? tovrin::sis::readU32(reinterpret_cast<const uint8_t*>(sis.data()) + at)
                   : 0xFFFFFFFFu;
    };
    const size_t record = word(tovrin::sis::header::kFilesPtr) + 4;  // after the ENDIF
    for (size_t i = 0; i < c.stored.size(); ++i) EXPECT_EQ(word(record + 4 * i), c.stored[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, BareCondition,
    ::testing::Values(
        ConditionCase{"Option", "IF option1\r\n", {3, 12, 13, 0x2001, 0}},
        ConditionCase{"NotOption", "IF NOT option2\r\n", {3, 16, 11, 13, 0x2002, 0}},
        ConditionCase{"AndComparison",
                      "IF option1 AND (Language=2)\r\n",
                      {3, 44, 6, 13, 0x2001, 0, 0, 13, 0x1000, 0, 14, 2, 0}},
        ConditionCase{"OrInBrackets",
                      "IF (option2 OR RemoteInstall) AND NOT option1\r\n",
                      {3, 48, 6, 7, 13, 0x2002, 0, 13, 0x1001, 0, 11, 13, 0x2001, 0}},
        ConditionCase{
            "ElseIf", "IF Language=1\r\nELSEIF RemoteInstall\r\n", {4, 12, 13, 0x1001, 0}},
        ConditionCase{"Number", "IF 1\r\n", {3, 12, 14, 1, 0}},
        ConditionCase{"NegativeNumber", "IF NOT -1\r\n", {3, 16, 11, 14, 0xFFFFFFFF, 0}},
        ConditionCase{"BeforeALineStartingWithABracket",
                      "IF option1\r\n(0x101F6F88),0,0,0,{\"Series60ProductID\"}\r\n",
                      {3, 12, 13, 0x2001, 0}}),
    [](const ::testing::TestParamInfo<ConditionCase>& p) { return std::string(p.param.name); });

}  // namespace
