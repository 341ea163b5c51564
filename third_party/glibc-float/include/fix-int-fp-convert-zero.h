/* Converting an integer 0 to float gives +0 on x86-64. */
#define FIX_INT_FP_CONVERT_ZERO 0
