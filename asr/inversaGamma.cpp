#include "asr/inversaGamma.h"

#include <cmath>
#include <stdexcept>

#include <boost/math/special_functions/gamma.hpp>

double Pinv(double p, double a) {
    if (!(p >= 0.0 && p <= 1.0) || !(a > 0.0) || !std::isfinite(a)) return -1.0;
    try {
        const double x = boost::math::gamma_p_inv(a, p);
        return std::isfinite(x) ? x : -1.0;
    } catch (const std::exception&) {  // Boost's domain and overflow errors
        return -1.0;
    }
}
