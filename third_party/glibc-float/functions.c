/* The C library's functions under their usual names, replacing MinGW's in
   the Windows programs. Each function that the library builds in several
   variants on x86-64 takes the one the library's own selection takes on
   this processor (FMA and AVX2, else for double precision FMA4, else the
   plain one: the AVX variants compute as the plain ones), so that a
   Windows program rounds as the native program does on the same machine.
   The linker sends every call of logf, sinf, ... to wrapped(logf), ...
   (--wrap, see CMakeLists.txt): MinGW's own definitions may stay in the
   program, bundled with functions it needs, and are never called. */
#define wrapped(name) __wrap_##name
#define variants(type, name, parameters) \
  type __##name##_sse2 parameters, __##name##_fma parameters, __##name##_fma4 parameters

variants(float, logf, (float));
variants(float, expf, (float));
variants(float, powf, (float, float));
variants(float, sinf, (float));
variants(float, cosf, (float));
variants(void, sincosf, (float, float *, float *));
variants(double, log, (double));
variants(double, exp, (double));
variants(double, pow, (double, double));
variants(double, sin, (double));
variants(double, cos, (double));
variants(double, atan2, (double, double));
void __sincos_sse2(double, double *, double *), __sincos_fma(double, double *, double *),
    __sincos_fma4(double, double *, double *);
double __expm1_sse2(double), __expm1_fma(double);
double __hypot(double, double);
double __ieee754_sinh(double);
float __ieee754_log10f(float);
float __ieee754_atan2f(float, float);
float __atanf(float);
double __ieee754_log10(double);

static int fma(void) { return __builtin_cpu_supports("fma") && __builtin_cpu_supports("avx2"); }
static int fma4(void) { return __builtin_cpu_supports("fma4"); }

/* The logarithms e_log10f.c and e_log10.c call, the exponentials e_sinh.c
   calls. */
float __ieee754_logf(float x) { return fma() ? __logf_fma(x) : __logf_sse2(x); }
double __ieee754_log(double x) { return fma() ? __log_fma(x) : fma4() ? __log_fma4(x) : __log_sse2(x); }
double __ieee754_exp(double x) { return fma() ? __exp_fma(x) : fma4() ? __exp_fma4(x) : __exp_sse2(x); }
double __expm1(double x) { return fma() ? __expm1_fma(x) : __expm1_sse2(x); }

float wrapped(logf)(float x) { return __ieee754_logf(x); }
float wrapped(log10f)(float x) { return __ieee754_log10f(x); }
float wrapped(expf)(float x) { return fma() ? __expf_fma(x) : __expf_sse2(x); }
float wrapped(powf)(float x, float y) { return fma() ? __powf_fma(x, y) : __powf_sse2(x, y); }
float wrapped(sinf)(float x) { return fma() ? __sinf_fma(x) : __sinf_sse2(x); }
float wrapped(cosf)(float x) { return fma() ? __cosf_fma(x) : __cosf_sse2(x); }
void wrapped(sincosf)(float x, float *s, float *c) {
  if (fma())
    __sincosf_fma(x, s, c);
  else
    __sincosf_sse2(x, s, c);
}
float wrapped(atanf)(float x) { return __atanf(x); }
float wrapped(atan2f)(float y, float x) { return __ieee754_atan2f(y, x); }

double wrapped(log)(double x) { return __ieee754_log(x); }
double wrapped(log10)(double x) { return __ieee754_log10(x); }
double wrapped(exp)(double x) { return __ieee754_exp(x); }
double wrapped(pow)(double x, double y) {
  return fma() ? __pow_fma(x, y) : fma4() ? __pow_fma4(x, y) : __pow_sse2(x, y);
}
double wrapped(sin)(double x) { return fma() ? __sin_fma(x) : fma4() ? __sin_fma4(x) : __sin_sse2(x); }
double wrapped(cos)(double x) { return fma() ? __cos_fma(x) : fma4() ? __cos_fma4(x) : __cos_sse2(x); }
void wrapped(sincos)(double x, double *s, double *c) {  /* GCC's call for a sine and cosine of one angle */
  if (fma())
    __sincos_fma(x, s, c);
  else if (fma4())
    __sincos_fma4(x, s, c);
  else
    __sincos_sse2(x, s, c);
}
double wrapped(atan2)(double y, double x) {
  return fma() ? __atan2_fma(y, x) : fma4() ? __atan2_fma4(y, x) : __atan2_sse2(y, x);
}
double wrapped(hypot)(double x, double y) { return __hypot(x, y); }
double wrapped(sinh)(double x) { return __ieee754_sinh(x); }
