#pragma once
// Names of the attributes a condition may test: the phone's HAL attributes, Language,
// RemoteInstall and option1, option2, ... (the options of an options list).

#include <cstdint>
#include <string>

namespace tovrin::makesis {

// The attribute id of a name (case-insensitive); false when the name is unknown.
bool attributeByName(const std::u16string& name, uint32_t& id);

// The name a script gives an attribute id; false when it has none.
bool attributeName(uint32_t id, std::string* name);

// The known names, for the message that follows "unknown variable name".
std::string attributeUsage();

}  // namespace tovrin::makesis
