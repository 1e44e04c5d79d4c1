#include "ui/translation.h"

#include <locale.h>

// The toolkit would set the locale itself in gtk_init; the catalogue must be bound before that.
// Numbers in the standard output lines are integers, which no locale changes.
void InitTranslation(const char* localeDir) {
  setlocale(LC_ALL, "");
  bindtextdomain(VELMORA_TEXT_DOMAIN, localeDir);
  bind_textdomain_codeset(VELMORA_TEXT_DOMAIN, "UTF-8");
}
