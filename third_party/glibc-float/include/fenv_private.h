/* The rounding-mode guards the functions set around their work: the
   programs and the explorer's module always round to nearest (WebAssembly
   knows no other mode), so there is nothing to set or restore. */
#ifndef FENV_PRIVATE_H
#define FENV_PRIVATE_H 1
#include <fenv.h>  /* FE_TONEAREST */
#define SET_RESTORE_ROUND(RM)
#define SET_RESTORE_ROUND_NOEX(RM)
#define SET_RESTORE_ROUND_53BIT(RM)
#define SET_RESTORE_ROUNDF(RM)
#endif
