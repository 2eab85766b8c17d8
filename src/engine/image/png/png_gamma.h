#pragma once
// The gamma tables of a picture.
//
// A gAMA chunk gives the exponent g (its value / 100000) with which the
// file's samples encode light: sample = light^g. Shown on a display of gamma
// 2.2, a sample s must become s' = s^(1 / (g × 2.2)) to give the intended
// light, so
//   GammaTable[i]        = round(255 × (i / 255)^(1 / (g × 2.2)))
//   InverseGammaTable[i] = round(255 × (i / 255)^(g × 2.2))
// The inverse maps a displayed colour back to the file's encoding; it is what
// a colour written into a grey or palette picture goes through before the
// nearest stored level is looked for. A file gamma of 1/2.2 (45455), no gAMA
// or a value of 0 give the identity.

#include <cstdint>

void BuildGammaTables(uint32_t file_gamma, uint8_t gamma[256], uint8_t inverse[256]);
void SetIdentityGamma(uint8_t table[256]);
