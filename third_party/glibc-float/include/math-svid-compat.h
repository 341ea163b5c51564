/* No compatibility symbols: only the current functions are built. */
#define LIBM_SVID_COMPAT 0
