// Onset: the surface gradients of the subconductors and Peek's formula.

#include "ionflow/onset.hpp"

#include <algorithm>
#include <cmath>

namespace ionflow {

double Bundle::bundle_radius() const {
  return subconductors > 1 ? spacing / (2 * std::sin(pi / subconductors)) : 0.0;
}

double Bundle::equivalent_radius() const {
  if (subconductors <= 1) return radius;
  const double n = subconductors;
  return std::pow(n * radius * std::pow(bundle_radius(), n - 1), 1 / n);
}

std::vector<Circle> Bundle::subconductor_circles() const {
  std::vector<Circle> circles;
  if (subconductors <= 1) return {{x, y, radius}};
  const double big_r = bundle_radius();
  for (int k = 0; k < subconductors; ++k) {
    const double degrees = 90.0 + 180.0 / subconductors + k * 360.0 / subconductors;
    const double a = degrees * pi / 180;
    circles.push_back({x + big_r * std::cos(a), y + big_r * std::sin(a), radius});
  }
  return circles;
}

double relative_air_density(double altitude) { return std::pow(1 - 2.25577e-5 * altitude, 5.25588); }

double peek_onset_gradient(double roughness, double air_density, double radius_cm) {
  return 30 * roughness * air_density * (1 + 0.301 / std::sqrt(air_density * radius_cm));
}

std::vector<double> max_surface_gradients(const std::vector<Bundle>& bundles) {
  std::vector<Circle> circles;
  std::vector<double> volts;
  std::vector<std::size_t> owner;
  for (std::size_t b = 0; b < bundles.size(); ++b)
    for (const Circle& c : bundles[b].subconductor_circles()) {
      circles.push_back(c);
      volts.push_back(bundles[b].volts);
      owner.push_back(b);
    }
  const LineCharges charges = LineCharges::holding(circles, volts);
  std::vector<double> gradients(bundles.size(), 0.0);
  for (std::size_t i = 0; i < circles.size(); ++i) {
    double ex = 0, ey = 0;
    charges.field_without(i, circles[i].x, circles[i].y, ex, ey);
    const double own = std::abs(charges.charge(i)) / (2 * pi * epsilon0 * circles[i].radius);
    const double e = own + 2 * std::hypot(ex, ey);
    if (bundles[owner[i]].volts != 0) gradients[owner[i]] = std::max(gradients[owner[i]], e);
  }
  return gradients;
}

}  // namespace ionflow
