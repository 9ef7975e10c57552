// stream_scan: the C scanf rules over a stream, reading through the same
// push-back, gzip and deciphering layers as every other read. Numbers are
// gathered as text as far as they can go (one byte of look-ahead, like the
// C library) and then converted.
#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "files/vfs_local.h"

namespace {

enum { NUMBER_MAX = 400 };  // longest number text looked at

enum Size { SIZE_CHAR, SIZE_SHORT, SIZE_INT, SIZE_LONG, SIZE_LONG_LONG };

struct Scanner {
  Stream* s;
  int consumed;        // bytes taken by this scan (for %n)
};

int peek(Scanner* sc) { return stream_peek_char(sc->s); }
void take(Scanner* sc) {
  stream_read_char(sc->s);
  sc->consumed++;
}

bool is_space(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void skip_space(Scanner* sc) {
  while (is_space(peek(sc))) take(sc);
}

// Takes the next byte into the text when accept() says so and there is room.
bool take_if(Scanner* sc, char* text, int* n, int width, bool (*accept)(int c)) {
  int c = peek(sc);
  if (c == STREAM_EOF || *n >= width || !accept(c)) return false;
  text[(*n)++] = (char)c;
  take(sc);
  return true;
}

bool is_sign(int c) { return c == '+' || c == '-'; }
bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_octal(int c) { return c >= '0' && c <= '7'; }
bool is_hex(int c) { return std::isxdigit(c) != 0; }
bool is_x(int c) { return c == 'x' || c == 'X'; }
bool is_zero(int c) { return c == '0'; }
bool is_point(int c) { return c == '.'; }
bool is_e(int c) { return c == 'e' || c == 'E'; }

// Integer text in base (0: from the prefix). Returns the base used.
int gather_integer(Scanner* sc, char* text, int* n, int width, int base) {
  take_if(sc, text, n, width, is_sign);
  if (base == 0 || base == 16) {
    if (take_if(sc, text, n, width, is_zero)) {
      if (take_if(sc, text, n, width, is_x)) base = 16;
      else if (base == 0) base = 8;
    } else if (base == 0) {
      base = 10;
    }
  }
  bool (*digit)(int) = base == 16 ? is_hex : base == 8 ? is_octal : is_digit;
  while (take_if(sc, text, n, width, digit)) {}
  return base;
}

void gather_real(Scanner* sc, char* text, int* n, int width) {
  take_if(sc, text, n, width, is_sign);
  while (take_if(sc, text, n, width, is_digit)) {}
  if (take_if(sc, text, n, width, is_point))
    while (take_if(sc, text, n, width, is_digit)) {}
  if (take_if(sc, text, n, width, is_e)) {
    take_if(sc, text, n, width, is_sign);
    while (take_if(sc, text, n, width, is_digit)) {}
  }
}

void store_integer(va_list* args, Size size, bool is_unsigned, long long value) {
  if (is_unsigned) {
    unsigned long long u = (unsigned long long)value;
    switch (size) {
      case SIZE_CHAR: *va_arg(*args, unsigned char*) = (unsigned char)u; break;
      case SIZE_SHORT: *va_arg(*args, unsigned short*) = (unsigned short)u; break;
      case SIZE_INT: *va_arg(*args, unsigned*) = (unsigned)u; break;
      case SIZE_LONG: *va_arg(*args, unsigned long*) = (unsigned long)u; break;
      case SIZE_LONG_LONG: *va_arg(*args, unsigned long long*) = u; break;
    }
    return;
  }
  switch (size) {
    case SIZE_CHAR: *va_arg(*args, signed char*) = (signed char)value; break;
    case SIZE_SHORT: *va_arg(*args, short*) = (short)value; break;
    case SIZE_INT: *va_arg(*args, int*) = (int)value; break;
    case SIZE_LONG: *va_arg(*args, long*) = (long)value; break;
    case SIZE_LONG_LONG: *va_arg(*args, long long*) = value; break;
  }
}

// One conversion's settings, from the text between "%" and the letter.
struct Directive {
  bool suppress;       // "*": convert, don't assign
  int width;           // maximum bytes, or -1
  Size size;           // from hh, h, l, ll/q/L (ll, q and L on a real: long double)
  char conversion;
};

const char* parse_directive(const char* f, Directive* dv) {
  *dv = Directive{false, -1, SIZE_INT, 0};
  if (*f == '*') {
    dv->suppress = true;
    f++;
  }
  if (is_digit(*f)) {
    dv->width = 0;
    while (is_digit(*f)) dv->width = dv->width * 10 + (*f++ - '0');
  }
  if (f[0] == 'h' && f[1] == 'h') dv->size = SIZE_CHAR, f += 2;
  else if (f[0] == 'h') dv->size = SIZE_SHORT, f++;
  else if (f[0] == 'l' && f[1] == 'l') dv->size = SIZE_LONG_LONG, f += 2;
  else if (f[0] == 'l') dv->size = SIZE_LONG, f++;
  else if (f[0] == 'L') dv->size = SIZE_LONG_LONG, f++;
  else if (f[0] == 'q') dv->size = SIZE_LONG_LONG, f++;
  dv->conversion = *f;
  return *f ? f + 1 : f;
}

// The outcome of one conversion.
enum Result { CONVERTED, MATCH_FAILED, INPUT_FAILED };

Result convert_integer(Scanner* sc, const Directive& dv, va_list* args) {
  int base = dv.conversion == 'd' || dv.conversion == 'u' ? 10
           : dv.conversion == 'i'                           ? 0
           : dv.conversion == 'o'                           ? 8
                                                              : 16;
  skip_space(sc);
  if (peek(sc) == STREAM_EOF) return INPUT_FAILED;
  char text[NUMBER_MAX + 1];
  int n = 0;
  int width = dv.width > 0 && dv.width < NUMBER_MAX ? dv.width : NUMBER_MAX;
  base = gather_integer(sc, text, &n, width, base);
  text[n] = 0;
  char* end;
  bool is_unsigned = dv.conversion != 'd' && dv.conversion != 'i';
  long long value = is_unsigned ? (long long)std::strtoull(text, &end, base) : std::strtoll(text, &end, base);
  // "0x" with no digit after it reads as the 0 it starts with.
  bool bare_prefix = base == 16 && *end && is_x(*end) && end[1] == 0;
  if (n == 0 || end == text || (*end && !bare_prefix)) return MATCH_FAILED;
  if (!dv.suppress) store_integer(args, dv.size, is_unsigned, value);
  return CONVERTED;
}

Result convert_real(Scanner* sc, const Directive& dv, va_list* args) {
  skip_space(sc);
  if (peek(sc) == STREAM_EOF) return INPUT_FAILED;
  char text[NUMBER_MAX + 1];
  int n = 0;
  gather_real(sc, text, &n, dv.width > 0 && dv.width < NUMBER_MAX ? dv.width : NUMBER_MAX);
  text[n] = 0;
  // Text that stops half-way ("1e", "2.5e+") keeps the number it began
  // with, as the C library does; the unused bytes are gone all the same.
  char* end;
  std::strtod(text, &end);
  if (end == text) return MATCH_FAILED;
  text[end - text] = 0;
  if (dv.suppress) return CONVERTED;
  // Each width converted directly: going through a wider type first could
  // round twice and differ from the C library in the last bit.
  if (dv.size == SIZE_LONG_LONG) *va_arg(*args, long double*) = std::strtold(text, nullptr);
  else if (dv.size == SIZE_LONG) *va_arg(*args, double*) = std::strtod(text, nullptr);
  else *va_arg(*args, float*) = std::strtof(text, nullptr);
  return CONVERTED;
}

Result convert_string(Scanner* sc, const Directive& dv, va_list* args) {
  skip_space(sc);
  if (peek(sc) == STREAM_EOF) return INPUT_FAILED;
  char* out = dv.suppress ? nullptr : va_arg(*args, char*);
  int n = 0;
  for (int c; (dv.width < 0 || n < dv.width) && (c = peek(sc)) != STREAM_EOF && !is_space(c); n++) {
    if (out) out[n] = (char)c;
    take(sc);
  }
  if (out) out[n] = 0;
  return CONVERTED;
}

Result convert_chars(Scanner* sc, const Directive& dv, va_list* args) {
  int width = dv.width > 0 ? dv.width : 1;
  char* out = dv.suppress ? nullptr : va_arg(*args, char*);
  if (peek(sc) == STREAM_EOF) return INPUT_FAILED;
  for (int n = 0; n < width; n++) {
    int c = peek(sc);
    if (c == STREAM_EOF) return INPUT_FAILED;
    if (out) out[n] = (char)c;
    take(sc);
  }
  return CONVERTED;
}

// A "[...]" set: which bytes it accepts. Returns the format after the "]".
const char* parse_set(const char* f, bool accept[256]) {
  bool negate = *f == '^';
  if (negate) f++;
  bool member[256] = {};
  const char* start = f;
  for (; *f && (*f != ']' || f == start); f++) {
    unsigned char lo = (unsigned char)*f;
    if (f[1] == '-' && f[2] && f[2] != ']' && (unsigned char)f[2] >= lo) {
      for (int c = lo; c <= (unsigned char)f[2]; c++) member[c] = true;
      f += 2;
    } else {
      member[lo] = true;
    }
  }
  for (int c = 0; c < 256; c++) accept[c] = member[c] != negate;
  return *f ? f + 1 : f;
}

Result convert_set(Scanner* sc, const Directive& dv, const bool accept[256], va_list* args) {
  char* out = dv.suppress ? nullptr : va_arg(*args, char*);
  if (peek(sc) == STREAM_EOF) return INPUT_FAILED;
  int n = 0;
  for (int c; (dv.width < 0 || n < dv.width) && (c = peek(sc)) != STREAM_EOF && accept[c]; n++) {
    if (out) out[n] = (char)c;
    take(sc);
  }
  if (n == 0) return MATCH_FAILED;
  if (out) out[n] = 0;
  return CONVERTED;
}

Result convert(Scanner* sc, const Directive& dv, const char** format, va_list* args) {
  switch (dv.conversion) {
    case 'd': case 'i': case 'o': case 'u': case 'x': case 'X':
      return convert_integer(sc, dv, args);
    case 'f': case 'e': case 'g': case 'E': case 'G':
      return convert_real(sc, dv, args);
    case 's':
      return convert_string(sc, dv, args);
    case 'c':
      return convert_chars(sc, dv, args);
    case '[': {
      bool accept[256];
      *format = parse_set(*format, accept);
      return convert_set(sc, dv, accept, args);
    }
    default:
      return MATCH_FAILED;  // not a conversion we know: stop here
  }
}

}  // namespace

int stream_vscan(Stream* s, const char* f, va_list args_in) {
  va_list args;
  va_copy(args, args_in);
  Scanner sc{s, 0};
  int assigned = 0;
  bool converted = false;  // a conversion has completed: the end is no longer -1
  int result = -2;
  while (*f && result == -2) {
    if (is_space((unsigned char)*f)) {
      while (is_space((unsigned char)*f)) f++;
      skip_space(&sc);
    } else if (*f != '%' || f[1] == '%') {
      if (*f == '%') {
        f++;
        skip_space(&sc);
      }
      int c = peek(&sc);
      if (c == STREAM_EOF) result = converted ? assigned : -1;
      else if (c != (unsigned char)*f) result = assigned;
      else {
        take(&sc);
        f++;
      }
    } else {
      Directive dv;
      f = parse_directive(f + 1, &dv);
      if (dv.conversion == 'n') {
        if (!dv.suppress) store_integer(&args, dv.size, false, sc.consumed);
        continue;
      }
      Result r = convert(&sc, dv, &f, &args);
      if (r == INPUT_FAILED) result = converted ? assigned : -1;
      else if (r == MATCH_FAILED) result = assigned;
      else {
        converted = true;
        if (!dv.suppress) assigned++;
      }
    }
  }
  va_end(args);
  return result == -2 ? assigned : result;
}

int stream_scan(Stream* s, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = stream_vscan(s, format, args);
  va_end(args);
  return n;
}
