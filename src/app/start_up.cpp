#include "app/start_up.h"

#include "lang/language_list.h"

namespace tovrin {

void Form_Load(Window& window, const std::string& appFolder) {
    LoadLang(window, appFolder);
}

}  // namespace tovrin
