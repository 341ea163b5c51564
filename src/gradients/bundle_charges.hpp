#pragma once
// The charge step of the surface gradient routine, exposed so that a
// reference loop can be run through the same routine and compared.

#include "gradients/gradients.hpp"

// Charges of groups 1..n from the capacitance coefficients c and the
// voltage phasors: q(k) = sum over l = 1..n, in that order, of c(k, l) * v(l),
// each partial sum held in single precision.
using ChargeLoop = void (*)(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim,
                            GroupReals& qreal, GroupReals& qimag);

// The charge loop of the program: sweeps the coefficients column by column,
// all rows of a column together.
void bundle_charges(const Matrix& c, int n, const GroupReals& vre, const GroupReals& vim,
                    GroupReals& qreal, GroupReals& qimag);

// ztmxgrad with the given charge loop.
bool ztmxgrad_with(Inputs& inputs, ChargeLoop charges);
