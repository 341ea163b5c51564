/* The C library's functions under their usual names in the explorer's
   WebAssembly module, in place of those of the module's own C library
   (musl, which rounds differently). Each function the library builds in
   several variants takes the one for any processor: WebAssembly has no
   fused multiply-add. */
float __logf_sse2(float), __expf_sse2(float), __powf_sse2(float, float);
float __sinf_sse2(float), __cosf_sse2(float);
void __sincosf_sse2(float, float *, float *);
double __log_sse2(double), __exp_sse2(double), __pow_sse2(double, double);
float __ieee754_log10f(float);
float __ieee754_atan2f(float, float);
float __atanf(float);
double __ieee754_log10(double);
double __sin_sse2(double), __cos_sse2(double), __atan2_sse2(double, double), __expm1_sse2(double);
void __sincos_sse2(double, double *, double *);
double __hypot(double, double);
double __ieee754_sinh(double);

/* The logarithms e_log10f.c and e_log10.c call, the exponential e_sinh.c
   calls. */
float __ieee754_logf(float x) { return __logf_sse2(x); }
double __ieee754_log(double x) { return __log_sse2(x); }
double __ieee754_exp(double x) { return __exp_sse2(x); }
double __expm1(double x) { return __expm1_sse2(x); }

float logf(float x) { return __logf_sse2(x); }
float log10f(float x) { return __ieee754_log10f(x); }
float expf(float x) { return __expf_sse2(x); }
float powf(float x, float y) { return __powf_sse2(x, y); }
float sinf(float x) { return __sinf_sse2(x); }
float cosf(float x) { return __cosf_sse2(x); }
void sincosf(float x, float *s, float *c) { __sincosf_sse2(x, s, c); }
float atanf(float x) { return __atanf(x); }
float atan2f(float y, float x) { return __ieee754_atan2f(y, x); }

double log(double x) { return __log_sse2(x); }
double log10(double x) { return __ieee754_log10(x); }
double exp(double x) { return __exp_sse2(x); }
double pow(double x, double y) { return __pow_sse2(x, y); }
double sin(double x) { return __sin_sse2(x); }
double cos(double x) { return __cos_sse2(x); }
void sincos(double x, double *s, double *c) { __sincos_sse2(x, s, c); }
double atan2(double y, double x) { return __atan2_sse2(y, x); }
double hypot(double x, double y) { return __hypot(x, y); }
double sinh(double x) { return __ieee754_sinh(x); }
double expm1(double x) { return __expm1_sse2(x); }
