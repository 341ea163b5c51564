/* The byte order the functions' tables are written for: little-endian, as
   WebAssembly is. */
#include_next <endian.h>
#define LITTLE_ENDI 1
#define HIGH_HALF 1
#define LOW_HALF 0
