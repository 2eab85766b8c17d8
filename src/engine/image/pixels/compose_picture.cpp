#include "engine/image/pixels/compose_picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/image/pixels/bilinear_variants.h"
#include "engine/image/pixels/pixel_errors.h"
#include "engine/image/pixels/source_pixels.h"

namespace {

// Windows' MulDiv for non-negative operands: a * b / c rounded to nearest,
// halves up, in 64 bits.
int64_t MulDivRound(int64_t a, int64_t b, int64_t c) { return (2 * a * b + c) / (2 * c); }

// Truncating division by one divisor, many times: a shift for a power of
// two (integer shrink factors give them), else a multiplication by the
// reciprocal corrected by one step either way, so the quotient is exact for
// every dividend below 2^53 (box sums stay far below).
class TExactDivider {
 public:
  explicit TExactDivider(uint64_t divisor) : divisor_(divisor), inverse_(divisor ? 1.0 / double(divisor) : 0) {
    if (divisor && (divisor & (divisor - 1)) == 0)
      while ((uint64_t(1) << shift_) != divisor) ++shift_;
    else
      shift_ = -1;
  }
  uint64_t Divisor() const { return divisor_; }
  uint64_t operator()(uint64_t n) const {
    if (shift_ >= 0) return n >> shift_;
    uint64_t q = uint64_t(double(n) * inverse_);
    if (q * divisor_ > n) --q;
    else if ((q + 1) * divisor_ <= n) ++q;
    return q;
  }

 private:
  uint64_t divisor_;
  double inverse_;
  int shift_ = 0;  // -1: not a power of two
};

// Everything one drawing needs, allocated once per draw.
class TPictureComposer {
 public:
  TPictureComposer(const TPixelView& dest, const TPictureSource& source, const TDrawWindow& window,
                   const TComposeParams& params)
      : dest_(dest), source_(source), w_(window), params_(params),
        width_(source.Pixels.Width), height_(source.Pixels.Height) {}

  void Sampled();
  void Bilinear();
  void Box();

 private:
  // First and last source index of destination index i on one axis. The last
  // index of the destination rectangle covers only its first source index.
  struct TBounds {
    int64_t first, last;
  };
  static TBounds BoxBounds(int64_t i, int32_t off, int32_t origin, int32_t src_side, int32_t dest_side,
                           int32_t picture_side) {
    const int64_t first = origin + MulDivRound(i + off, src_side, dest_side);
    int64_t last = i + off == dest_side - 1 ? first : origin + MulDivRound(i + off + 1, src_side, dest_side) - 1;
    last = std::min({last, int64_t(origin) + src_side - 1, int64_t(picture_side) - 1, int64_t(65534)});
    return TBounds{first, std::max(first, last)};
  }
  template <class TSum>
  void BoxRows(const std::vector<TBounds>& columns, int32_t first, int32_t end, int32_t span_first, int32_t span_last);

  // Source column or row of destination index i (counted from the visible
  // part's start) along one axis, truncating; 64-bit, as i * side can
  // exceed 32 bits.
  static int64_t MapIndex(int64_t i, int32_t off, int32_t origin, int32_t src_side, int32_t dest_side) {
    if (src_side == dest_side) return origin + i + off;
    return origin + (i + off) * src_side / dest_side;
  }
  void AllocateRows() {
    row_.resize(4 * size_t(width_));
    out_.resize(4 * size_t(dest_.Width));
  }
  // Reads source row y, columns first..last, into `into` at their own positions.
  uint8_t* ReadSpan(std::vector<uint8_t>& into, int32_t y, int32_t first, int32_t last) {
    ReadSourceRow(source_, first, y, last - first + 1, into.data() + 4 * size_t(first));
    return into.data();
  }

  const TPixelView& dest_;
  const TPictureSource& source_;
  const TDrawWindow& w_;
  const TComposeParams& params_;
  const int32_t width_;
  const int32_t height_;
  std::vector<uint8_t> row_;  // one source row, read when it is not 32-bit or not used as it is
  std::vector<uint8_t> out_;  // one row of samples to compose
};

void TPictureComposer::Sampled() {
  // Unscaled columns are consecutive and need no table.
  const bool contiguous = w_.SrcWidth == w_.DestWidth;
  std::vector<int32_t> columns;
  if (!contiguous) columns.resize(size_t(dest_.Width));
  int32_t first = dest_.Width, end = dest_.Width;  // visible columns that read the picture
  for (int32_t i = 0; i < dest_.Width; ++i) {
    const int64_t x = MapIndex(i, w_.ClipLeft, w_.SrcX, w_.SrcWidth, w_.DestWidth);
    if (x >= width_) {
      end = i;
      break;
    }
    if (!contiguous) columns[size_t(i)] = int32_t(x);
    if (x >= 0 && first == dest_.Width) {
      first = i;
      if (contiguous) {
        end = int32_t(std::min<int64_t>(dest_.Width, i + (width_ - x)));
        break;
      }
    }
  }
  if (first >= end) return;
  const auto column = [&](int32_t i) {
    return contiguous ? int32_t(MapIndex(i, w_.ClipLeft, w_.SrcX, w_.SrcWidth, w_.DestWidth)) : columns[size_t(i)];
  };
  const int32_t count = end - first, first_column = column(first), last_column = column(end - 1);
  const bool direct = contiguous && source_.Pixels.Layout == TPixelLayout::Bgra32;
  if (!direct) AllocateRows();
  for (int32_t j = 0; j < dest_.Height; ++j) {
    const int64_t y = MapIndex(j, w_.ClipTop, w_.SrcY, w_.SrcHeight, w_.DestHeight);
    if (y < 0) continue;
    if (y >= height_) break;
    uint8_t* target = dest_.Row(j) + 4 * size_t(first);
    if (direct) {
      ComposeRow(target, source_.Pixels.Row(int32_t(y)) + 4 * size_t(first_column), count, params_);
      continue;
    }
    const uint8_t* row = ReadSpan(row_, int32_t(y), first_column, last_column);
    if (contiguous) {
      ComposeRow(target, row + 4 * size_t(first_column), count, params_);
      continue;
    }
    for (int32_t i = first; i < end; ++i) std::memcpy(&out_[4 * size_t(i)], row + 4 * size_t(columns[size_t(i)]), 4);
    ComposeRow(target, &out_[4 * size_t(first)], count, params_);
  }
}

void TPictureComposer::Bilinear() {
  const auto step = [](int32_t src_side, int32_t dest_side) {
    return (int64_t(src_side - (src_side < dest_side ? 1 : 0)) << 15) / dest_side;
  };
  const int64_t step_x = step(w_.SrcWidth, w_.DestWidth), step_y = step(w_.SrcHeight, w_.DestHeight);
  std::vector<int32_t> columns(size_t(dest_.Width)), fractions(size_t(dest_.Width));
  int32_t first = dest_.Width, end = dest_.Width;
  for (int32_t i = 0; i < dest_.Width; ++i) {
    const int64_t position = (int64_t(i) + w_.ClipLeft) * step_x + int64_t(w_.SrcX) * 32768;
    if (position >= int64_t(width_) << 15) {
      end = i;
      break;
    }
    columns[size_t(i)] = int32_t(position >> 15);
    fractions[size_t(i)] = int32_t(position & 32767);
    if (position >= 0 && first == dest_.Width) first = i;
  }
  if (first >= end) return;
  const int32_t span_first = columns[size_t(first)];
  const int32_t span_last = std::min(columns[size_t(end - 1)] + 1, width_ - 1);
  AllocateRows();
  const bool direct = source_.Pixels.Layout == TPixelLayout::Bgra32;
  std::vector<uint8_t> lower(direct ? 0 : row_.size());
  const uint32_t key = params_.UseKey ? ColorToPixelBits(params_.Key) : 0xFFFFFFFFu;
  TComposeParams unkeyed = params_;
  unkeyed.UseKey = false;
  for (int32_t j = 0; j < dest_.Height; ++j) {
    const int64_t position = (int64_t(j) + w_.ClipTop) * step_y + int64_t(w_.SrcY) * 32768;
    if (position < 0) continue;
    const int32_t y = int32_t(position >> 15);
    if (y >= height_) break;
    const int32_t y1 = std::min(y + 1, height_ - 1);
    const TBilinearRow row{direct ? source_.Pixels.Row(y) : ReadSpan(row_, y, span_first, span_last),
                           direct ? source_.Pixels.Row(y1) : ReadSpan(lower, y1, span_first, span_last),
                           columns.data(), fractions.data(), int32_t(position & 32767), width_ - 1};
    BilinearRow(row, first, end, out_.data());
    if (params_.UseKey) {
      // A sample is skipped (alpha 0 leaves the destination) only when all
      // four neighbours carry the key.
      const auto colour = [](const uint8_t* p) { return uint32_t(p[0] | p[1] << 8 | p[2] << 16); };
      for (int32_t i = first; i < end; ++i) {
        const size_t x = size_t(columns[size_t(i)]), x1 = size_t(std::min(columns[size_t(i)] + 1, width_ - 1));
        if (colour(row.Top + 4 * x) == key && colour(row.Top + 4 * x1) == key && colour(row.Bottom + 4 * x) == key &&
            colour(row.Bottom + 4 * x1) == key)
          out_[4 * size_t(i) + 3] = 0;
      }
    }
    ComposeRow(dest_.Row(j) + 4 * size_t(first), &out_[4 * size_t(first)], end - first, unkeyed);
  }
}

void TPictureComposer::Box() {
  std::vector<TBounds> columns(size_t(dest_.Width));
  int32_t first = dest_.Width, end = dest_.Width;
  for (int32_t i = 0; i < dest_.Width; ++i) {
    columns[size_t(i)] = BoxBounds(i, w_.ClipLeft, w_.SrcX, w_.SrcWidth, w_.DestWidth, width_);
    if (columns[size_t(i)].first >= width_) {
      end = i;
      break;
    }
    if (columns[size_t(i)].first >= 0 && first == dest_.Width) first = i;
  }
  if (first >= end) return;
  const int32_t span_first = int32_t(columns[size_t(first)].first);
  const int32_t span_last = int32_t(columns[size_t(end - 1)].last);
  AllocateRows();
  // 32-bit sums while the largest box cannot overflow them, else 64-bit.
  int64_t widest = 1;
  for (int32_t i = first; i < end; ++i) widest = std::max(widest, columns[size_t(i)].last - columns[size_t(i)].first + 1);
  const int64_t tallest = MulDivRound(1, w_.SrcHeight, w_.DestHeight) + 1;
  if (widest * tallest * 255 <= int64_t(UINT32_MAX))
    BoxRows<uint32_t>(columns, first, end, span_first, span_last);
  else
    BoxRows<uint64_t>(columns, first, end, span_first, span_last);
}

template <class TSum>
void TPictureComposer::BoxRows(const std::vector<TBounds>& columns, int32_t first, int32_t end, int32_t span_first,
                               int32_t span_last) {
  const bool direct = source_.Pixels.Layout == TPixelLayout::Bgra32;
  std::vector<TSum> sums(4 * size_t(span_last - span_first + 1));
  for (int32_t j = 0; j < dest_.Height; ++j) {
    const TBounds rows = BoxBounds(j, w_.ClipTop, w_.SrcY, w_.SrcHeight, w_.DestHeight, height_);
    if (rows.first < 0) continue;
    if (rows.first >= height_) break;
    std::fill(sums.begin(), sums.end(), 0);
    for (int64_t y = rows.first; y <= rows.last; ++y) {
      const uint8_t* row = (direct ? source_.Pixels.Row(int32_t(y)) : ReadSpan(row_, int32_t(y), span_first, span_last)) +
                           4 * size_t(span_first);
      for (size_t n = 0; n < sums.size(); ++n) sums[n] += row[n];
    }
    const uint64_t row_count = uint64_t(rows.last - rows.first + 1);
    TExactDivider divide(0);
    for (int32_t i = first; i < end; ++i) {
      const TBounds& box = columns[size_t(i)];
      uint64_t total[4] = {};
      for (int64_t x = box.first; x <= box.last; ++x)
        for (int c = 0; c < 4; ++c) total[c] += sums[4 * size_t(x - span_first) + size_t(c)];
      const uint64_t count = row_count * uint64_t(box.last - box.first + 1);
      if (count != divide.Divisor()) divide = TExactDivider(count);
      for (int c = 0; c < 4; ++c) out_[4 * size_t(i) + size_t(c)] = uint8_t(divide(total[c]));
    }
    ComposeRow(dest_.Row(j) + 4 * size_t(first), &out_[4 * size_t(first)], end - first, params_);
  }
}

}  // namespace

void ComposePicture(const TPixelView& dest, const TPictureSource& source, const TDrawWindow& window,
                    TPngSmoothFilter filter, const TComposeParams& params) {
  if (dest.Layout != TPixelLayout::Bgra32) RaisePixelError(TPixelError::Must32Bit);
  if (dest.Width <= 0 || dest.Height <= 0 || window.SrcWidth <= 0 || window.SrcHeight <= 0 ||
      window.DestWidth <= 0 || window.DestHeight <= 0 || params.Alpha == 0)
    return;
  if (!source.Pixels.Bits || source.Pixels.Width <= 0 || source.Pixels.Height <= 0) return;
  const bool scaled = window.SrcWidth != window.DestWidth || window.SrcHeight != window.DestHeight;
  if (BitsPerPixel(source.Pixels.Layout) < 24 || !scaled) filter = psfDefault;
  if (filter == psfSmooth && (window.DestWidth >= window.SrcWidth || window.DestHeight >= window.SrcHeight))
    filter = psfFastSmooth;
  TPictureComposer composer(dest, source, window, params);
  switch (filter) {
    case psfFastSmooth: return composer.Bilinear();
    case psfSmooth: return composer.Box();
    default: return composer.Sampled();
  }
}
