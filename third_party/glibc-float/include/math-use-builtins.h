/* The compiler builtins the functions may use in place of their own code:
   the square root only, as in the library's x86-64 build. */
#ifndef MATH_USE_BUILTINS_H
#define MATH_USE_BUILTINS_H 1
#define USE_SQRT_BUILTIN 1
#define USE_SQRTF_BUILTIN 1
#define USE_FMA_BUILTIN 0
#define USE_FMAF_BUILTIN 0
#define USE_FMAX_BUILTIN 0
#define USE_FMIN_BUILTIN 0
#define USE_FMAXF_BUILTIN 0
#define USE_FMINF_BUILTIN 0
#endif
