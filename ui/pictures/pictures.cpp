// Drawing and encoding of the program's pictures. Only +, -, *, / and sqrt touch floating point, so
// every compiler rounds the same way (with SSE2 on 32-bit x86: pictures.cmake) and the bytes never
// change between builds.
#include "ui/pictures/pictures.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <utility>

namespace zelvane::pictures {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::uint32_t U32(std::size_t value) { return static_cast<std::uint32_t>(value); }
std::uint32_t U32(int value) { return static_cast<std::uint32_t>(value); }

// Bytes in one stored row of `width` pixels at `bitCount` bits each.
std::size_t RowBytes(int width, int bitCount) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32 * 4;
}

void PutInfoHeader(std::vector<std::uint8_t>& out, int width, int height, int bitCount, std::size_t imageBytes) {
    Put32(out, 40);
    Put32(out, U32(width));
    Put32(out, U32(height));
    Put16(out, 1);
    Put16(out, U32(bitCount));
    Put32(out, 0);  // no compression
    Put32(out, U32(imageBytes));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
}

// A 32-bit linear congruential generator: the same numbers from a fixed start value on every platform.
class Random {
public:
    explicit Random(std::uint32_t start) : state_(start) {}
    std::uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
    double Unit() { return static_cast<double>(Next() & 0xFFFF) / 65536.0; }

private:
    std::uint32_t state_;
};

struct Colour {
    double r = 0, g = 0, b = 0;
};

Colour operator*(Colour c, double k) { return {c.r * k, c.g * k, c.b * k}; }
Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour Mix(Colour a, Colour b, double t) { return a * (1 - t) + b * t; }

std::uint8_t Channel(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); }
Rgb ToRgb(Colour c) { return {Channel(c.r), Channel(c.g), Channel(c.b)}; }
Colour FromRgb(Rgb c) { return {c.r / 255.0, c.g / 255.0, c.b / 255.0}; }

void Blend(Image& image, int x, int y, Colour c, double alpha) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height() || alpha <= 0) return;
    image.at(x, y) = ToRgb(Mix(FromRgb(image.at(x, y)), c, std::min(alpha, 1.0)));
}

// ---- The starship ----

// Position along and across a capsule from `a` to `b`: t in [0, 1] along it, d the distance from
// its axis over its radius (negative on one side). Nothing when the point lies outside.
struct CapsuleHit {
    double t, d;
};
std::optional<CapsuleHit> InCapsule(double u, double v, double au, double av, double bu, double bv, double radius) {
    const double du = bu - au, dv = bv - av;
    const double t = std::clamp(((u - au) * du + (v - av) * dv) / (du * du + dv * dv), 0.0, 1.0);
    const double pu = u - au - t * du, pv = v - av - t * dv;
    const double dist = std::sqrt(pu * pu + pv * pv);
    if (dist > radius) return std::nullopt;
    const double side = (pu * dv - pv * du) >= 0 ? 1.0 : -1.0;
    return CapsuleHit{t, side * dist / radius};
}

// Light on a surface point whose normal leans by (nu, nv) from straight up, with a small highlight.
double Lit(double nu, double nv) {
    const double nz = std::sqrt(std::max(0.0, 1 - nu * nu - nv * nv));
    const double lu = -0.48, lv = -0.56, lz = 0.675;  // unit vector towards the light
    const double diffuse = std::max(0.0, nu * lu + nv * lv + nz * lz);
    double highlight = std::max(0.0, nu * -0.25 + nv * -0.29 + nz * 0.924);
    for (int i = 0; i < 5; ++i) highlight *= highlight;
    return 0.22 + 0.8 * diffuse + 0.35 * highlight;
}

// The ship in its own frame: u runs from bow (negative) to stern, v across; parts nearer the
// viewer are tested first.
std::optional<Colour> ShipAt(double u, double v) {
    const Colour hull{0.80, 0.81, 0.84}, grille{0.52, 0.64, 0.95}, bussard{0.95, 0.38, 0.22};
    for (const double side : {-1.0, 1.0}) {
        if (auto n = InCapsule(u, v, 4, side * 23, 54, side * 23, 5.0)) {
            const bool grilleHere = n->t > 0.2 && n->t < 0.85 && std::abs(n->d) < 0.35;
            return (n->t < 0.06 ? bussard : grilleHere ? grille : hull) * Lit(0, n->d * 0.9);
        }
    }
    const double su = (u + 22) / 29, sv = v / 29;
    const double sr = std::sqrt(su * su + sv * sv);
    if (sr <= 1) {
        const bool ring = std::abs(sr - 0.45) < 0.035 || std::abs(sr - 0.86) < 0.03;
        const Colour base = sr < 0.14 ? Colour{1.0, 1.0, 1.0}
                            : ring    ? Colour{0.62, 0.63, 0.67}
                                      : Colour{0.90, 0.90, 0.92};
        return base * Lit(su * 0.45, sv * 0.45);
    }
    for (const double side : {-1.0, 1.0}) {
        if (auto n = InCapsule(u, v, 16, side * 4, 28, side * 21, 2.0)) return hull * Lit(0, n->d * 0.6) * 0.9;
    }
    if (auto n = InCapsule(u, v, -6, 0, 10, 0, 3.6)) return hull * Lit(0, n->d * 0.8) * 0.85;
    if (auto n = InCapsule(u, v, 4, 0, 38, 0, 7.0 - 1.5 * std::max(0.0, (u - 24) / 14))) {
        return (u > 35 ? Colour{0.55, 0.56, 0.60} : hull) * Lit(0, n->d * 0.9);
    }
    return std::nullopt;
}

Image DrawSpaceship() {
    Image image(160, 120);
    Random random(20030611u);
    for (int i = 0; i < 120; ++i) {
        const int x = random.Below(160), y = random.Below(120), level = random.Below(256);
        const double bright = (40 + level * level / 300) / 255.0;
        Blend(image, x, y, {bright, bright, bright}, 1);
        if (i % 16 == 0) {
            for (const auto& [dx, dy] : std::initializer_list<std::pair<int, int>>{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                Blend(image, x + dx, y + dy, {bright, bright, bright}, 0.35);
            }
        }
    }

    // The ship's frame on screen: +u points right and down, the width is foreshortened by the tilt.
    const double au = 0.917, av = 0.399;  // unit vector of +u on screen
    const double centreX = 60, centreY = 60, tilt = 0.62;
    constexpr int kSamples = 4;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            Colour sum;
            int covered = 0;
            for (int s = 0; s < kSamples * kSamples; ++s) {
                const double px = x + (s % kSamples + 0.5) / kSamples - centreX;
                const double py = y + (s / kSamples + 0.5) / kSamples - centreY;
                if (auto c = ShipAt(px * au + py * av, (py * au - px * av) / tilt)) {
                    sum = sum + *c;
                    ++covered;
                }
            }
            if (covered > 0) Blend(image, x, y, sum * (1.0 / covered), covered / double(kSamples * kSamples));
        }
    }
    return image;
}

// ---- The sample map ----

void Disc(Image& image, double cx, double cy, double radius, Colour base) {
    for (int y = static_cast<int>(cy - radius) - 1; y <= static_cast<int>(cy + radius) + 1; ++y) {
        for (int x = static_cast<int>(cx - radius) - 1; x <= static_cast<int>(cx + radius) + 1; ++x) {
            const double dx = (x + 0.5 - cx) / radius, dy = (y + 0.5 - cy) / radius;
            const double dist = std::sqrt(dx * dx + dy * dy);
            const double light = dist < 1 ? Lit(dx * 0.9, dy * 0.9) : 0.22;
            Blend(image, x, y, base * light, (1 - dist) * radius + 0.5);
        }
    }
}

Image DrawSampleMap() {
    Image image(160, 160);
    const Colour navy{0.03, 0.05, 0.19}, gridLine{0.06, 0.09, 0.28};
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 160; ++x) image.at(x, y) = ToRgb(x % 20 == 0 || y % 20 == 0 ? gridLine : navy);
    }
    Random random(7001u);

    // Nebula clouds either side of the middle planet: overlapping soft blobs, lightly mottled.
    for (const double cloudX : {36.0, 124.0}) {
        struct Blob {
            double x, y, r;
        } blobs[6];
        for (Blob& blob : blobs) {
            blob = {cloudX + random.Unit() * 20 - 10, 80 + random.Unit() * 24 - 12, 7 + random.Unit() * 7};
        }
        for (int y = 56; y < 104; ++y) {
            for (int x = static_cast<int>(cloudX) - 24; x < static_cast<int>(cloudX) + 24; ++x) {
                double density = 0;
                for (const Blob& blob : blobs) {
                    const double q = ((x - blob.x) * (x - blob.x) + (y - blob.y) * (y - blob.y)) / (blob.r * blob.r);
                    if (q < 1) density += (1 - q) * (1 - q);
                }
                const Colour red = Mix({0.55, 0.05, 0.10}, {0.95, 0.25, 0.20}, std::min(density, 1.0) * 0.8);
                Blend(image, x, y, red, 0.9 * density / (density + 0.3) * (0.85 + 0.15 * random.Unit()));
            }
        }
    }

    // Asteroid belts: arcs of a wide circle, bowed away from the middle planet, with faint dust.
    for (const double bend : {1.0, -1.0}) {
        const double midY = 80 - bend * 25, circleY = midY - bend * 120;
        auto arcY = [&](double x) { return circleY + bend * std::sqrt(120.0 * 120 - (x - 80) * (x - 80)); };
        for (int x = 14; x < 146; ++x) {
            for (int y = static_cast<int>(arcY(x)) - 6; y <= static_cast<int>(arcY(x)) + 6; ++y) {
                Blend(image, x, y, {0.8, 0.5, 0.1}, 0.16 * (1 - std::abs(y + 0.5 - arcY(x + 0.5)) / 6.5));
            }
        }
        for (int i = 0; i < 240; ++i) {
            const double x = 16 + random.Unit() * 128;
            const double y = arcY(x) + (random.Unit() + random.Unit() - 1) * 7;
            const Colour rock = Mix({1.0, 0.85, 0.25}, {0.9, 0.5, 0.1}, random.Unit()) * (0.7 + 0.3 * random.Unit());
            const int px = static_cast<int>(x), py = static_cast<int>(y);
            Blend(image, px, py, rock, 1);
            if (i % 5 == 0) {
                Blend(image, px + 1, py, rock * 0.8, 1);
                Blend(image, px, py + 1, rock * 0.7, 1);
                Blend(image, px + 1, py + 1, rock * 0.6, 1);
            }
        }
    }

    for (const double y : {30.0, 80.0, 130.0}) Disc(image, 80, y, y == 80 ? 15 : 12, {0.62, 0.28, 0.82});

    // Start positions in the four corners: a cyan dot inside a ring.
    const Colour cyan{0.0, 0.9, 0.9};
    for (const double cx : {9.5, 150.5}) {
        for (const double cy : {9.5, 150.5}) {
            for (int y = static_cast<int>(cy) - 7; y <= static_cast<int>(cy) + 7; ++y) {
                for (int x = static_cast<int>(cx) - 7; x <= static_cast<int>(cx) + 7; ++x) {
                    const double dist = std::sqrt((x + 0.5 - cx) * (x + 0.5 - cx) + (y + 0.5 - cy) * (y + 0.5 - cy));
                    Blend(image, x, y, cyan, std::max(3.5 - dist, 0.85 - 1.2 * std::abs(dist - 6)));
                }
            }
        }
    }
    return image;
}

// ---- The icon ----

// A small window: dark outline, cyan caption with a close box, white body with lines of text.
IconImage WindowIcon(int size, int bitCount) {
    constexpr std::uint8_t kBlack = 0, kSilver = 7, kGrey = 8, kCyan = 14, kWhite = 15;
    const int unit = size / 16;  // 1 for 16 x 16, 2 for 32 x 32
    const int left = unit - 1, right = size - unit, top = unit, bottom = size - 1 - unit;
    const int captionBottom = top + (unit == 1 ? 4 : 8);
    const int box = unit == 1 ? 3 : 5, boxX = right - 1 - box, boxY = top + unit;
    IconImage icon{size, bitCount, {}, {}, {}};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool inside = x >= left && x <= right && y >= top && y <= bottom;
            std::uint8_t index = kBlack;
            if (inside && x > left && x < right && y > top && y < bottom) {
                const int bx = x - boxX, by = y - boxY;
                if (y < captionBottom && bx >= 0 && bx < box && by >= 0 && by < box) {
                    index = (bx == by || bx == box - 1 - by) ? kBlack : kSilver;
                } else if (y < captionBottom) {
                    index = kCyan;
                } else if (y > captionBottom) {
                    const int row = y - captionBottom;
                    const bool text = row % (2 * unit) == 0 && y < bottom - unit && x > left + unit &&
                                      x < right - unit - (row % (4 * unit) == 0 ? 3 * unit : 0);
                    index = text ? kGrey : (x == right - 1 || y == bottom - 1) ? kSilver : kWhite;
                }
            }
            if (bitCount == 1) index = (index == kWhite || index == kSilver) ? 1 : 0;
            icon.indices.push_back(inside ? index : kBlack);
            icon.transparent.push_back(!inside);
        }
    }
    icon.palette = bitCount == 1 ? std::vector<Rgb>{{0, 0, 0}, {255, 255, 255}} : VgaPalette();
    return icon;
}

}  // namespace

Image::Image(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

std::vector<std::uint8_t> EncodeBmp24(const Image& image, std::size_t trailingZeros) {
    const std::size_t rowBytes = RowBytes(image.width(), 24);
    const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(image.height()) + trailingZeros;
    std::vector<std::uint8_t> out;
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, U32(54 + imageBytes));
    Put32(out, 0);
    Put32(out, 54);
    PutInfoHeader(out, image.width(), image.height(), 24, imageBytes);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgb& p = image.at(x, y);
            out.insert(out.end(), {p.b, p.g, p.r});
        }
        out.resize(out.size() + rowBytes - static_cast<std::size_t>(image.width()) * 3, 0);
    }
    out.resize(out.size() + trailingZeros, 0);
    return out;
}

std::vector<std::uint8_t> EncodeIcon(const std::vector<IconImage>& images) {
    std::vector<std::vector<std::uint8_t>> bodies;
    for (const IconImage& icon : images) {
        const std::size_t colourRow = RowBytes(icon.size, icon.bitCount), maskRow = RowBytes(icon.size, 1);
        const std::size_t rows = static_cast<std::size_t>(icon.size);
        std::vector<std::uint8_t> body;
        PutInfoHeader(body, icon.size, 2 * icon.size, icon.bitCount, (colourRow + maskRow) * rows);
        for (const Rgb& c : icon.palette) body.insert(body.end(), {c.b, c.g, c.r, 0});
        const std::size_t colourStart = body.size(), maskStart = colourStart + colourRow * rows;
        body.resize(maskStart + maskRow * rows, 0);
        const int perByte = 8 / icon.bitCount;
        for (int y = 0; y < icon.size; ++y) {
            const std::size_t stored = static_cast<std::size_t>(icon.size - 1 - y);
            for (int x = 0; x < icon.size; ++x) {
                const std::size_t i = static_cast<std::size_t>(y * icon.size + x);
                const int shift = (perByte - 1 - x % perByte) * icon.bitCount;
                body[colourStart + stored * colourRow + static_cast<std::size_t>(x / perByte)] |=
                    static_cast<std::uint8_t>(icon.indices[i] << shift);
                if (icon.transparent[i]) {
                    body[maskStart + stored * maskRow + static_cast<std::size_t>(x / 8)] |=
                        static_cast<std::uint8_t>(0x80 >> (x % 8));
                }
            }
        }
        bodies.push_back(std::move(body));
    }

    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // icon, not cursor
    Put16(out, U32(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconImage& icon = images[i];
        out.push_back(static_cast<std::uint8_t>(icon.size));
        out.push_back(static_cast<std::uint8_t>(icon.size));
        out.push_back(static_cast<std::uint8_t>(icon.palette.size()));
        out.push_back(0);
        Put16(out, 1);
        Put16(out, U32(icon.bitCount));
        Put32(out, U32(bodies[i].size()));
        Put32(out, U32(offset));
        offset += bodies[i].size();
    }
    for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
    return out;
}

const std::vector<Rgb>& VgaPalette() {
    static const std::vector<Rgb> palette{{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                          {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                          {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                          {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    return palette;
}

std::vector<std::uint8_t> SpaceshipBmp() { return EncodeBmp24(DrawSpaceship()); }

std::vector<std::uint8_t> SampleMapBmp() { return EncodeBmp24(DrawSampleMap(), 2); }

std::vector<std::uint8_t> ProgramIcon() {
    return EncodeIcon({WindowIcon(32, 1), WindowIcon(32, 4), WindowIcon(16, 4)});
}

}  // namespace zelvane::pictures
