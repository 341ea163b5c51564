/* The library raises the underflow flag here; values are untouched. */
#include <float.h>
#include <math.h>
#include <math-barriers.h>
#define math_check_force_underflow(x)                     \
  do {                                                    \
    if (fabsf(x) < FLT_MIN) {                             \
      float force_underflow_ = (x) * (x);                 \
      math_force_eval(force_underflow_);                  \
    }                                                     \
  } while (0)
#define math_check_force_underflow_nonneg(x)              \
  do {                                                    \
  } while (0)
