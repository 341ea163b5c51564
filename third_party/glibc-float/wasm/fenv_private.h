/* The rounding-mode guards the functions set around their work, for
   WebAssembly: it always rounds to nearest, so there is nothing to set or
   restore (the x86 header saves and loads the SSE control register). */
#ifndef FENV_PRIVATE_H
#define FENV_PRIVATE_H 1
#include <fenv.h>  /* FE_TONEAREST */
#define SET_RESTORE_ROUND(RM)
#define SET_RESTORE_ROUND_NOEX(RM)
#define SET_RESTORE_ROUND_53BIT(RM)
#define SET_RESTORE_ROUNDF(RM)
#endif
