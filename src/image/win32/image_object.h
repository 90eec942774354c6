// Image objects on GDI: the picture loader (LoadImageA for BMP, OleLoadPicture for
// JPEG and GIF), stretched drawing into the window and its back buffer, and the
// capture worker that reads a loaded picture's pixels with GetPixel.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <ocidl.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "image/image.h"

namespace dfx::win32 {

// What the window thread shares with every image object. The lock keeps a draw into
// the back buffer apart from the paint that copies it and from its deletion when the
// window goes away (the back buffer context is null from then on).
struct WindowSurfaces {
  std::atomic<HWND> window{nullptr};
  std::atomic<HDC> backBufferDc{nullptr};
  std::mutex backBufferLock;
};

// HIMETRIC (hundredths of a millimetre) to pixels at the given dots per inch, rounded.
int32_t HiMetricToPixels(int32_t himetric, int32_t dotsPerInch);

class PictureLoader {
 public:
  PictureLoader() = default;
  PictureLoader(const PictureLoader&) = delete;
  PictureLoader& operator=(const PictureLoader&) = delete;
  ~PictureLoader() { Release(); }

  // 1 when the file gave a drawable bitmap. A file that cannot be opened changes nothing.
  int32_t Load(const char* path);
  HBITMAP BitmapHandle() const;
  void Release();

  int32_t width = 0;
  int32_t height = 0;
  PictureKind kind = PictureKind::None;
  IPicture* picture = nullptr;
  HBITMAP bitmap = nullptr;
  // Whether the last Load could open its file (and so released the previous picture).
  bool opened = false;

 private:
  int32_t LoadBmp(const char* path);
  int32_t ReadPngSize(HANDLE file);
  int32_t LoadOlePicture(HANDLE file);
};

class SurfaceBinding {
 public:
  explicit SurfaceBinding(WindowSurfaces* surfaces);
  SurfaceBinding(const SurfaceBinding&) = delete;
  SurfaceBinding& operator=(const SurfaceBinding&) = delete;
  ~SurfaceBinding();

  void BindToWindow();

 protected:
  HANDLE heap = nullptr;
  HBITMAP bitmap = nullptr;
  HWND window = nullptr;
  HDC backBufferDc = nullptr;
  uint32_t bound = 0;
  WindowSurfaces* surfaces;
};

class ImageObject : public Image, public SurfaceBinding {
 public:
  explicit ImageObject(WindowSurfaces* surfaces);
  ~ImageObject() override;

  int32_t Load(const char* path) override;
  void BindToWindow() override { SurfaceBinding::BindToWindow(); }
  using Image::Draw;
  int32_t Draw(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop) override {
    return Draw(x, y, width, height, rop, nullptr);
  }
  // With a device context the picture goes there only; without, to the window and,
  // once bound, to the back buffer.
  int32_t Draw(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop, HDC dc);
  int32_t BitmapWidth() const override;
  int32_t BitmapHeight() const override;
  int32_t SetCaptureDelay(int32_t ms) override;

  void AttachBitmap(HBITMAP h);
  void ReleasePicture();
  void StartCapture(HBITMAP src);
  void SetCaptureReady(int32_t flag);

  // What a capture produced: width x height colours 0x00BBGGRR, or null.
  const uint32_t* Pixels() const { return pixels; }
  int32_t CaptureReady();
  // Blocks until the current capture worker (if any) has ended.
  void WaitForCapture() const;
  const PictureLoader& Loader() const { return *loader; }

 private:
  static DWORD WINAPI CaptureWorker(LPVOID param);
  void StopCapture();

  PictureLoader* loader = nullptr;
  uint32_t* pixels = nullptr;
  int32_t captureReady = 0;
  CRITICAL_SECTION lock;
  HANDLE captureThread = nullptr;
  DWORD captureThreadId = 0;
  HBITMAP captureCopy = nullptr;
  std::atomic<int32_t> captureDelay{0};

  // Size of captureCopy and the window, fixed before the worker starts so that a
  // BindToWindow during the pass does not race with it.
  int32_t captureWidth = 0;
  int32_t captureHeight = 0;
  HWND captureWindow = nullptr;
  // Set to end a running worker between rows; the worker frees its own resources.
  HANDLE stopEvent = nullptr;
};

}  // namespace dfx::win32
