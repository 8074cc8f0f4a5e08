#include "files/line_breaks.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace files {

namespace {

// Checks the CR or LF at i: a CR must start a CR LF pair, an LF must end one, and the CR must not
// follow a possible lead byte (which would take it as its second byte).
bool pairOk(const char* p, std::size_t n, std::size_t i, const LeadByteTable& lead) {
  if (p[i] == '\r') {
    if (i + 1 >= n || p[i + 1] != '\n') return false;
    return i == 0 || !lead[static_cast<unsigned char>(p[i - 1])];
  }
  return i > 0 && p[i - 1] == '\r';
}

enum class Scan { Normal, NeedsWork, HasZero };

// One block of width bytes starting at i, given as bit masks of its CR, LF, zero and high-bit
// bytes. Every LF must have a CR right before it and every CR an LF right after it (the bits
// carried over from the previous block); a CR after a byte with the high bit set is looked up in
// the lead-byte table.
struct BlockCheck {
  std::uint64_t crBefore = 0, highBefore = 0;

  Scan check(const char* p, std::size_t i, int width, std::uint64_t cr, std::uint64_t lf,
             std::uint64_t high, std::uint64_t zero, const LeadByteTable& lead) {
    if (zero) return Scan::HasZero;
    const std::uint64_t all = width == 64 ? ~0ull : (1ull << width) - 1;
    if ((((cr << 1) | crBefore) & all) != lf) return Scan::NeedsWork;
    for (std::uint64_t m = cr & (((high << 1) | highBefore) & all); m; m &= m - 1)
      if (lead[static_cast<unsigned char>(p[i + static_cast<std::size_t>(__builtin_ctzll(m)) - 1])])
        return Scan::NeedsWork;
    crBefore = cr >> (width - 1);
    highBefore = high >> (width - 1);
    return Scan::Normal;
  }
};

#if defined(__SSE2__)
Scan scanSse2(const char* p, std::size_t n, std::size_t& i, BlockCheck& b,
              const LeadByteTable& lead) {
  const __m128i crs = _mm_set1_epi8('\r'), lfs = _mm_set1_epi8('\n'), zeros = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    auto mask = [](__m128i x) { return static_cast<std::uint64_t>(_mm_movemask_epi8(x)) & 0xFFFF; };
    const Scan r = b.check(p, i, 16, mask(_mm_cmpeq_epi8(v, crs)), mask(_mm_cmpeq_epi8(v, lfs)),
                           mask(v), mask(_mm_cmpeq_epi8(v, zeros)), lead);
    if (r != Scan::Normal) return r;
  }
  return Scan::Normal;
}
#endif

#if defined(__GNUC__) && defined(__x86_64__)
#define KOLVEX_HAVE_AVX2 1
__attribute__((target("avx2"))) Scan scanAvx2(const char* p, std::size_t n, std::size_t& i,
                                              BlockCheck& b, const LeadByteTable& lead) {
  const __m256i crs = _mm256_set1_epi8('\r'), lfs = _mm256_set1_epi8('\n');
  const __m256i zeros = _mm256_setzero_si256();
  for (; i + 32 <= n; i += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
    auto mask = [](__m256i x) __attribute__((target("avx2"))) {
      return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(x)));
    };
    const Scan r =
        b.check(p, i, 32, mask(_mm256_cmpeq_epi8(v, crs)), mask(_mm256_cmpeq_epi8(v, lfs)), mask(v),
                mask(_mm256_cmpeq_epi8(v, zeros)), lead);
    if (r != Scan::Normal) return r;
  }
  return Scan::Normal;
}
#endif

// Normal when the text needs no change: no zero byte, and every CR and LF stands in a CR LF pair
// that no lead byte claims. Most files are like this, and then loading is a scan, not a copy.
Scan scan(const std::string& s, const LeadByteTable& lead) {
  const std::size_t n = s.size();
  const char* p = s.data();
  std::size_t i = 0;
  BlockCheck b;
  Scan r = Scan::Normal;
#if defined(KOLVEX_HAVE_AVX2)
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) r = scanAvx2(p, n, i, b, lead);
#endif
#if defined(__SSE2__)
  if (r == Scan::Normal) r = scanSse2(p, n, i, b, lead);
#endif
  if (r != Scan::Normal) return r;
  if (b.crBefore && (i >= n || p[i] != '\n')) return Scan::NeedsWork;
  for (; i < n; ++i) {
    if (p[i] == '\0') return Scan::HasZero;
    if ((p[i] == '\r' || p[i] == '\n') && !pairOk(p, n, i, lead)) return Scan::NeedsWork;
  }
  return Scan::Normal;
}

}  // namespace

std::string normalizeLineBreaks(std::string bytes, const LeadByteTable& lead) {
  if (scan(bytes, lead) == Scan::Normal) return bytes;
  // The scan may have stopped before a zero byte further on: the text ends at the first one.
  if (std::size_t nul = bytes.find('\0'); nul != std::string::npos) {
    bytes.resize(nul);
    if (scan(bytes, lead) == Scan::Normal) return bytes;
  }

  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  const std::size_t n = bytes.size();
  const char* p = bytes.data();
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = p[i];
    if (c == '\r' || c == '\n') {
      out.append(p + runStart, i - runStart);
      out += "\r\n";
      if (c == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
      runStart = i + 1;
    } else if (lead[static_cast<unsigned char>(c)] && i + 1 < n) {
      ++i;  // the second byte belongs to this character, whatever it is
    }
  }
  out.append(p + runStart, n - runStart);
  return out;
}

}  // namespace files
