#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/sis/byte_source.h"
#include "tests/sis/package_builder.h"
#include "tools/sislist/listing.h"

namespace tovrin::sislist {
namespace {

using sis::Expression;
using sis::NodeType;

Expression leaf(NodeType type, uint32_t value, const std::string& text = "") {
    Expression e;
    e.type = type;
    e.value = value;
    e.text = text;
    return e;
}

Expression node(NodeType type, std::vector<Expression> operands) {
    Expression e;
    e.type = type;
    e.operands = std::move(operands);
    return e;
}

struct ExpressionCase {
    const char* name;
    Expression expression;
    const char* text;
};

void PrintTo(const ExpressionCase& c, std::ostream* os) { *os << c.name; }

class ConditionText : public ::testing::TestWithParam<ExpressionCase> {};

TEST_P(ConditionText, InScriptSyntax) {
    EXPECT_EQ(formatExpression(GetParam().expression), GetParam().text);
}

const Expression kLanguage2 =
    node(NodeType::Equal,
         {leaf(NodeType::Attribute, sis::kAttributeLanguage), leaf(NodeType::Number, 2)});

INSTANTIATE_TEST_SUITE_P(
    Nodes, ConditionText,
    ::testing::Values(
        ExpressionCase{"Equal", kLanguage2, "Language=2"},
        ExpressionCase{
            "NotEqualHex",
            node(NodeType::NotEqual, {leaf(NodeType::Attribute, sis::kAttributeMachineUid),
                                      leaf(NodeType::Number, 0x101F4FC3)}),
            "MachineUid<>0x101F4FC3"},
        ExpressionCase{
            "Compare",
            node(NodeType::GreaterOrEqual,
                 {leaf(NodeType::Attribute, sis::kAttributeCpu), leaf(NodeType::Number, 65535)}),
            "CPU>=65535"},
        ExpressionCase{
            "AndNotExists",
            node(NodeType::And,
                 {kLanguage2, node(NodeType::Not, {node(NodeType::Exists,
                                                        {leaf(NodeType::String, 0, "c:\\x")})})}),
            "(Language=2) AND (NOT(EXISTS(\"c:\\x\")))"},
        ExpressionCase{
            "Or",
            node(NodeType::Or, {leaf(NodeType::Attribute, sis::kAttributeOptionBase + 3),
                                leaf(NodeType::Attribute, sis::kAttributeRemoteInstall)}),
            "option3 OR RemoteInstall"},
        ExpressionCase{"DevCap", node(NodeType::DevCap, {leaf(NodeType::Number, 5)}), "DEVCAP(5)"},
        ExpressionCase{
            "AppCap",
            node(NodeType::AppCap, {leaf(NodeType::Number, 0x10005B91), leaf(NodeType::Number, 3)}),
            "APPCAP(0x10005B91,3)"},
        ExpressionCase{"UnknownAttribute", leaf(NodeType::Attribute, 9), "Attribute(0x00000009)"}),
    [](const ::testing::TestParamInfo<ExpressionCase>& info) { return info.param.name; });

TEST(Quote, EscapesWhatWouldBreakTheLine) {
    EXPECT_EQ(quote("plain \\path\\"), "\"plain \\path\\\"");
    EXPECT_EQ(quote(std::string("a\nb\"c<d\x7F\0", 9)), "\"a<10>b<34>c<60>d<127><0>\"");
    EXPECT_EQ(quote("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
}

TEST(LanguageLabel, CodeOrNumber) {
    EXPECT_EQ(languageLabel(1), "EN");
    EXPECT_EQ(languageLabel(48), "SA");
    EXPECT_EQ(languageLabel(0), "language 0");
    EXPECT_EQ(languageLabel(500), "language 500");
}

std::string listBuilt(const test::PackageBuilder& b) {
    const std::string bytes = b.build();
    sis::MemorySource source(bytes.data(), bytes.size());
    sis::Package package;
    std::string err;
    EXPECT_TRUE(sis::readPackage(source, &package, &err)) << err;
    return formatListing(package, sis::verifyPackage(source, package));
}

// Records the fixtures do not hold, each listed on its own lines.
TEST(Listing, RecordsOfEveryKind) {
    test::PackageBuilder b;
    b.languages = {1, 500};
    b.names = {"Demo", "Demo\n2"};
    b.capabilities = {{7, 2}};
    b.options = sis::kOptionUnicode | sis::kOptionShutdownApps;
    b.type = 2;
    b.branch(sis::RecordType::EndIf);
    b.file(static_cast<uint32_t>(sis::FileType::Mime), sis::kRunWaitEnd, "x.html", "c:\\x.html",
           {"<p/>"}, false, "text/html");
    b.condition(sis::RecordType::If, {{NodeType::Equal},
                                      {NodeType::Attribute, sis::kAttributeOptionBase + 1},
                                      {NodeType::Number, 1}});
    b.optionsList({{"Two", "Zwei"}, {"One", "Eins"}});
    b.file(static_cast<uint32_t>(sis::FileType::Component), 0x10005B91, "c.sis", "", {"SIS"});
    b.file(static_cast<uint32_t>(sis::FileType::Text), 2, "t.txt", "", {"x"});
    b.file(9, 7, "odd", "c:\\odd", {"y"});
    const std::string text = listBuilt(b);
    const char* const lines[] = {
        "options: 0x0011 (IU,SH)\n",
        "type: 2 (SO)\n",
        "language 1: 500\n",
        "component name (language 500): \"Demo<10>2\"\n",
        "capability 0: key 7, value 2\n",
        "record 0 at 0x00000068: ENDIF\n",
        "record 1 at 0x0000006C: file, FM, details 0x00000200 (RW)\n"
        "  source: \"x.html\"\n"
        "  destination: \"c:\\x.html\"\n"
        "  MIME type: \"text/html\"\n",
        ": IF option1=1\n",
        ": options, 2\n"
        "  option 1 (EN): \"One\"\n"
        "  option 1 (language 500): \"Eins\"\n"
        "  option 2 (EN): \"Two\"\n"
        "  option 2 (language 500): \"Zwei\"\n"
        "  selected: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF\n",
        ": file, component, details 0x10005B91 (UID 0x10005B91)\n",
        ": file, FT, details 0x00000002 (TA)\n",
        ": file, file type 9, details 0x00000007\n",
        "result: verified\n",
    };
    for (const char* line : lines) EXPECT_NE(text.find(line), std::string::npos) << line << text;
}

TEST(Listing, Er5PackageHasNoEr6Fields) {
    test::PackageBuilder b;
    b.er6 = false;
    b.options = 0;
    b.file(0, 0, "a", "C:\\a", {"abc"});
    const std::string text = listBuilt(b);
    EXPECT_NE(text.find("format: ER5\n"), std::string::npos);
    EXPECT_NE(text.find("installer version: 100\n"), std::string::npos);
    EXPECT_NE(text.find("options: 0x0000\n"), std::string::npos);
    EXPECT_NE(text.find("check record 0 fork 0: ok, raw 3 bytes\n"), std::string::npos);
    EXPECT_EQ(text.find("maximum installed space"), std::string::npos);
    EXPECT_EQ(text.find("signature pointer"), std::string::npos);
}

}  // namespace
}  // namespace tovrin::sislist
