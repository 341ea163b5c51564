/* The one rounding mode of WebAssembly, all the functions name (their
   guards around it do nothing here, see fenv_private.h). */
#ifndef BRENLOW_WASM_FENV_H
#define BRENLOW_WASM_FENV_H 1
#define FE_TONEAREST 0
#endif
