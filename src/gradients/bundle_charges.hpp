#pragma once
// The charge step of the surface gradient routine, exposed so that a
// reference loop can be run through the same routine and compared.

#include "gradients/gradients.hpp"

// Charges of groups 1..n from the capacitance coefficients c and the
// voltage phasors: q(k) = sum over l = 1..n, in that order, of c(k, l) * v(l),
// each partial sum held in single precision.
using ChargeLoop = void (*)(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim,
                            GroupReals& qreal, GroupReals& qimag);

// On x86-64 the charge loop has a second build for 256-bit vectors, taken
// when the processor has them; elsewhere only the portable one.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define BRENLOW_WIDE_CHARGES 1
#else
#define BRENLOW_WIDE_CHARGES 0
#endif

// The charge loop of the program: sweeps the coefficients column by column,
// a block of rows together; the wide build where the processor has one.
void bundle_charges(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim,
                    GroupReals& qreal, GroupReals& qimag);
// The same loop in the build for the baseline processor, which every
// other build must match bit for bit.
void portable_bundle_charges(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim,
                             GroupReals& qreal, GroupReals& qimag);

// ztmxgrad with the given charge loop, and the capacitance coefficients
// when they are known already.
bool ztmxgrad_with(Inputs& inputs, ChargeLoop charges, const Capacitance* known = nullptr);
