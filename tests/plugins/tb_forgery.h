/*
 * What a forging plug-in does in FpxFree(NULL) (tb_forgery.c); fpx_broken_plugin.c calls it when
 * built with TB_FORGERY. Returns FpxFree's result when the behaviour lets the call return.
 */
#ifndef VELMORA_TESTS_PLUGINS_TB_FORGERY_H_
#define VELMORA_TESTS_PLUGINS_TB_FORGERY_H_

#include <stdint.h>

int32_t TbForge(void);

#endif /* VELMORA_TESTS_PLUGINS_TB_FORGERY_H_ */
