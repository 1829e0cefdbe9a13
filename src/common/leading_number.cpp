#include "common/leading_number.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

namespace {

bool IsSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// More significant digits than any double needs for correct rounding; the
// rest only matter through whether one of them is not zero.
constexpr std::size_t kKeptDigits = 800;

// Beyond the double range even after the shift the digits of any text can
// add, and small enough that the sums below cannot overflow.
constexpr std::int64_t kExponentCap = 100000000000000000;

// Walks the text while skipping blanks, so callers see only the characters
// that count.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    char Peek() {
        while (pos_ < text_.size() && IsSkipped(text_[pos_])) {
            ++pos_;
        }
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void Advance() { ++pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

double LeadingNumber(std::string_view text) {
    Cursor cursor(text);

    bool negative = false;
    if (cursor.Peek() == '+' || cursor.Peek() == '-') {
        negative = cursor.Peek() == '-';
        cursor.Advance();
    }

    // The value is digits x 10^exponent, digits without leading zeros.
    std::string digits;
    std::int64_t exponent = 0;
    bool droppedNonZero = false;
    bool sawDigit = false;
    bool sawPoint = false;
    for (;;) {
        const char c = cursor.Peek();
        if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else if (IsDigit(c)) {
            sawDigit = true;
            if (digits.empty() && c == '0') {
                if (sawPoint) {
                    --exponent;
                }
            } else if (digits.size() < kKeptDigits) {
                digits.push_back(c);
                if (sawPoint) {
                    --exponent;
                }
            } else {
                droppedNonZero = droppedNonZero || c != '0';
                if (!sawPoint) {
                    ++exponent;
                }
            }
        } else {
            break;
        }
        cursor.Advance();
    }
    if (!sawDigit) {
        return 0.0;
    }

    const char mark = cursor.Peek();
    if (mark == 'e' || mark == 'E' || mark == 'd' || mark == 'D') {
        cursor.Advance();
        bool negativeExponent = false;
        if (cursor.Peek() == '+' || cursor.Peek() == '-') {
            negativeExponent = cursor.Peek() == '-';
            cursor.Advance();
        }
        // Without digits ("1e", "1e+") the letter simply ends the number.
        std::int64_t written = 0;
        while (IsDigit(cursor.Peek())) {
            written = written * 10 + (cursor.Peek() - '0');
            if (written > kExponentCap) {
                written = kExponentCap;
            }
            cursor.Advance();
        }
        exponent += negativeExponent ? -written : written;
    }

    if (digits.empty()) {
        return 0.0;  // "0", "-0.000": plain zero, never a negative zero
    }
    if (droppedNonZero) {
        // A trailing 1 stands for all the dropped digits, so halfway cases
        // still round the right way.
        digits.push_back('1');
        --exponent;
    }
    const auto magnitude = static_cast<std::int64_t>(digits.size()) + exponent;
    if (magnitude > 310) {
        return 0.0;  // too large for a double
    }
    if (magnitude < -330) {
        return 0.0;  // below the smallest double
    }

    digits.push_back('e');
    digits += std::to_string(exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    (void)end;
    if (error != std::errc()) {
        return 0.0;  // out of range after rounding
    }
    return negative ? -value : value;
}
