#include "resource_locale.h"

#include <algorithm>
#include <iterator>

namespace rcc {
namespace {

struct LanguageRow {
  const char* code;
  uint16_t language;
  uint16_t country_alone;    // for the language code without a country
  uint16_t default_country;  // for a country the language has no locale for
};

struct LocaleCountryRow {
  const char* language_code;
  const char* country_code;
  uint16_t country;
};

#include "locale_table.inc"

bool AllIn(std::string_view s, char first, char last) {
  return std::all_of(s.begin(), s.end(), [&](char c) { return c >= first && c <= last; });
}

}  // namespace

bool LookUpLocale(std::string_view lang, LocaleNumbers& numbers) {
  numbers = LocaleNumbers{};
  if (lang.empty() || lang == "C") return true;
  const size_t separator = lang.find_first_of("_-");
  const std::string_view language = lang.substr(0, separator);
  const std::string_view country =
      separator == std::string_view::npos ? std::string_view() : lang.substr(separator + 1);
  const bool language_ok = (language.size() == 2 || language.size() == 3) && AllIn(language, 'a', 'z');
  const bool country_ok = separator == std::string_view::npos ||
                          (country.size() == 2 && AllIn(country, 'A', 'Z')) || language == "C";
  if (!(language_ok || language == "C") || !country_ok) return false;

  const auto row = std::lower_bound(std::begin(kLanguages), std::end(kLanguages), language,
                                    [](const LanguageRow& r, std::string_view code) { return r.code < code; });
  if (row == std::end(kLanguages) || row->code != language) return true;  // neutral locale
  numbers.language = row->language;
  if (separator == std::string_view::npos) {
    numbers.country = row->country_alone;
    return true;
  }
  numbers.country = row->default_country;
  for (const LocaleCountryRow& c : kLocaleCountries) {
    if (c.language_code == language && c.country_code == country) numbers.country = c.country;
  }
  return true;
}

}  // namespace rcc
