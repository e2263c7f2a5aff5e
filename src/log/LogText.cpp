// The small texts of the run log: yes/no, separator descriptions, level numbers
// and the date and time of the start and end lines.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <iomanip>
#include <sstream>

#include "log/unit_logging.h"

namespace tacetix {

namespace {

constexpr int SignificantDigits = 9;
constexpr int LevelDecimals = 6;

// Lays out a number from its nine rounded significant digits when nine digits
// leave fewer than six decimals (three or more digits before the separator).
// Building it from the digits avoids rounding a second time.
std::string FromSignificantDigits(const std::string& digits, int exponent) {
  const int intCount = exponent + 1;
  std::string intPart = digits.substr(0, std::min<size_t>(digits.size(), intCount));
  intPart.append(intCount > static_cast<int>(intPart.size()) ? intCount - intPart.size() : 0, '0');
  std::string fraction = intCount < static_cast<int>(digits.size()) ? digits.substr(intCount) : "";
  fraction.append(LevelDecimals - fraction.size(), '0');
  return intPart + "." + fraction;
}

// Splits the text of to_chars' scientific form ("-1.23456789e+03") into the
// significant digits, the exponent and the sign.
void SplitScientific(const std::string& text, std::string& digits, int& exponent, bool& negative) {
  negative = !text.empty() && text[0] == '-';
  const size_t ePos = text.find('e');
  digits.clear();
  for (size_t i = negative ? 1 : 0; i < ePos; ++i) {
    if (text[i] != '.') digits += text[i];
  }
  exponent = std::atoi(text.c_str() + ePos + 1);
}

}  // namespace

std::string YesNoText(bool flag) { return flag ? "Yes" : "No"; }

// The unquoted fields are numbers: counts, levels such as "-3.521476" (with the decimal
// separator), and "inf" or "nan" for a level that has no finite value.
SeparatorFault FieldSeparatorFault(char field, char sepaDeci) {
  const auto inNumbers = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '+' ||
           c == '.';
  };
  if (field == '\0') return SeparatorFault::NoCharacter;
  if (field == FieldQuote) return SeparatorFault::Quote;
  if (field == '\n' || field == '\r') return SeparatorFault::LineBreak;
  if (field == sepaDeci) return SeparatorFault::DecimalSeparator;
  return inNumbers(field) ? SeparatorFault::InNumbers : SeparatorFault::None;
}

std::string SeparatorText(uint8_t code) {
  std::string text = "ASCII " + std::to_string(code);
  if (code >= 32) {
    text += " (\"";
    text += static_cast<char>(code);
    text += "\")";
  } else if (code == 9) {
    text += " (Tabulator)";
  }
  return text;
}

// to_chars ignores the C and C++ locales, so a front end that switches the process
// locale cannot change the separator; the log's own separator is put in afterwards.
std::string LevelText(double value, char sepaDeci) {
  char buffer[64];
  if (!std::isfinite(value)) {
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
  }
  auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, SignificantDigits - 1).ptr;
  std::string digits;
  int exponent = 0;
  bool negative = false;
  SplitScientific(std::string(buffer, end), digits, exponent, negative);

  std::string text;
  if (exponent < SignificantDigits - LevelDecimals) {
    // Six decimals keep at most nine significant digits here: one rounding, straight
    // from the binary value.
    end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, LevelDecimals).ptr;
    text.assign(buffer, end);
    if (text[0] == '-') {
      negative = text.find_first_not_of("-0.") != std::string::npos;
      text.erase(0, 1);
    }
  } else {
    text = FromSignificantDigits(digits, exponent);
  }
  text[text.size() - LevelDecimals - 1] = sepaDeci;
  return negative ? "-" + text : text;
}

std::string DateTimeText(const std::tm& when, const std::locale& locale) {
  std::ostringstream out;
  out.imbue(locale);
  out << std::put_time(&when, "%x");
  if (when.tm_hour != 0 || when.tm_min != 0 || when.tm_sec != 0) {
    out << ' ' << std::put_time(&when, "%X");
  }
  return out.str();
}

std::string DateTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // An environment naming a locale that is not installed makes std::locale("")
  // throw; the log is still worth writing, in the classic format.
  std::locale userLocale = std::locale::classic();
  try {
    userLocale = std::locale("");
  } catch (const std::exception&) {
  }
  return DateTimeText(local, userLocale);
}

}  // namespace tacetix
