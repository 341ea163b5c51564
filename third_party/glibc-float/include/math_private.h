/* What the C library's float functions take from its internal headers,
   for building them outside the library: the float functions, the double
   logarithm, exponential and power and, for the explorer's module, the
   double sine, cosine, arc tangent, hypotenuse and hyperbolic sine. */
#ifndef BRENLOW_GLIBC_FLOAT_MATH_PRIVATE_H
#define BRENLOW_GLIBC_FLOAT_MATH_PRIVATE_H
#include <stdint.h>
#include <string.h>

#define attribute_hidden
#include <errno.h>
#define __set_errno(e) (errno = (e))
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

/* A double's high and low 32 bits (little-endian, as on x86 and in
   WebAssembly). */
#include "endian.h"
#define EXTRACT_WORDS(hi, lo, d) \
  do { uint64_t words_; EXTRACT_WORDS64(words_, d); (hi) = words_ >> 32; (lo) = (uint32_t)words_; } while (0)
#define INSERT_WORDS(d, hi, lo) \
  do { uint64_t words_ = (uint64_t)(uint32_t)(hi) << 32 | (uint32_t)(lo); INSERT_WORDS64(d, words_); } while (0)
#define GET_HIGH_WORD(i, d) \
  do { uint64_t words_; EXTRACT_WORDS64(words_, d); (i) = words_ >> 32; } while (0)
#define GET_LOW_WORD(i, d) \
  do { uint64_t words_; EXTRACT_WORDS64(words_, d); (i) = (uint32_t)words_; } while (0)
#define SET_HIGH_WORD(d, v) \
  do { uint64_t words_; EXTRACT_WORDS64(words_, d); \
       words_ = (words_ & 0xffffffffu) | (uint64_t)(uint32_t)(v) << 32; INSERT_WORDS64(d, words_); } while (0)
#define SET_LOW_WORD(d, v) \
  do { uint64_t words_; EXTRACT_WORDS64(words_, d); \
       words_ = (words_ & 0xffffffff00000000u) | (uint32_t)(v); INSERT_WORDS64(d, words_); } while (0)
#ifndef __always_inline
#define __always_inline __inline __attribute__((__always_inline__))
#endif

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
double __ieee754_exp(double);
double __expm1(double);
#endif
