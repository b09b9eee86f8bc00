#include "app/app_icon.h"

#include <FL/Fl_RGB_Image.H>

#include <array>
#include <cstdint>

namespace {

constexpr int kSize = 32;
constexpr int kDepth = 4;  // RGBA

struct Rgba {
  std::uint8_t r, g, b, a;
};

constexpr Rgba kClear = {0, 0, 0, 0};
constexpr Rgba kTile = {246, 248, 252, 255};
constexpr Rgba kEdge = {52, 73, 110, 255};
constexpr Rgba kAxis = {90, 96, 110, 255};
constexpr Rgba kRise = {214, 48, 49, 255};
constexpr Rgba kFall = {33, 150, 83, 255};

using Pixels = std::array<std::uint8_t, kSize * kSize * kDepth>;

void Put(Pixels& pixels, int x, int y, Rgba colour) {
  if (x < 0 || y < 0 || x >= kSize || y >= kSize) return;
  std::uint8_t* p = &pixels[static_cast<std::size_t>((y * kSize + x) * kDepth)];
  p[0] = colour.r;
  p[1] = colour.g;
  p[2] = colour.b;
  p[3] = colour.a;
}

void Fill(Pixels& pixels, int left, int top, int right, int bottom, Rgba colour) {
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) Put(pixels, x, y, colour);
  }
}

Pixels DrawIcon() {
  Pixels pixels{};
  // A tile with a one-pixel edge and cut corners.
  Fill(pixels, 1, 1, 30, 30, kEdge);
  Fill(pixels, 2, 2, 29, 29, kTile);
  for (int corner : {1, 30}) {
    Put(pixels, 1, corner, kClear);
    Put(pixels, 30, corner, kClear);
  }
  // Axes.
  Fill(pixels, 5, 5, 5, 26, kAxis);
  Fill(pixels, 5, 26, 27, 26, kAxis);
  // Monday to Friday: a bar each, rising days red, falling days green.
  struct Bar {
    int height;
    Rgba colour;
  };
  const Bar bars[] = {{12, kRise}, {7, kFall}, {17, kRise}, {14, kRise}, {9, kFall}};
  int left = 8;
  for (const Bar& bar : bars) {
    Fill(pixels, left, 25 - bar.height, left + 2, 25, bar.colour);
    left += 4;
  }
  return pixels;
}

}  // namespace

const Fl_RGB_Image& AppIcon() {
  static const Pixels pixels = DrawIcon();
  // Never destroyed: an image's destructor may talk to the display, which is
  // gone by the time static objects are destroyed.
  static const Fl_RGB_Image* const image = new Fl_RGB_Image(pixels.data(), kSize, kSize, kDepth);
  return *image;
}
