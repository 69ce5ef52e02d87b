#include "src/sis9/condition_text.h"

#include <cstdio>

namespace tovrin::sis9 {
namespace {

// The phone's HAL attributes by their number (their position in the HAL's enumeration).
struct Attribute {
    int32_t number;
    const char* name;
};
constexpr Attribute kAttributes[] = {
    {0, "Manufacturer"}, {1, "ManufacturerHardwareRev"}, {2, "ManufacturerSoftwareRev"},
    {3, "ManufacturerSoftwareBuild"}, {4, "Model"}, {5, "MachineUID"}, {6, "DeviceFamily"},
    {7, "DeviceFamilyRev"}, {8, "CPU"}, {9, "CPUArch"}, {10, "CPUABI"}, {11, "CPUSpeed"},
    {14, "SystemTickPeriod"}, {15, "MemoryRAM"}, {16, "MemoryRAMFree"}, {17, "MemoryROM"},
    {18, "MemoryPageSize"}, {21, "PowerBackup"}, {24, "Keyboard"}, {25, "KeyboardDeviceKeys"},
    {26, "KeyboardAppKeys"}, {27, "KeyboardClick"}, {30, "KeyboardClickVolumeMax"},
    {31, "DisplayXPixels"}, {32, "DisplayYPixels"}, {33, "DisplayXTwips"},
    {34, "DisplayYTwips"}, {35, "DisplayColors"}, {38, "DisplayContrastMax"}, {39, "Backlight"},
    {41, "Pen"}, {42, "PenX"}, {43, "PenY"}, {44, "PenDisplayOn"}, {45, "PenClick"},
    {48, "PenClickVolumeMax"}, {49, "Mouse"}, {50, "MouseX"}, {51, "MouseY"},
    {55, "MouseButtons"}, {61, "LEDs"}, {63, "IntegratedPhone"}, {65, "DisplayBrightnessMax"},
    {67, "AccessoryPower"}, {72, "SystemDrive"}, {kAttributeLanguage, "Language"},
};

std::string number(int32_t v) {
    if (v >= 0 && v < 0x10000) return std::to_string(v);
    if (v < 0 && v > -0x10000) return std::to_string(v);
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(v));
    return text;
}

bool isLeaf(const Expression& e) {
    switch (static_cast<Operator>(e.op)) {
    case Operator::Exists:
    case Operator::AppProperty:
    case Operator::Package:
    case Operator::String:
    case Operator::Option:
    case Operator::Attribute:
    case Operator::Number: return true;
    default: return false;
    }
}

std::string side(const Expression& e, size_t i) {
    if (i >= e.operands.size()) return "?";
    const Expression& o = e.operands[i];
    return isLeaf(o) ? formatCondition(o) : "(" + formatCondition(o) + ")";
}

std::string generic(const Expression& e) {
    std::string s = "expression(" + std::to_string(e.op) + ", " + number(e.value);
    if (e.hasText) s += ", " + quoted(e.text);
    for (const Expression& o : e.operands) s += ", " + formatCondition(o);
    return s + ")";
}

}  // namespace

std::string quoted(const std::string& text) {
    std::string s = "\"";
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F || c == '"' || c == '<') {
            s += "<" + std::to_string(c) + ">";
        } else {
            s.push_back(static_cast<char>(c));
        }
    }
    return s + "\"";
}

std::string attributeName(int32_t number) {
    for (const Attribute& a : kAttributes) {
        if (a.number == number) return a.name;
    }
    return "";
}

bool isElseCondition(const Expression& e) {
    return e.op == static_cast<uint32_t>(Operator::Not) && e.operands.size() == 1 &&
           e.operands[0].op == static_cast<uint32_t>(Operator::Number) &&
           e.operands[0].value == 0 && e.operands[0].operands.empty();
}

std::string formatCondition(const Expression& e) {
    static const char* const kRelations[] = {"=", "<>", ">", "<", ">=", "<="};
    const size_t n = e.operands.size();
    switch (static_cast<Operator>(e.op)) {
    case Operator::Equal:
    case Operator::NotEqual:
    case Operator::Greater:
    case Operator::Less:
    case Operator::GreaterOrEqual:
    case Operator::LessOrEqual:
        if (n != 2) break;
        return side(e, 0) + " " + kRelations[e.op - 1] + " " + side(e, 1);
    case Operator::And:
        if (n != 2) break;
        return side(e, 0) + " AND " + side(e, 1);
    case Operator::Or:
        if (n != 2) break;
        return side(e, 0) + " OR " + side(e, 1);
    case Operator::Not:
        if (n != 1) break;
        return "NOT " + side(e, 0);
    case Operator::Exists:
        if (n != 0 || !e.hasText) break;
        return "exists(" + quoted(e.text) + ")";
    case Operator::AppProperty:
        if (n != 2) break;
        return "appprop(" + formatCondition(e.operands[0]) + "," +
               formatCondition(e.operands[1]) + ")";
    case Operator::Package:
        if (n != 1) break;
        return "package(" + formatCondition(e.operands[0]) + ")";
    case Operator::String:
        if (n != 0 || !e.hasText) break;
        return quoted(e.text);
    case Operator::Option:
        if (n != 0) break;
        return "option" + std::to_string(e.value);
    case Operator::Attribute: {
        if (n != 0) break;
        const std::string name = attributeName(e.value);
        return name.empty() ? "attribute(" + number(e.value) + ")" : name;
    }
    case Operator::Number:
        if (n != 0) break;
        return number(e.value);
    }
    return generic(e);
}

}  // namespace tovrin::sis9
