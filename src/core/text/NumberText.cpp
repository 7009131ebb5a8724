#include "core/text/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace ivra {

namespace {

constexpr int SignificantDigits = 8;

// |v| in scientific notation with `precision` significant digits: the
// digits alone and the decimal exponent of the first one. to_chars rounds
// the exact binary value correctly, which no sum of powers of ten would,
// and never looks at the process's locale.
void ScientificDigits(double v, int precision, std::string& digits, int& exponent) {
    const std::string text = CLocaleText(std::fabs(v), std::chars_format::scientific, precision - 1);
    // text is "d.ddd...e[+-]xx" (or "de[+-]xx" when precision is 1).
    const std::size_t e = text.find('e');
    digits.clear();
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.') digits += text[i];
    std::size_t x = e + 1;
    const bool negative = text[x] == '-';
    if (text[x] == '+' || text[x] == '-') ++x;
    int magnitude = 0;
    std::from_chars(text.data() + x, text.data() + text.size(), magnitude);
    exponent = negative ? -magnitude : magnitude;
}

// v rounded to 8 significant digits: the digits as an integer of exactly 8
// digits (10000000 to 99999999) and the decimal exponent of the first one,
// so that |v| ~ digits * 10^(exponent - 7).
void EightDigits(double v, std::int64_t& digits, int& exponent) {
    std::string text;
    ScientificDigits(v, SignificantDigits, text, exponent);
    digits = 0;
    for (char c : text) digits = digits * 10 + (c - '0');
}

std::int64_t Pow10(int n) {
    std::int64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

} // namespace

std::string CLocaleText(double value, std::chars_format format, int precision) {
    // Room for the longest fixed form of a double (309 integer digits) and
    // the most decimals the callers ask for.
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, format, precision);
    if (res.ec != std::errc()) return std::string();
    return std::string(buf, res.ptr);
}

std::string FloatToText(double value, int decimals, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (decimals < 0) decimals = 0;
    if (decimals > MaxTextDecimals) decimals = MaxTextDecimals;
    if (value == 0) value = 0; // no "-0"

    const bool negative = value < 0;
    std::int64_t digits = 0;
    int exponent = 0;
    if (value != 0) EightDigits(value, digits, exponent);

    if (value != 0 && exponent >= SignificantDigits) {
        // The integer part needs more than 8 digits: d.dddddddE+xx.
        std::string mant = std::to_string(digits);
        std::string exp = std::to_string(std::abs(exponent));
        if (exp.size() < 2) exp.insert(0, 1, '0');
        return std::string(negative ? "-" : "") + mant[0] + decimalSeparator + mant.substr(1) + 'E' +
               (exponent < 0 ? '-' : '+') + exp;
    }

    // |v| = digits * 10^-k with k >= 0 decimal places in the 8-digit form.
    std::string text; // the digits of |v| * 10^decimals, rounded to an integer
    if (value == 0) {
        text = "0";
    } else {
        const int k = SignificantDigits - 1 - exponent;
        if (decimals >= k) {
            text = std::to_string(digits) + std::string(std::size_t(decimals - k), '0');
        } else {
            // Drop (k - decimals) digits, rounding a half away from zero.
            const int drop = k - decimals;
            std::int64_t r = 0;
            if (drop <= SignificantDigits) {
                const std::int64_t unit = Pow10(drop);
                r = digits / unit;
                if ((digits % unit) * 2 >= unit) ++r;
            }
            text = std::to_string(r);
        }
    }
    const bool allZero = text.find_first_not_of('0') == std::string::npos;
    if (text.size() < std::size_t(decimals) + 1)
        text.insert(0, std::size_t(decimals) + 1 - text.size(), '0');
    if (decimals > 0) text.insert(text.size() - std::size_t(decimals), 1, decimalSeparator);
    if (negative && !allZero) text.insert(0, 1, '-');
    return text;
}

std::string FloatToGeneralText(double value, int precision, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (precision < 1) precision = 1;
    if (precision > 17) precision = 17;
    if (value == 0) return "0";
    std::string digits;
    int exponent = 0;
    ScientificDigits(value, precision, digits, exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out = value < 0 ? "-" : "";
    if (exponent >= -5 && exponent < precision) {
        if (exponent < 0) {
            out += '0';
            out += decimalSeparator;
            out.append(std::size_t(-exponent - 1), '0');
            out += digits;
        } else if (std::size_t(exponent) + 1 >= digits.size()) {
            out += digits;
            out.append(std::size_t(exponent) + 1 - digits.size(), '0');
        } else {
            out += digits.substr(0, std::size_t(exponent) + 1);
            out += decimalSeparator;
            out += digits.substr(std::size_t(exponent) + 1);
        }
        return out;
    }
    out += digits[0];
    if (digits.size() > 1) {
        out += decimalSeparator;
        out += digits.substr(1);
    }
    out += exponent < 0 ? "E-" : "E+";
    out += std::to_string(std::abs(exponent));
    return out;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view t) {
    while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
    while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
    return t;
}

} // namespace

bool TextToFloat(std::string_view text, double& value) {
    text = Trim(text);
    // Check the grammar here and hand a "C" form to from_chars, which does not
    // depend on the process's locale (a GUI sets LC_NUMERIC from the user's).
    std::string plain;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    std::size_t mantissaDigits = 0;
    while (i < text.size() && IsDigit(text[i])) { plain += text[i++]; ++mantissaDigits; }
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        plain += '.';
        ++i;
        while (i < text.size() && IsDigit(text[i])) { plain += text[i++]; ++mantissaDigits; }
    }
    if (mantissaDigits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        std::size_t expDigits = 0;
        while (i < text.size() && IsDigit(text[i])) { plain += text[i++]; ++expDigits; }
        if (expDigits == 0) return false;
    }
    if (i != text.size()) return false;
    double v = 0;
    auto res = std::from_chars(plain.data(), plain.data() + plain.size(), v);
    if (res.ptr != plain.data() + plain.size()) return false;
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars leaves v alone then: overflow when the decimal exponent
        // of the leading digit is positive, underflow otherwise.
        const bool negative = plain[0] == '-';
        const auto e = plain.find('e');
        const std::string mant = plain.substr(negative ? 1 : 0, e == std::string::npos ? std::string::npos
                                                                                         : e - (negative ? 1 : 0));
        long long magnitude = 0; // position of the leading non-zero digit
        const auto point = mant.find('.');
        const auto lead = mant.find_first_not_of("0.");
        if (lead != std::string::npos) {
            const long long pointPos = point == std::string::npos ? (long long)mant.size() : (long long)point;
            magnitude = lead < std::size_t(pointPos) ? pointPos - (long long)lead : pointPos - (long long)lead + 1;
        }
        if (e != std::string::npos) {
            std::int64_t ex = 0;
            auto r = std::from_chars(plain.data() + e + 1 + (plain[e + 1] == '+'), plain.data() + plain.size(), ex);
            if (r.ec == std::errc::result_out_of_range) ex = plain[e + 1] == '-' ? -(1LL << 40) : (1LL << 40);
            magnitude += ex;
        }
        const bool overflow = magnitude > 0;
        v = overflow ? (negative ? -HUGE_VAL : HUGE_VAL) : (negative ? -0.0 : 0.0);
    } else if (res.ec != std::errc()) {
        return false;
    }
    value = v;
    return true;
}

bool TextToInteger(std::string_view text, std::int64_t& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || (text.size() == 1 && text[0] == '-')) return false;
    for (std::size_t i = text.front() == '-' ? 1 : 0; i < text.size(); ++i)
        if (!IsDigit(text[i])) return false;
    std::int64_t v = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
    value = v;
    return true;
}

} // namespace ivra
