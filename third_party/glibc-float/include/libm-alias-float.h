/* Symbol aliases of the C library: the functions get their usual names in
   functions.c instead. */
#define libm_alias_finite(from, to)
#define libm_alias_float(from, to)
#define libm_alias_float_other(from, to)
#define libm_alias_double(from, to)
#define libm_alias_double_other(from, to)
#ifndef strong_alias
#define strong_alias(name, alias)
#endif
