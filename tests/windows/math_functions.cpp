// A fingerprint of the math functions the programs call, over every k-th
// float and a fixed sample of doubles and pairs: the Windows build's must
// equal the native build's on the same machine (same_output.sh), or the
// programs' last digits may differ; so must the explorer's WebAssembly
// build's (web/test/math.test.mjs).
//   math_functions [K]     K: the stride through the 2^32 floats (61)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// bit_cast, which the explorer's WebAssembly build (emscripten's
// library, where this program also runs) lacks.
template <class To, class From>
To bit_cast(const From& from) {
  static_assert(sizeof(To) == sizeof(From));
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}

struct Fingerprint {
  std::uint64_t h = 1469598103934665603u;
  void add(std::uint64_t bits) { h = (h ^ bits) * 1099511628211u; }
  void add(float v) { add(std::isnan(v) ? 0x7fc00000u : std::uint64_t{bit_cast<std::uint32_t>(v)}); }
  void add(double v) { add(std::isnan(v) ? 0x7ff8000000000000u : bit_cast<std::uint64_t>(v)); }
};

struct Random {  // xorshift64: the same sample on every system
  std::uint64_t s = 88172645463325252u;
  std::uint64_t next() { return s ^= s << 13, s ^= s >> 7, s ^= s << 17; }
};

// volatile: the compiler may not fold or fuse what the programs compute at
// run time.
template <class F>
void every_float(const char* name, std::uint64_t stride, F f) {
  Fingerprint print;
  for (std::uint64_t u = 0; u < (std::uint64_t{1} << 32); u += stride) {
    volatile float x = bit_cast<float>(static_cast<std::uint32_t>(u));
    print.add(f(x));
  }
  std::printf("%-8s %016llx\n", name, static_cast<unsigned long long>(print.h));
}

template <class F>
void sample(const char* name, F f) {
  Fingerprint print;
  Random r;
  for (int i = 0; i < 4000000; ++i) f(print, r.next(), i);
  std::printf("%-8s %016llx\n", name, static_cast<unsigned long long>(print.h));
}

// A double of moderate size, either sign: the range the pictures and the
// spans use, where every function takes its main path.
double moderate(std::uint64_t bits) {
  return bit_cast<double>((bits & 0x800fffffffffffffu) | ((0x3c0u + (bits >> 52) % 0x80u) << 52));
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t stride = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 61;
  if (stride == 0) return 2;
  every_float("logf", stride, [](float x) { return std::log(x); });
  every_float("log10f", stride, [](float x) { return std::log10(x); });
  every_float("expf", stride, [](float x) { return std::exp(x); });
  every_float("sinf", stride, [](float x) { return std::sin(x); });
  every_float("cosf", stride, [](float x) { return std::cos(x); });
  every_float("sincosf", stride, [](float x) {  // one angle's sine and cosine: one call
    const float s = std::sin(x), c = std::cos(x);
    return std::uint64_t{bit_cast<std::uint32_t>(s)} << 32 | bit_cast<std::uint32_t>(c);
  });
  every_float("atanf", stride, [](float x) { return std::atan(x); });
  every_float("powf10", stride, [](float x) { return std::pow(10.0f, x); });
  sample("powf", [](Fingerprint& p, std::uint64_t b, int i) {
    volatile float x = std::fabs(bit_cast<float>(static_cast<std::uint32_t>(b)));
    volatile float y = i % 2 ? bit_cast<float>(static_cast<std::uint32_t>(b >> 32))
                             : static_cast<float>(moderate(b >> 11));
    p.add(std::pow(x, y));
  });
  sample("atan2f", [](Fingerprint& p, std::uint64_t b, int) {
    volatile float y = bit_cast<float>(static_cast<std::uint32_t>(b));
    volatile float x = bit_cast<float>(static_cast<std::uint32_t>(b >> 32));
    p.add(std::atan2(y, x));
  });
  sample("log", [](Fingerprint& p, std::uint64_t b, int) {
    volatile double x = std::fabs(moderate(b));
    p.add(std::log(x));
    p.add(std::log10(x));
  });
  sample("exp", [](Fingerprint& p, std::uint64_t b, int) {
    volatile double x = std::fmod(moderate(b), 700.0);
    p.add(std::exp(x));
  });
  sample("pow", [](Fingerprint& p, std::uint64_t b, int i) {
    volatile double x = std::fabs(moderate(b));
    volatile double y = i % 2 ? static_cast<double>(i % 40 - 20) : std::fmod(moderate(b * 31), 50.0);
    p.add(std::pow(x, y));
  });
  sample("sincos", [](Fingerprint& p, std::uint64_t b, int i) {  // one angle's sine and cosine, as the ion flow takes them
    volatile double x = i % 2 ? std::fmod(moderate(b), 7.0) : moderate(b);
    const double a = x;
    p.add(std::sin(a));
    p.add(std::cos(a));
  });
  sample("atan2", [](Fingerprint& p, std::uint64_t b, int) {
    volatile double y = moderate(b);
    volatile double x = moderate(b * 31);
    p.add(std::atan2(y, x));
  });
  sample("hypot", [](Fingerprint& p, std::uint64_t b, int) {
    volatile double x = moderate(b);
    volatile double y = moderate(b * 31);
    p.add(std::hypot(x, y));
  });
  sample("sinh", [](Fingerprint& p, std::uint64_t b, int) {
    volatile double x = std::fmod(moderate(b), 40.0);
    p.add(std::sinh(x));
  });
}
