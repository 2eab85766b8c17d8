#include "engine/image/png/png_gamma.h"

#include <cmath>

void SetIdentityGamma(uint8_t table[256]) {
  for (int i = 0; i < 256; ++i) table[i] = uint8_t(i);
}

void BuildGammaTables(uint32_t file_gamma, uint8_t gamma[256], uint8_t inverse[256]) {
  const double exponent = file_gamma * 2.2 / 100000.0;
  if (file_gamma == 0 || std::fabs(exponent - 1.0) < 1e-3) {
    SetIdentityGamma(gamma);
    SetIdentityGamma(inverse);
    return;
  }
  for (int i = 0; i < 256; ++i) {
    const double x = i / 255.0;
    gamma[i] = uint8_t(std::lround(255.0 * std::pow(x, 1.0 / exponent)));
    inverse[i] = uint8_t(std::lround(255.0 * std::pow(x, exponent)));
  }
}
