// The portable image object: a picture file decoded into a pixel surface, drawn by
// nearest-pixel stretching into the host's window and back-buffer surfaces, and read
// back pixel by pixel on a worker thread after every load.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "image/image.h"
#include "image/portable/pixel_surface.h"

namespace dfx::portable {

// What a host hands its image objects: the surfaces standing in for the window's
// device context and the back buffer. The host fills them in when its window exists;
// BindToWindow copies whatever they hold at that moment.
struct WindowSurfaces {
  DrawTarget* window = nullptr;
  DrawTarget* backBuffer = nullptr;
};

// Stand-in for a private heap: owns the blocks handed out, frees them on request or
// all at once when it goes away.
class PrivateHeap {
 public:
  // Zero-filled, or null when the memory is not there.
  uint32_t* Allocate(size_t count);
  void Free(uint32_t* block);

 private:
  std::vector<std::unique_ptr<uint32_t[]>> blocks_;
};

// Nearest-pixel stretch of the whole of src onto the rectangle (x, y, width, height)
// of dst with a raster operation, clipped to dst. Returns nonzero, as the platform's
// stretch copy does on success. Raster operations are evaluated from their truth
// table with a white pattern (a device context's default brush), so every code is
// computed; the common ones take a direct path.
int32_t StretchCopy(const PixelSurface& src, PixelSurface& dst, int32_t x, int32_t y, int32_t width,
                    int32_t height, uint32_t rop);
// One pixel of a raster operation (source, destination; 0x00RRGGBB).
uint32_t ApplyRop(uint32_t rop, uint32_t src, uint32_t dst);

class PictureLoader {
 public:
  ~PictureLoader() { Release(); }

  // 1 when the file held a decodable BMP, GIF or JPEG. A file that cannot be opened
  // changes nothing; any other failure leaves the loader released.
  int32_t Load(const char* path);
  // The bitmap to draw for the current kind, or null.
  PixelSurface* BitmapHandle();
  void Release();

  int32_t width = 0;
  int32_t height = 0;
  PictureKind kind = PictureKind::None;
  std::unique_ptr<PixelSurface> picture;  // GIF and JPEG
  std::unique_ptr<PixelSurface> bitmap;   // BMP

 private:
  int32_t LoadBmp(const std::vector<uint8_t>& bytes);
  void ReadPngSize(const std::vector<uint8_t>& bytes);
  int32_t LoadDecodedPicture(const std::vector<uint8_t>& bytes);
};

struct SurfaceBinding {
  std::unique_ptr<PrivateHeap> heap = std::make_unique<PrivateHeap>();
  PixelSurface* bitmap = nullptr;
  DrawTarget* window = nullptr;
  DrawTarget* backBufferDc = nullptr;
  uint32_t bound = 0;
};

class ImageObject : public Image, protected SurfaceBinding {
 public:
  // The host's surfaces must outlive the object.
  explicit ImageObject(const WindowSurfaces* host);
  ~ImageObject() override;
  ImageObject(const ImageObject&) = delete;
  ImageObject& operator=(const ImageObject&) = delete;

  int32_t Load(const char* path) override;
  void BindToWindow() override;
  using Image::Draw;
  int32_t Draw(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop) override;
  // With dc set, draws only there; the back buffer is left alone even when bound.
  int32_t Draw(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop, DrawTarget* dc);
  int32_t BitmapWidth() const override;
  int32_t BitmapHeight() const override;
  int32_t SetCaptureDelay(int32_t ms) override;

  void AttachBitmap(PixelSurface* h);
  void ReleasePicture();
  void StartCapture(PixelSurface* src);
  void SetCaptureReady(int32_t flag);

  // For tests and tools: the capture result (0x00BBGGRR, row-major) and its flag.
  // Pixels are only stable once CaptureReady() is 1.
  int32_t CaptureReady();
  const uint32_t* Pixels() const { return pixels; }
  bool CaptureRunning() const { return captureRunning.load(); }
  const PictureLoader& Loader() const { return *loader; }

 private:
  static void CaptureWorker(ImageObject* self);
  void StopCapture();
  // Sleeps between rows; returns false when asked to stop.
  bool CaptureSleep(int32_t ms);

  const WindowSurfaces* host_;
  std::unique_ptr<PictureLoader> loader = std::make_unique<PictureLoader>();
  uint32_t* pixels = nullptr;
  int32_t captureReady = 0;
  std::mutex lock;
  std::thread captureThread;
  std::thread::id captureThreadId;
  std::unique_ptr<PixelSurface> captureCopy;
  std::atomic<int32_t> captureDelay{0};

  std::atomic<bool> captureRunning{false};
  std::mutex stopMutex;
  std::condition_variable stopSignal;
  bool stopRequested = false;
};

}  // namespace dfx::portable
