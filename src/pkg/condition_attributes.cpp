#include "src/pkg/condition_attributes.h"

#include "src/sis/sis_format.h"
#include "src/pkg/pkg_lexer.h"

namespace tovrin::makesis {
namespace {

// HAL attributes in the order of their ids (0, 1, 2, ...).
constexpr const char* kHalAttributes[] = {
    "Manufacturer",
    "ManufacturerHardwareRev",
    "ManufacturerSoftwareRev",
    "ManufacturerSoftwareBuild",
    "Model",
    "MachineUid",
    "DeviceFamily",
    "DeviceFamilyRev",
    "CPU",
    "CPUArch",
    "CPUABI",
    "CPUSpeed",
    "SystemStartupReason",
    "SystemException",
    "SystemTickPeriod",
    "MemoryRAM",
    "MemoryRAMFree",
    "MemoryROM",
    "MemoryPageSize",
    "PowerGood",
    "PowerBatteryStatus",
    "PowerBackup",
    "PowerBackupStatus",
    "PowerExternal",
    "Keyboard",
    "KeyboardDeviceKeys",
    "KeyboardAppKeys",
    "KeyboardClick",
    "KeyboardClickState",
    "KeyboardClickVolume",
    "KeyboardClickVolumeMax",
    "DisplayXPixels",
    "DisplayYPixels",
    "DisplayXTwips",
    "DisplayYTwips",
    "DisplayColors",
    "DisplayState",
    "DisplayContrast",
    "DisplayContrastMax",
    "Backlight",
    "BacklightState",
    "Pen",
    "PenX",
    "PenY",
    "PenDisplayOn",
    "PenClick",
    "PenClickState",
    "PenClickVolume",
    "PenClickVolumeMax",
    "Mouse",
    "MouseX",
    "MouseY",
    "MouseState",
    "MouseSpeed",
    "MouseAcceleration",
    "MouseButtons",
    "MouseButtonState",
    "CaseState",
    "CaseSwitch",
    "CaseSwitchDisplayOn",
    "CaseSwitchDisplayOff",
    "LEDs",
    "LEDmask",
    "IntegratedPhone",
    "DisplayBrightness",
    "DisplayBrightnessMax",
    "KeyboardBacklightState",
    "AccessoryPower",
    "LanguageIndex",
    "KeyboardIndex",
    "MaxRAMDriveSize",
    "KeyboardState",
    "SystemDrive",
    "PenState",
    "DisplayIsMono",
    "DisplayIsPalettized",
    "DisplayBitsPerPixel",
    "DisplayNumModes",
    "DisplayMemoryAddress",
    "DisplayOffsetToFirstPixel",
    "DisplayOffsetBetweenLines",
    "DisplayPaletteEntry",
    "DisplayIsPixelOrderRGB",
    "DisplayIsPixelOrderLandscape",
    "DisplayMode",
    "Switches",
    "DebugPort",
    "LocaleLoaded",
    "ClipboardDrive",
};

bool optionNumber(const std::u16string& name, uint32_t& number) {
    const std::u16string prefix = name.substr(0, 6);
    if (name.size() <= 6 || !sameWord(prefix, "option")) return false;
    number = 0;
    for (size_t i = 6; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        number = number * 10 + (name[i] - '0');
        if (number > sis::options_record::kMaxOptions) return false;
    }
    return number >= 1;
}

}  // namespace

bool attributeByName(const std::u16string& name, uint32_t& id) {
    uint32_t index = 0;
    for (const char* hal : kHalAttributes) {
        if (sameWord(name, hal)) {
            id = index;
            return true;
        }
        ++index;
    }
    if (sameWord(name, "Language")) {
        id = sis::kAttributeLanguage;
        return true;
    }
    if (sameWord(name, "RemoteInstall")) {
        id = sis::kAttributeRemoteInstall;
        return true;
    }
    uint32_t option;
    if (optionNumber(name, option)) {
        id = sis::kAttributeOptionBase + option;
        return true;
    }
    return false;
}

bool attributeName(uint32_t id, std::string* name) {
    constexpr uint32_t kHalCount = sizeof kHalAttributes / sizeof kHalAttributes[0];
    if (id < kHalCount) {
        *name = kHalAttributes[id];
    } else if (id == sis::kAttributeLanguage) {
        *name = "Language";
    } else if (id == sis::kAttributeRemoteInstall) {
        *name = "RemoteInstall";
    } else if (id > sis::kAttributeOptionBase &&
               id <= sis::kAttributeOptionBase + sis::options_record::kMaxOptions) {
        *name = "option" + std::to_string(id - sis::kAttributeOptionBase);
    } else {
        return false;
    }
    return true;
}

std::string attributeUsage() {
    std::string usage = "  Known variables:";
    size_t column = 80;
    auto add = [&](const std::string& name) {
        if (column + name.size() + 2 > 78) {
            usage += "\n         ";
            column = 9;
        }
        usage += " " + name;
        column += name.size() + 1;
    };
    for (const char* hal : kHalAttributes) add(hal);
    add("Language");
    add("RemoteInstall");
    add("option1 ... option128");
    return usage;
}

}  // namespace tovrin::makesis
