/* SSE evaluates float in float: nothing to narrow. */
#define math_narrow_eval(x) (x)
