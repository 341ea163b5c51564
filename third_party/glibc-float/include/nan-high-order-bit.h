/* x86-64: a quiet NaN has the high-order bit of its payload set. */
#define HIGH_ORDER_BIT_IS_SET_FOR_SNAN 0
