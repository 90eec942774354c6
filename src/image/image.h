// What the LCD and the board display see of a picture: load it from a file, bind it
// to the host window and its back buffer, and draw it. Each platform provides its
// own image object behind this interface (GDI on Windows, pixel surfaces elsewhere).
#pragma once
#include <cstdint>
#include <memory>

namespace dfx {

// Raster operations as the platform defines them; 0 passed to Draw means RopSrcCopy.
constexpr uint32_t RopSrcCopy = 0x00CC0020;
constexpr uint32_t RopSrcPaint = 0x00EE0086;   // OR
constexpr uint32_t RopSrcAnd = 0x008800C6;     // AND
constexpr uint32_t RopSrcInvert = 0x00660046;  // XOR
constexpr uint32_t RopNotSrcCopy = 0x00330008;
constexpr uint32_t RopBlackness = 0x00000042;
constexpr uint32_t RopWhiteness = 0x00FF0062;

enum class PictureKind : uint32_t { None = 0, Bmp = 1, Jpeg = 2, Gif = 3, Png = 4 };

// Kind of a file from its first bytes (missing bytes count as 0).
PictureKind DetectKind(const uint8_t firstBytes[8]);

// Size of a draw: both <= 0 give the bitmap's size, one <= 0 is derived from the other
// by the bitmap's aspect ratio (truncated), both > 0 stretch.
void ResolveDrawSize(int32_t& width, int32_t& height, int32_t bw, int32_t bh);

class Image {
 public:
  virtual ~Image() = default;

  // 1 when a drawable picture was loaded, 0 otherwise. A file that cannot be opened
  // keeps the previous picture; an openable file that fails leaves the object empty.
  virtual int32_t Load(const char* path) = 0;
  // Binds to the host window and its back buffer; draws then reach both.
  virtual void BindToWindow() = 0;
  // Draws into the window (and the back buffer when bound); 0 when nothing was drawn.
  virtual int32_t Draw(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop) = 0;
  int32_t Draw(int32_t x, int32_t y, uint32_t rop) { return Draw(x, y, 0, 0, rop); }

  virtual int32_t BitmapWidth() const = 0;
  virtual int32_t BitmapHeight() const = 0;
  // 1 = stored, 0 = refused because a capture pass is still running.
  virtual int32_t SetCaptureDelay(int32_t ms) = 0;
};

// Makes the empty image objects of one platform, bindable to one window. The host
// is one; the LCD is given it, so it draws without knowing the window.
class ImageFactory {
 public:
  virtual ~ImageFactory() = default;
  virtual std::unique_ptr<Image> CreateImage() = 0;
};

}  // namespace dfx
