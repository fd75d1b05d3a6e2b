#include "engine/picture/shifted_band.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/picture/pixels.h"

namespace lumivane {
namespace {

constexpr int kChannels = 3;
using Colour = std::array<double, kChannels>;

// The pixels whose centres lie inside each unit, a margin in from its
// edges where the picture was resized (and its edges blurred): the first
// of them and one past the last, along one side.
std::vector<std::pair<int, int>> UnitSpans(int pixels, double unit) {
  const int units = static_cast<int>(std::ceil(pixels / unit - 1e-9));
  const double margin = unit >= 3 ? 0.5 : 0;
  std::vector<std::pair<int, int>> spans;
  for (int u = 0; u < units; ++u) {
    const int first = static_cast<int>(std::ceil(u * unit + margin - 0.5));
    const int last =
        static_cast<int>(std::ceil(std::min<double>(pixels, (u + 1) * unit) - margin - 0.5));
    spans.emplace_back(std::clamp(first, 0, pixels),
                       std::clamp(std::max(last, first + 1), 0, pixels));
  }
  return spans;
}

// Each unit's average colour, summed in integers (from every other row
// and column of a large unit: a shift moves all of a unit alike).
std::vector<std::vector<Colour>> UnitAverages(const Pixels& p, double unit_w, double unit_h) {
  const auto across = UnitSpans(p.width, unit_w), down = UnitSpans(p.height, unit_h);
  const int columns = static_cast<int>(across.size()), rows = static_cast<int>(down.size());
  const int bands = std::min(p.bands, kChannels);
  const int step_x = unit_w >= 6 ? 2 : 1, step_y = unit_h >= 6 ? 2 : 1;
  std::vector<std::vector<Colour>> units(rows, std::vector<Colour>(columns, Colour{}));
  std::vector<std::uint32_t> sums(static_cast<size_t>(columns) * kChannels);
  std::vector<std::uint32_t> counts(columns);
  for (int r = 0; r < rows; ++r) {
    std::fill(sums.begin(), sums.end(), 0);
    std::fill(counts.begin(), counts.end(), 0);
    for (int y = down[r].first; y < down[r].second; y += step_y) {
      const unsigned char* row = p.At(0, y);
      for (int j = 0; j < columns; ++j) {
        std::uint32_t* sum = &sums[static_cast<size_t>(j) * kChannels];
        for (int x = across[j].first; x < across[j].second; x += step_x) {
          const unsigned char* px = row + static_cast<size_t>(x) * p.bands;
          for (int c = 0; c < bands; ++c) sum[c] += px[c];
          ++counts[j];
        }
      }
    }
    for (int j = 0; j < columns; ++j) {
      for (int c = 0; c < kChannels; ++c) {
        units[r][j][c] =
            static_cast<double>(sums[static_cast<size_t>(j) * kChannels + std::min(c, bands - 1)]) /
            std::max<std::uint32_t>(counts[j], 1);
      }
    }
  }
  return units;
}

// A unit at black or white in a channel: a shift further that way is cut
// off there, so its steps say nothing of the shift.
bool Clipped(double level) { return level <= 2 || level >= 253; }

double Median(std::vector<double> values) {
  const size_t mid = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + mid, values.end());
  return values[mid];
}

// How far the differences down across the boundary above `row` (of one
// channel) lie, in the columns [from, to), from those outside them: the
// median of each side apart, and the uncertainty of that distance (from
// the spread of the differences and how many there are).
struct Step {
  double size = 0;
  double error = 0;
};
Step StepAcross(const std::vector<std::vector<Colour>>& units, int row, int channel, int from,
                int to) {
  std::vector<double> inside, outside;
  const int columns = static_cast<int>(units[row].size());
  for (int j = 0; j < columns; ++j) {
    const double d = units[row][j][channel] - units[row - 1][j][channel];
    (j >= from && j < to ? inside : outside).push_back(d);
  }
  const double in = Median(inside), out = Median(outside);
  std::vector<double> spread;
  for (double d : inside) spread.push_back(std::abs(d - in));
  for (double d : outside) spread.push_back(std::abs(d - out));
  // The median's own uncertainty, about 1.25 standard errors of a mean,
  // the spread's median about 0.67 standard deviations.
  const double deviation = Median(spread) / 0.6745 + 0.5;
  const double error = 1.25 * deviation * std::sqrt(1.0 / inside.size() + 1.0 / outside.size());
  return {in - out, error};
}

// The share of the units of [from, to) whose difference down across the
// boundary above `row` exceeds what the boundaries above and below it
// make there by `shift`, within a little. Damage shifts every unit by
// exactly as much, at one boundary only; an edge of the picture, or its
// texture, does not keep that up along a whole row of units.
double ShareShifted(const std::vector<std::vector<Colour>>& units, int row, int channel, int from,
                    int to, double shift) {
  auto difference = [&](int r, int j) { return units[r][j][channel] - units[r - 1][j][channel]; };
  const double tolerance = std::max(3.0, 0.25 * std::abs(shift));
  int alike = 0, seen = 0;
  for (int j = from; j < to; ++j) {
    if (Clipped(units[row][j][channel])) continue;  // the shift cannot show there
    const double step = difference(row, j) - (difference(row - 1, j) + difference(row + 1, j)) / 2;
    alike += std::abs(step - shift) <= tolerance;
    ++seen;
  }
  return seen * 2 >= to - from ? static_cast<double>(alike) / seen : 0;
}

// The share of the units [from, to) of `row` clipped in `channel`.
double ShareClipped(const std::vector<std::vector<Colour>>& units, int row, int channel, int from,
                    int to) {
  int clipped = 0;
  for (int j = from; j < to; ++j) clipped += Clipped(units[row][j][channel]);
  return static_cast<double>(clipped) / std::max(to - from, 1);
}

// Units on each side of the start, at least: a shift that starts nearer a
// picture's edge is not told from an edge in the picture.
constexpr int kLeastUnits = 8;
// The least shift looked for, in levels, and how many times its
// uncertainty it must be (well above what the best of every place on
// every row reaches by chance in a textured photograph).
constexpr double kLeastShift = 6;
constexpr double kLeastSureness = 8;
// The share of units along both boundaries that must show the shift.
constexpr double kLeastShare = 0.75;

// A shift of the colour starting at unit `start` of `row`: the boundary
// above `row` steps right of it, the boundary below left of it, by about
// the same in every channel.
bool ShiftStartsAt(const std::vector<std::vector<Colour>>& units, int channels, int row,
                   int start) {
  const int columns = static_cast<int>(units[row].size());
  double size = 0, sureness = 0;  // squared, over the channels
  double largest = 0;
  int channel = -1;  // the one shifted most
  for (int c = 0; c < channels; ++c) {
    // A channel clipped where it would be shifted tells nothing.
    if (std::max(ShareClipped(units, row, c, start, columns),
                 ShareClipped(units, row + 1, c, 0, start)) > 0.3) {
      continue;
    }
    const Step above = StepAcross(units, row, c, start, columns);
    const Step below = StepAcross(units, row + 1, c, 0, start);
    // The damaged units themselves, right of the start, and colours
    // clipped at black or white make the two differ somewhat.
    const double apart = std::abs(above.size - below.size);
    const double larger = std::max(std::abs(above.size), std::abs(below.size));
    const double error = std::hypot(above.error, below.error);
    if (apart > 1.5 * error + 0.35 * larger) return false;
    const double shift = (above.size + below.size) / 2;
    if (std::abs(shift) > 1.5 * error && above.size * below.size <= 0) return false;
    size += shift * shift;
    sureness += (shift / (error / 2)) * (shift / (error / 2));
    if (std::abs(shift) > largest) largest = std::abs(shift), channel = c;
  }
  if (channel < 0 || size < kLeastShift * kLeastShift ||
      sureness < kLeastSureness * kLeastSureness) {
    return false;
  }
  const double shift = (StepAcross(units, row, channel, start, columns).size +
                        StepAcross(units, row + 1, channel, 0, start).size) /
                       2;
  // The units right after the start are the damaged ones themselves; the
  // last column may be a part of a unit.
  constexpr int kDamaged = 3;
  return ShareShifted(units, row, channel, start + kDamaged, columns - 1, shift) >= kLeastShare &&
         ShareShifted(units, row + 1, channel, 0, start, shift) >= kLeastShare;
}

}  // namespace

bool ShowsShiftedBand(const vips::VImage& picture, double unit_width, double unit_height) {
  // Units of less than two pixels each way no longer keep the shift apart.
  if (unit_width < 2 || unit_height < 2) return false;
  const Pixels p(picture);
  const auto units = UnitAverages(p, unit_width, unit_height);
  const int rows = static_cast<int>(units.size());
  const int columns = rows > 0 ? static_cast<int>(units[0].size()) : 0;
  if (rows < 5 || columns < 2 * kLeastUnits) return false;
  // A quick look first, with running sums of the differences down each
  // boundary (cut off, so that an edge or a damaged unit weighs little):
  // the start on each row where the boundary above steps right of it and
  // the boundary below left of it, most alike. Only that one is looked at
  // closely.
  constexpr double kCutOff = 40;
  std::vector<std::array<std::vector<double>, kChannels>> sums(rows);
  for (int r = 1; r < rows; ++r) {
    for (int c = 0; c < kChannels; ++c) {
      std::vector<double>& sum = sums[r][c];
      sum.assign(columns + 1, 0);
      for (int j = 0; j < columns; ++j) {
        const double d = units[r][j][c] - units[r - 1][j][c];
        sum[j + 1] = sum[j] + std::clamp(d, -kCutOff, kCutOff);
      }
    }
  }
  auto mean = [&](int r, int c, int from, int to) {
    return (sums[r][c][to] - sums[r][c][from]) / (to - from);
  };
  // Rows with a row of units on each side beyond the two boundaries.
  for (int r = 2; r + 2 < rows; ++r) {
    int best_start = -1;
    double best = 0;
    for (int start = kLeastUnits; start <= columns - kLeastUnits; ++start) {
      double alike = 0;
      for (int c = 0; c < kChannels; ++c) {
        const double above = mean(r, c, start, columns) - mean(r, c, 0, start);
        const double below = mean(r + 1, c, 0, start) - mean(r + 1, c, start, columns);
        if (above * below > 0) alike += std::min(std::abs(above), std::abs(below));
      }
      // Too small a step to be a shift looked for.
      if (alike < kLeastShift / 2) continue;
      // Averages of a few units vary more: weighed by how many there are.
      alike /= std::sqrt(1.0 / start + 1.0 / (columns - start));
      if (alike > best) best = alike, best_start = start;
    }
    if (best_start >= 0 && ShiftStartsAt(units, std::min(p.bands, kChannels), r, best_start))
      return true;
  }
  return false;
}

}  // namespace lumivane
