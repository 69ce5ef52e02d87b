#include "src/app/start_up.h"

#include "src/lang/language_list.h"

namespace tovrin {

void Form_Load(Window& window, const std::string& appFolder) { LoadLang(window, appFolder); }

}  // namespace tovrin
