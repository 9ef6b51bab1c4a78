// number_words.cpp - the rules by which numbers are read, and their words.
//
// Cardinals in American style, without "and": 305 THREE HUNDRED FIVE,
// 1,000,000 ONE MILLION; up to 999,999,999,999.  A longer digit string, or
// one with a leading zero (007, 0800), is read digit by digit.
// A four-digit number written without separators is read as a year:
// 1100-1999 in pairs (1990 NINETEEN NINETY, 1905 NINETEEN OH FIVE, 1900
// NINETEEN HUNDRED), 2000-2009 as a cardinal (TWO THOUSAND FIVE),
// 2010-2099 in pairs (TWENTY TEN ... TWENTY NINETY NINE); other four-digit
// numbers as cardinals (1066 ONE THOUSAND SIXTY SIX, 2100).
// 1990s NINETEEN NINETIES and 80s EIGHTIES: a year or a ten with "s".
// 21st TWENTY FIRST; 3.5 THREE POINT FIVE, digits after the point one by
// one; -5 MINUS FIVE; $3.50 THREE DOLLARS FIFTY CENTS, $2.5 million TWO
// POINT FIVE MILLION DOLLARS; 10:30 TEN THIRTY, 10:05 TEN OH FIVE, 10:00
// TEN O'CLOCK (13:00 THIRTEEN HUNDRED).
#include "texts/number_words.h"

#include <cstdint>

#include "texts/letters.h"

namespace tool {

namespace {

// Every word a number is read with.  A form the dictionary does not hold
// (ZEROTH, TRILLIONTH) is null, and a suffix that would need it is not read
// as part of the number.
struct NumberWord {
    uint64_t value;
    const char *cardinal, *ordinal, *plural;
};

const NumberWord kNumberWords[] = {
    {0, "ZERO", nullptr, nullptr},
    {1, "ONE", "FIRST", nullptr},
    {2, "TWO", "SECOND", nullptr},
    {3, "THREE", "THIRD", nullptr},
    {4, "FOUR", "FOURTH", nullptr},
    {5, "FIVE", "FIFTH", nullptr},
    {6, "SIX", "SIXTH", nullptr},
    {7, "SEVEN", "SEVENTH", nullptr},
    {8, "EIGHT", "EIGHTH", nullptr},
    {9, "NINE", "NINTH", nullptr},
    {10, "TEN", "TENTH", "TENS"},
    {11, "ELEVEN", "ELEVENTH", nullptr},
    {12, "TWELVE", "TWELFTH", nullptr},
    {13, "THIRTEEN", "THIRTEENTH", nullptr},
    {14, "FOURTEEN", "FOURTEENTH", nullptr},
    {15, "FIFTEEN", "FIFTEENTH", nullptr},
    {16, "SIXTEEN", "SIXTEENTH", nullptr},
    {17, "SEVENTEEN", "SEVENTEENTH", nullptr},
    {18, "EIGHTEEN", "EIGHTEENTH", nullptr},
    {19, "NINETEEN", "NINETEENTH", nullptr},
    {20, "TWENTY", "TWENTIETH", "TWENTIES"},
    {30, "THIRTY", "THIRTIETH", "THIRTIES"},
    {40, "FORTY", "FORTIETH", "FORTIES"},
    {50, "FIFTY", "FIFTIETH", "FIFTIES"},
    {60, "SIXTY", "SIXTIETH", "SIXTIES"},
    {70, "SEVENTY", "SEVENTIETH", "SEVENTIES"},
    {80, "EIGHTY", "EIGHTIETH", "EIGHTIES"},
    {90, "NINETY", "NINETIETH", "NINETIES"},
    {100, "HUNDRED", "HUNDREDTH", "HUNDREDS"},
    {1000, "THOUSAND", "THOUSANDTH", "THOUSANDS"},
    {1000000, "MILLION", "MILLIONTH", nullptr},
    {1000000000, "BILLION", "BILLIONTH", nullptr},
};

const uint64_t kScales[] = {1000000000, 1000000, 1000};
constexpr size_t kMostDigits = 12;  // 999,999,999,999: the largest cardinal read as one

const char *const kMinus = "MINUS", *const kPoint = "POINT", *const kOh = "OH";
const char *const kOClock = "O'CLOCK";

// Currency signs written before the amount.
struct Currency {
    char32_t sign;
    const char *one, *many, *one_cent, *cents;
};

const Currency kCurrencies[] = {
    {'$', "DOLLAR", "DOLLARS", "CENT", "CENTS"},
    {0x00A3, "POUND", "POUNDS", "PENNY", "PENCE"},  // £
    {0x20AC, "EURO", "EUROS", "CENT", "CENTS"},     // €
};

// Words after an amount of money that come before its unit: $5 million is
// FIVE MILLION DOLLARS.
const char *const kMagnitudes[] = {"THOUSAND", "MILLION", "BILLION", "TRILLION"};

const NumberWord &Word(uint64_t value) {
    for (const NumberWord &w : kNumberWords)
        if (w.value == value) return w;
    return kNumberWords[0];  // not reached: only listed values are asked for
}

void Say(uint64_t value, std::vector<std::string> *words) { words->push_back(Word(value).cardinal); }

void SayBelowThousand(uint64_t n, std::vector<std::string> *words) {
    if (n >= 100) Say(n / 100, words), Say(100, words), n %= 100;
    if (n >= 20) Say(n / 10 * 10, words), n %= 10;
    if (n > 0) Say(n, words);
}

void SayCardinal(uint64_t n, std::vector<std::string> *words) {
    if (n == 0) return Say(0, words);
    for (uint64_t scale : kScales)
        if (n >= scale) SayBelowThousand(n / scale, words), Say(scale, words), n %= scale;
    SayBelowThousand(n, words);
}

void SayDigits(const std::u32string &digits, std::vector<std::string> *words) {
    for (char32_t d : digits) Say(d - '0', words);
}

// Two digits of a year or of minutes: OH FIVE for 05.
void SayPair(uint64_t n, std::vector<std::string> *words) {
    if (n < 10) words->push_back(kOh);
    SayCardinal(n, words);
}

bool SayYear(uint64_t year, std::vector<std::string> *words) {
    if (year >= 2000 && year <= 2009) return SayCardinal(year, words), true;
    if (year < 1100 || year > 2099) return false;
    SayCardinal(year / 100, words);
    if (year % 100 == 0) Say(100, words);
    else SayPair(year % 100, words);
    return true;
}

// The last word in its ordinal or plural form; false when it has none.
bool Inflect(const char *NumberWord::*form, std::vector<std::string> *words) {
    for (const NumberWord &w : kNumberWords) {
        if (words->back() != w.cardinal) continue;
        if (!(w.*form)) return false;
        words->back() = w.*form;
        return true;
    }
    return false;
}

uint64_t Value(const std::u32string &digits) {
    uint64_t v = 0;
    for (char32_t d : digits) v = v * 10 + (d - '0');
    return v;
}

// Read as one cardinal (not digit by digit).
bool Cardinal(const std::u32string &digits) {
    return !digits.empty() && digits.size() <= kMostDigits && (digits.size() == 1 || digits[0] != '0');
}

void SayWhole(const std::u32string &digits, bool as_year, std::vector<std::string> *words) {
    if (!Cardinal(digits)) return SayDigits(digits, words);
    if (!(as_year && digits.size() == 4 && SayYear(Value(digits), words))) SayCardinal(Value(digits), words);
}

// A number as written: [minus] [currency] digits [,ddd]... [.digits]...
struct Written {
    bool negative = false;
    const Currency *currency = nullptr;
    std::u32string whole;
    bool grouped = false;
    std::vector<std::u32string> fractions;
};

class Reader {
public:
    Reader(const std::u32string &text, size_t at) : text_(text), i_(at) {}

    bool Digit(size_t k) const { return k < text_.size() && text_[k] >= '0' && text_[k] <= '9'; }
    bool Is(size_t k, char32_t c) const { return k < text_.size() && text_[k] == c; }
    bool Letter(size_t k) const { return k < text_.size() && IsLetter(text_[k]); }
    char32_t Upper(size_t k) const { return k < text_.size() ? UpperLetter(text_[k]) : 0; }

    std::u32string Digits() {
        size_t from = i_;
        while (Digit(i_)) i_++;
        return text_.substr(from, i_ - from);
    }

    // The signs and digits; false when no number starts here.
    bool ReadWritten(Written *w) {
        bool joined = i_ > 0 && (IsLetter(text_[i_ - 1]) || Digit(i_ - 1));
        if (!joined && (Is(i_, '-') || Is(i_, 0x2212))) w->negative = true, i_++;
        for (const Currency &c : kCurrencies)
            if (!w->currency && Is(i_, c.sign)) w->currency = &c, i_++;
        bool point_first = Is(i_, '.') && Digit(i_ + 1) && (!joined || w->currency);
        if (!Digit(i_) && !point_first) return false;
        w->whole = Digits();
        if (!w->whole.empty() && w->whole.size() <= 3 && w->whole[0] != '0')
            while (Is(i_, ',') && Digit(i_ + 1) && Digit(i_ + 2) && Digit(i_ + 3) && !Digit(i_ + 4))
                i_++, w->whole += Digits(), w->grouped = true;
        while (Is(i_, '.') && Digit(i_ + 1)) i_++, w->fractions.push_back(Digits());
        return true;
    }

    // "st", "nd", "rd" or "th" ending the number.
    bool OrdinalSuffix() const {
        char32_t a = Upper(i_), b = Upper(i_ + 1);
        bool suffix =
            (a == 'S' && b == 'T') || (a == 'N' && b == 'D') || (a == 'R' && b == 'D') || (a == 'T' && b == 'H');
        return suffix && !Letter(i_ + 2);
    }

    // The "s" of a decade.
    bool DecadeSuffix() const { return Upper(i_) == 'S' && !Letter(i_ + 1); }

    // H:MM, a time of day; the hours and minutes when there is one.
    bool Time(const std::u32string &hours, uint64_t *h, uint64_t *m) const {
        if (hours.size() > 2 || !Is(i_, ':') || !Digit(i_ + 1) || !Digit(i_ + 2) || Digit(i_ + 3)) return false;
        *h = Value(hours);
        *m = Value(text_.substr(i_ + 1, 2));
        return *h <= 23 && *m <= 59;
    }

    // THOUSAND, MILLION... after an amount of money, with the blanks before it.
    const char *Magnitude() {
        size_t k = i_;
        while (Is(k, ' ') || Is(k, 0x00A0)) k++;
        for (const char *m : kMagnitudes) {
            size_t j = 0;
            while (m[j] && Upper(k + j) == static_cast<char32_t>(m[j])) j++;
            if (!m[j] && !Letter(k + j)) return i_ = k + j, m;
        }
        return nullptr;
    }

    void Skip(size_t n) { i_ += n; }
    size_t At() const { return i_; }
    char32_t Next() const { return i_ < text_.size() ? text_[i_] : 0; }

private:
    const std::u32string &text_;
    size_t i_;
};

void SayFractions(const Written &w, std::vector<std::string> *words) {
    for (const std::u32string &f : w.fractions) words->push_back(kPoint), SayDigits(f, words);
}

void SayMoney(const Written &w, Reader *reader, std::vector<std::string> *words) {
    const Currency &c = *w.currency;
    const char *magnitude = reader->Magnitude();
    bool cents = !magnitude && w.fractions.size() == 1 && w.fractions[0].size() == 2;
    uint64_t hundredths = cents ? Value(w.fractions[0]) : 0;
    bool no_units = w.whole.empty() || (Cardinal(w.whole) && Value(w.whole) == 0);
    if (!cents || !no_units || hundredths == 0) {
        if (w.whole.empty()) Say(0, words);
        else SayWhole(w.whole, false, words);
        if (!cents) SayFractions(w, words);
        if (magnitude) words->push_back(magnitude);
        bool one = w.whole == U"1" && (cents || w.fractions.empty()) && !magnitude;
        words->push_back(one ? c.one : c.many);
    }
    if (hundredths > 0) SayCardinal(hundredths, words), words->push_back(hundredths == 1 ? c.one_cent : c.cents);
}

}  // namespace

size_t ReadNumber(const std::u32string &text, size_t at, std::vector<std::string> *words) {
    Reader reader(text, at);
    Written w;
    if (!reader.ReadWritten(&w)) return at;
    if (w.negative) words->push_back(kMinus);
    if (w.currency) return SayMoney(w, &reader, words), reader.At();
    bool plain = !w.negative && !w.grouped && w.fractions.empty();
    uint64_t h, m;
    if (plain && reader.Time(w.whole, &h, &m)) {
        SayCardinal(h, words);
        if (m == 0 && h >= 1 && h <= 12) words->push_back(kOClock);
        else if (m == 0) Say(100, words);
        else SayPair(m, words);
        reader.Skip(3);
        return reader.At();
    }
    if (w.fractions.empty() && Cardinal(w.whole) && reader.OrdinalSuffix()) {
        size_t before = words->size();
        SayCardinal(Value(w.whole), words);
        if (Inflect(&NumberWord::ordinal, words)) return reader.Skip(2), reader.At();
        words->resize(before);
    }
    if (w.whole.empty()) return SayFractions(w, words), reader.At();
    bool decade = plain && reader.DecadeSuffix() && (w.whole.size() == 2 || w.whole.size() == 4) && Cardinal(w.whole) &&
        w.whole.back() == '0';
    SayWhole(w.whole, plain && reader.Next() != '%', words);
    if (decade && Inflect(&NumberWord::plural, words)) reader.Skip(1);
    SayFractions(w, words);
    return reader.At();
}

}  // namespace tool
