// The window's message catalogue. _() translates a text for the person at the window; N_() marks
// one for translation where it is defined, to be translated where it is shown. The standard output
// lines, standard-error lines and the window's title are never marked: the parent and the callers
// that find the window read them.
//
// Thread rules: the catalogue is bound once on the main thread (InitTranslation) before the
// toolkit starts; lookups may then run on any thread.
#ifndef VELMORA_UI_TRANSLATION_H_
#define VELMORA_UI_TRANSLATION_H_

#include <libintl.h>

#define VELMORA_TEXT_DOMAIN "velmora-capture"
#define _(text) dgettext(VELMORA_TEXT_DOMAIN, text)
#define N_(text) text

// Takes the user's locale from the environment and binds the catalogue below `localeDir` in UTF-8.
void InitTranslation(const char* localeDir);

#endif  // VELMORA_UI_TRANSLATION_H_
