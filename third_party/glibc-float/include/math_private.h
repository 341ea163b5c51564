/* What the C library's float functions take from its internal headers,
   for building them outside the library: the float functions and the
   double logarithm, exponential and power. */
#ifndef BRENLOW_GLIBC_FLOAT_MATH_PRIVATE_H
#define BRENLOW_GLIBC_FLOAT_MATH_PRIVATE_H
#include <stdint.h>
#include <string.h>

#define attribute_hidden
#ifndef __glibc_likely
#define __glibc_likely(c) __builtin_expect((c), 1)
#define __glibc_unlikely(c) __builtin_expect((c), 0)
#endif

#define GET_FLOAT_WORD(i, d) \
  do { float word_ = (d); memcpy(&(i), &word_, 4); } while (0)
#define SET_FLOAT_WORD(d, i) \
  do { uint32_t word_ = (i); memcpy(&(d), &word_, 4); } while (0)

#define EXTRACT_WORDS64(i, d) \
  do { double word_ = (d); memcpy(&(i), &word_, 8); } while (0)
#define INSERT_WORDS64(d, i) \
  do { uint64_t word_ = (i); memcpy(&(d), &word_, 8); } while (0)

static inline int brenlow_issignalingf(float x) {
  uint32_t u;
  memcpy(&u, &x, 4);
  return (u & 0x7fffffff) > 0x7f800000 && !(u & 0x00400000);
}
#define issignaling(x) brenlow_issignalingf(x)

float __ieee754_logf(float);
float __ieee754_log10f(float);
float __ieee754_atan2f(float, float);
float __atanf(float);
double __ieee754_log(double);
#endif
