// The LZCC encoder. A map is large flat regions, so nearly everything is a copy from the row above, from a
// pixel or two beside that (a slanted edge), or a run of the byte before; what is left goes as literals.
// Every token costs the same, so the encoder finds the cheapest parse over those distances exactly, working
// backwards from the end: cost[p] is the fewest payload bytes that can produce output[p..].
#include "tools/coursebuild/lzcc_encode.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <deque>
#include <iterator>

#include "green/lzcc.h"

namespace {

// Runs, then the row above and its neighbours (edges that lean), then rows further up.
constexpr uint16_t kDistances[] = {1,    2,    3,    4,    640,  639,  641,  638,  642,  637,  643,
                                   636,  644,  635,  645,  634,  646,  1280, 1279, 1281, 1278, 1282,
                                   1920, 1919, 1921, 2560, 2559, 2561, 3200, 3840, 4480, 5120};
constexpr int32_t kDistanceCount = static_cast<int32_t>(std::size(kDistances));

constexpr int32_t kTokenBytes = 2;
constexpr int32_t kCopyBytes = 4;  // token and distance
constexpr int32_t kNever = INT32_MAX / 4;

void PutU16(std::vector<uint8_t>* v, uint32_t x) {
  v->push_back(static_cast<uint8_t>(x));
  v->push_back(static_cast<uint8_t>(x >> 8));
}
void PutU32(std::vector<uint8_t>* v, uint32_t x) {
  PutU16(v, x & 0xFFFF);
  PutU16(v, x >> 16);
}

}  // namespace

std::vector<uint8_t> EncodeLzcc(const std::vector<uint8_t>& output) {
  const size_t n = output.size();
  if (n < lzcc::kMapBytes || n > lzcc::kStagingBytes) return {};

  // cost[p]: cheapest encoding of output[p..]. inRun[p]: cheapest given that a literal token already covers p.
  std::vector<int32_t> cost(n + 1), inRun(n + 1);
  std::vector<int8_t> copyBy(n);      // index into kDistances, or -1 for a literal run
  std::vector<uint32_t> copyEnd(n);   // where that copy stops
  std::vector<uint8_t> runGoesOn(n);  // the literal run through p also takes p + 1
  cost[n] = 0;
  inRun[n] = kNever;

  // For each distance: how far the match starting at p reaches, and a window minimum of cost over the ends a
  // copy from p may choose (p + 1 .. p + match, at most kMaxLength). The deque runs from the nearest end to
  // the farthest with strictly falling cost, so its back is the cheapest end.
  std::vector<size_t> match(kDistanceCount, 0);
  std::vector<std::deque<uint32_t>> ends(kDistanceCount);

  for (size_t p = n; p-- > 0;) {
    runGoesOn[p] = inRun[p + 1] < cost[p + 1];
    inRun[p] = 1 + std::min(inRun[p + 1], cost[p + 1]);
    int32_t best = kTokenBytes + inRun[p];
    int8_t bestBy = -1;
    uint32_t bestEnd = 0;
    for (int32_t k = 0; k < kDistanceCount; ++k) {
      const size_t d = kDistances[k];
      std::deque<uint32_t>& window = ends[k];
      if (p < d || output[p] != output[p - d]) {
        match[k] = 0;
        window.clear();
        continue;
      }
      ++match[k];
      const auto next = static_cast<uint32_t>(p + 1);
      while (!window.empty() && cost[window.front()] >= cost[next]) window.pop_front();
      window.push_front(next);
      const size_t farthest = p + std::min<size_t>(match[k], lzcc::kMaxLength);
      while (window.back() > farthest) window.pop_back();
      const int32_t c = kCopyBytes + cost[window.back()];
      if (c < best) {
        best = c;
        bestBy = static_cast<int8_t>(k);
        bestEnd = window.back();
      }
    }
    cost[p] = best;
    copyBy[p] = bestBy;
    copyEnd[p] = bestEnd;
  }
  if (cost[0] > static_cast<int32_t>(lzcc::kPayloadLimit) + 64) return {};  // hopeless; skip building it

  std::vector<uint8_t> literals;
  std::vector<uint8_t> tokens;
  std::vector<uint8_t> distances;
  for (size_t p = 0; p < n;) {
    if (copyBy[p] >= 0) {
      PutU16(&tokens, copyEnd[p] - p);
      PutU16(&distances, kDistances[copyBy[p]]);
      p = copyEnd[p];
      continue;
    }
    size_t q = p + 1;
    while (q < n && runGoesOn[q - 1]) ++q;
    literals.insert(literals.end(), output.begin() + static_cast<std::ptrdiff_t>(p),
                    output.begin() + static_cast<std::ptrdiff_t>(q));
    for (size_t left = q - p; left > 0;) {
      const size_t run = std::min<size_t>(left, lzcc::kMaxLength);
      PutU16(&tokens, lzcc::kLiteralRun | run);
      left -= run;
    }
    p = q;
  }
  if (literals.size() + tokens.size() + distances.size() > lzcc::kPayloadLimit) return {};

  std::vector<uint8_t> file = {'L', 'Z', 'C', 'C'};
  PutU32(&file, static_cast<uint32_t>(n));
  PutU32(&file, static_cast<uint32_t>(literals.size()));
  PutU32(&file, static_cast<uint32_t>(tokens.size() / 2));
  PutU32(&file, 0);
  file.insert(file.end(), literals.begin(), literals.end());
  file.insert(file.end(), tokens.begin(), tokens.end());
  file.insert(file.end(), distances.begin(), distances.end());
  return file;
}

size_t LzccPayloadSize(const std::vector<uint8_t>& file) {
  return file.size() < lzcc::kHeaderBytes ? 0 : file.size() - lzcc::kHeaderBytes;
}
