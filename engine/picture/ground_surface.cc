#include "engine/picture/ground_surface.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lumivane {
namespace {

constexpr size_t kTerms = 6;
constexpr int kRounds = 3;
// The share of the rim the ground must hold: a product may touch the rim,
// a photograph's rim is no plain colour.
constexpr double kGroundShare = 0.6;

struct Sample {
  int x, y;
  std::array<double, 3> colour;
};

// The least-squares coefficients of `terms` for the kept samples' channel
// (normal equations, solved with partial pivoting); none when too few.
std::optional<std::array<double, kTerms>> Fitted(
    const std::vector<std::array<double, kTerms>>& terms, const std::vector<Sample>& samples,
    const std::vector<bool>& kept, int channel) {
  std::array<std::array<double, kTerms + 1>, kTerms> m{};
  for (size_t s = 0; s < samples.size(); ++s) {
    if (!kept[s]) continue;
    for (size_t i = 0; i < kTerms; ++i) {
      for (size_t j = 0; j < kTerms; ++j) m[i][j] += terms[s][i] * terms[s][j];
      m[i][kTerms] += terms[s][i] * samples[s].colour[channel];
    }
  }
  for (size_t col = 0; col < kTerms; ++col) {
    size_t pivot = col;
    for (size_t r = col + 1; r < kTerms; ++r) {
      if (std::abs(m[r][col]) > std::abs(m[pivot][col])) pivot = r;
    }
    if (std::abs(m[pivot][col]) < 1e-9) return std::nullopt;
    std::swap(m[col], m[pivot]);
    for (size_t r = 0; r < kTerms; ++r) {
      if (r == col) continue;
      const double f = m[r][col] / m[col][col];
      for (size_t c = col; c <= kTerms; ++c) m[r][c] -= f * m[col][c];
    }
  }
  std::array<double, kTerms> a{};
  for (size_t i = 0; i < kTerms; ++i) a[i] = m[i][kTerms] / m[i][i];
  return a;
}

// Pixels of the rim's band, evenly spread, a few thousand at most.
std::vector<Sample> RimSamples(const Pixels& p) {
  const int band = std::max(1, std::min(p.width, p.height) / 100);
  const int step = std::max(1, (p.width + p.height) / 1000);
  std::vector<Sample> samples;
  auto take = [&](int x, int y) {
    const unsigned char* at = p.At(x, y);
    samples.push_back({x, y, {double(at[0]), double(at[1]), double(at[2])}});
  };
  for (int d = 0; d < band; d += std::max(1, band / 3)) {
    for (int x = 0; x < p.width; x += step) take(x, d), take(x, p.height - 1 - d);
    for (int y = band; y < p.height - band; y += step) take(d, y), take(p.width - 1 - d, y);
  }
  return samples;
}

double Median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

}  // namespace

GroundSurface::Terms GroundSurface::TermsAt(int x, int y) const {
  const double u = x / width_ - 0.5, v = y / height_ - 0.5;
  return {1, u, v, u * u, v * v, u * v};
}

std::array<double, 3> GroundSurface::At(int x, int y) const {
  const Terms t = TermsAt(x, y);
  std::array<double, 3> colour{};
  for (int c = 0; c < 3; ++c) {
    for (size_t i = 0; i < kTerms; ++i) colour[c] += channel_[c][i] * t[i];
  }
  return colour;
}

void GroundSurface::Row(int y, std::vector<std::array<double, 3>>& row) const {
  // Along a row the surface is a parabola in u: its three coefficients once.
  const double v = y / height_ - 0.5;
  std::array<std::array<double, 3>, 3> k{};
  for (int c = 0; c < 3; ++c) {
    const Terms& a = channel_[c];
    k[c] = {a[0] + a[2] * v + a[4] * v * v, a[1] + a[5] * v, a[3]};
  }
  row.resize(static_cast<size_t>(width_));
  for (size_t x = 0; x < row.size(); ++x) {
    const double u = x / width_ - 0.5;
    for (int c = 0; c < 3; ++c) row[x][c] = k[c][0] + (k[c][1] + k[c][2] * u) * u;
  }
}

std::optional<GroundSurface> GroundSurface::OfRim(const Pixels& p, int tolerance) {
  if (p.width < 8 || p.height < 8 || p.bands < 3) return std::nullopt;
  GroundSurface g;
  g.width_ = p.width, g.height_ = p.height;
  const std::vector<Sample> samples = RimSamples(p);
  std::vector<Terms> terms;
  for (const Sample& s : samples) terms.push_back(g.TermsAt(s.x, s.y));
  // First the rim's middle colour, loosely; then the surface through what
  // lies near it, and again through what lies near the surface (a sweep
  // that spans more than the tolerance is taken in a round at a time).
  std::array<double, 3> middle{};
  for (int c = 0; c < 3; ++c) {
    std::vector<double> values;
    for (const Sample& s : samples) values.push_back(s.colour[c]);
    middle[c] = Median(values);
  }
  auto off = [&](const Sample& s, const std::array<double, 3>& ground) {
    double most = 0;
    for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(s.colour[c] - ground[c]));
    return most;
  };
  std::vector<bool> kept(samples.size());
  for (size_t s = 0; s < samples.size(); ++s) kept[s] = off(samples[s], middle) <= 2 * tolerance;
  size_t held = 0;
  for (int round = 0; round < kRounds; ++round) {
    for (int c = 0; c < 3; ++c) {
      const auto a = Fitted(terms, samples, kept, c);
      if (!a) return std::nullopt;
      g.channel_[c] = *a;
    }
    held = 0;
    for (size_t s = 0; s < samples.size(); ++s) {
      kept[s] = off(samples[s], g.At(samples[s].x, samples[s].y)) <= tolerance;
      held += kept[s];
    }
  }
  if (held < kGroundShare * samples.size()) return std::nullopt;
  return g;
}

}  // namespace lumivane
