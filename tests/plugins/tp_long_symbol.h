/* A 300-character symbol name: longer than the 255 characters to which the loader cuts the
 * underscore form of a name, so that only the full plain name finds it. */
#ifndef VELMORA_TESTS_PLUGINS_TP_LONG_SYMBOL_H_
#define VELMORA_TESTS_PLUGINS_TP_LONG_SYMBOL_H_

#define TP_LONG_SYMBOL_X10 "xxxxxxxxxx"
#define TP_LONG_SYMBOL_X50 \
  TP_LONG_SYMBOL_X10 TP_LONG_SYMBOL_X10 TP_LONG_SYMBOL_X10 TP_LONG_SYMBOL_X10 TP_LONG_SYMBOL_X10
/* 12 + 288 = 300 characters. */
#define TP_LONG_SYMBOL_NAME                                                                  \
  "TpLongSymbol" TP_LONG_SYMBOL_X50 TP_LONG_SYMBOL_X50 TP_LONG_SYMBOL_X50 TP_LONG_SYMBOL_X50 \
      TP_LONG_SYMBOL_X50 TP_LONG_SYMBOL_X10 TP_LONG_SYMBOL_X10 TP_LONG_SYMBOL_X10 "xxxxxxxx"

#endif /* VELMORA_TESTS_PLUGINS_TP_LONG_SYMBOL_H_ */
