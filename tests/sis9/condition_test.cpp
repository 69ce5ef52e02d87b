// Conditions come back in the script's own syntax, whatever tree a package holds.
#include <gtest/gtest.h>

#include "src/sis9/condition_text.h"

namespace tovrin::sis9 {
namespace {

Expression node(Operator op, int32_t value = 0, std::vector<Expression> operands = {}) {
    Expression e;
    e.op = static_cast<uint32_t>(op);
    e.value = value;
    e.operands = std::move(operands);
    return e;
}

Expression text(Operator op, const std::string& s) {
    Expression e = node(op);
    e.hasText = true;
    e.text = s;
    return e;
}

TEST(Condition, EachEncodingReadsAsTheScriptWritesIt) {
    const Expression machine = node(Operator::Equal, 0, {node(Operator::Attribute, 5),
                                                         node(Operator::Number, 0x20022E6D)});
    const struct {
        Expression e;
        const char* expected;
    } kCases[] = {
        {node(Operator::Option, 3), "option3"},
        {node(Operator::Equal, 0, {node(Operator::Option, 1), node(Operator::Number, 1)}),
         "option1 = 1"},
        {node(Operator::Package, 0, {node(Operator::Number, 0x1028315F)}), "package(0x1028315F)"},
        {node(Operator::Not, 0, {text(Operator::Exists, "Z:\\x.txt")}), "NOT exists(\"Z:\\x.txt\")"},
        {node(Operator::And, 0, {text(Operator::Exists, "c:\\x.txt"), machine}),
         "exists(\"c:\\x.txt\") AND (MachineUID = 0x20022E6D)"},
        {node(Operator::Or, 0,
              {node(Operator::Equal, 0, {node(Operator::Attribute, kAttributeLanguage),
                                         node(Operator::Number, 2)}),
               node(Operator::LessOrEqual, 0,
                    {node(Operator::Attribute, 31), node(Operator::Number, 240)})}),
         "(Language = 2) OR (DisplayXPixels <= 240)"},
        {node(Operator::NotEqual, 0, {node(Operator::Attribute, 999), node(Operator::Number, -1)}),
         "attribute(999) <> -1"},
        {node(Operator::Equal, 0, {text(Operator::String, "a\"b"), node(Operator::Number, 0)}),
         "\"a<34>b\" = 0"},
        // What the format does not define, or a node without its operands, is shown raw.
        {node(static_cast<Operator>(99), 5, {node(Operator::Number, 1)}),
         "expression(99, 5, 1)"},
        {node(Operator::And, 0, {node(Operator::Number, 1)}), "expression(7, 0, 1)"},
        {node(Operator::Exists), "expression(10, 0)"},
    };
    for (const auto& c : kCases) EXPECT_EQ(formatCondition(c.e), c.expected);
}

TEST(Condition, OnlyNotZeroIsAnElse) {
    EXPECT_TRUE(isElseCondition(node(Operator::Not, 0, {node(Operator::Number, 0)})));
    EXPECT_FALSE(isElseCondition(node(Operator::Not, 0, {node(Operator::Number, 1)})));
    EXPECT_FALSE(isElseCondition(node(Operator::Not, 0, {node(Operator::Option, 0)})));
    EXPECT_FALSE(isElseCondition(node(Operator::Number, 0)));
}

}  // namespace
}  // namespace tovrin::sis9
