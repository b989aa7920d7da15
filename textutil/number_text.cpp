// Strict reading of decimal numbers with an exponent, and the number error flag.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "platform/text_to_double.h"
#include "textutil/textutil.h"

namespace trimora {

namespace {

int number_error = 0;

constexpr double kPowersOfTen[] = {1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,
                                   1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9};
constexpr int kSmallestTabled = -9;
constexpr int kLargestTabled = 9;

bool is_exponent_letter(char c) { return c == 'D' || c == 'E' || c == 'd' || c == 'e'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The last exponent letter in [text, end), or null.
char* last_exponent_letter(char* text, char* end) {
    while (end != text) {
        --end;
        if (is_exponent_letter(*end)) return end;
    }
    return nullptr;
}

// floor(value + 0.5) as an int, computed without rounding the sum, so that a
// value just below a half (0.49999999999999994) does not round up. Values
// beyond the int range saturate; a NaN has no whole number and gives 0.
int round_half_up(double value) {
    if (std::isnan(value)) return 0;
    double whole = std::floor(value);
    if (value - whole >= 0.5) whole += 1.0;
    if (whole >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (whole <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(whole);
}

// mantissa * 10^exponent. A zero mantissa stays zero even where the power is
// infinite, since 0e999 is a plain zero and not a NaN.
double scale(double mantissa, int exponent) {
    if (mantissa == 0.0) return mantissa;
    return power_of_ten(exponent) * mantissa;
}

}  // namespace

double parse_plain_number(const char* text, int& status) {
    if (text == nullptr || text[0] == '\0') {
        status = 1;
        return 0.0;
    }
    bool seen_point = false;
    for (int i = 0; text[i] != '\0'; ++i) {
        const char c = text[i];
        if (is_digit(c)) continue;
        if ((c == '+' || c == '-') && i == 0) continue;
        if (c == '.' && !seen_point) {
            seen_point = true;
            continue;
        }
        status = 2;
        return 0.0;
    }
    status = 0;
    // Every accepted character belongs to the number, so the whole text
    // converts; a text without a digit ('+', '.', '-.') gives 0.0.
    return text_to_double(text);
}

double power_of_ten(int n) {
    if (n >= kSmallestTabled && n <= kLargestTabled) return kPowersOfTen[n - kSmallestTabled];
    return std::exp(std::log(10.0) * n);
}

// Each exponent letter starts the exponent of the part before it, and that
// exponent may carry an exponent of its own: the parts are read from the last
// one back, so that a long chain of letters needs no deeper stack.
double parse_number(char* text, int& status) {
    char* const text_end = text + std::strlen(text);
    char* letter = last_exponent_letter(text, text_end);
    if (letter == nullptr) return parse_plain_number(text, status);

    int part_status = 0;
    double value = parse_plain_number(letter + 1, part_status);
    int worst = part_status;
    for (;;) {
        char* const previous = last_exponent_letter(text, letter);
        char* const part = previous != nullptr ? previous + 1 : text;
        // The part ends at its letter for the time of its reading only.
        const char saved = *letter;
        *letter = '\0';
        const double mantissa = parse_plain_number(part, part_status);
        *letter = saved;
        worst = std::max(worst, part_status);
        value = scale(mantissa, round_half_up(value));
        if (previous == nullptr) break;
        letter = previous;
    }
    status = worst;
    return value;
}

int parse_whole_number(char* text, int& status) { return round_half_up(parse_number(text, status)); }

double read_number(char* text) {
    int status = 0;
    const double value = parse_number(text, status);
    if (status == 2) number_error = 1;
    return value;
}

int read_whole_number(char* text) {
    int status = 0;
    const int value = parse_whole_number(text, status);
    if (status == 2) number_error = 1;
    return value;
}

int take_number_error() {
    const int raised = number_error;
    number_error = 0;
    return raised;
}

double parse_real(const char* text, int& status) {
    if (text == nullptr || text[0] == '\0') {
        status = 1;
        return 0.0;
    }
    status = 0;
    return text_to_double(text);
}

}  // namespace trimora
