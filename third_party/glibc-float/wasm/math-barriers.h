/* The barriers the functions set around a value, for WebAssembly: the
   value passes through memory, which the compiler may neither see through
   nor leave out (the x86 header names x87 and SSE registers). */
#ifndef MATH_BARRIERS_H
#define MATH_BARRIERS_H 1
#define math_opt_barrier(x) ({ __typeof (x) __x = (x); __asm ("" : "+m" (__x)); __x; })
#define math_force_eval(x) ({ __typeof (x) __x = (x); __asm __volatile ("" : : "m" (__x)); })
#endif
