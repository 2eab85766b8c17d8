#pragma once
// The language and country numbers that a qresource "lang" attribute stands
// for in the resource format.

#include <cstdint>
#include <string_view>

namespace rcc {

struct LocaleNumbers {
  uint16_t language = 1;  // 1: the neutral "C" locale
  uint16_t country = 0;   // 0: any country
};

// Accepts "", "C", a language code ("de") and a language with a country
// ("fr_CA" or "fr-CA"), as the reference compiler maps them (the numbers come
// from a table observed from it): an unknown language stands for the neutral
// locale, a language alone has no country or, for some, its one country, and
// a country the language has no locale for gives the language's main country. Returns false for any other
// form (scripts, numeric regions), which this compiler does not handle.
bool LookUpLocale(std::string_view lang, LocaleNumbers& numbers);

}  // namespace rcc
