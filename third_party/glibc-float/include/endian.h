/* The byte order the double functions' tables are written for:
   little-endian, as x86 and WebAssembly are. */
#ifndef BRENLOW_GLIBC_FLOAT_ENDIAN_H
#define BRENLOW_GLIBC_FLOAT_ENDIAN_H 1
#define LITTLE_ENDI 1
#define HIGH_HALF 1
#define LOW_HALF 0
#endif
