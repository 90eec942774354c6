#include "image/win32/image_object.h"

#include <olectl.h>

#include <algorithm>
#include <new>

#include "image/picture_headers.h"

namespace dfx::win32 {

namespace {

constexpr wchar_t CaptureFailedText[] =
    L"ピクセル情報の取得に失敗。与えられたHBITMAPが新規DCに結合できない。";
constexpr wchar_t CaptureFailedCaption[] = L"エラー";

// The header bytes that say a BMP's size: file header, then the size fields of either
// info header form.
constexpr DWORD BmpHeaderBytes = 26;

bool ReadExactly(HANDLE file, void* buffer, DWORD count) {
  DWORD got = 0;
  return ReadFile(file, buffer, count, &got, nullptr) && got == count;
}

PictureKind DetectKindOf(HANDLE file) {
  uint8_t first[8] = {};
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  DWORD got = 0;
  if (!ReadFile(file, first, sizeof first, &got, nullptr)) got = 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  return DetectKind(first);
}

}  // namespace

int32_t HiMetricToPixels(int32_t himetric, int32_t dotsPerInch) {
  return MulDiv(himetric, dotsPerInch, 2540);
}

// --- PictureLoader -------------------------------------------------------------

int32_t PictureLoader::Load(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  opened = file != INVALID_HANDLE_VALUE;
  if (!opened) return 0;
  Release();
  kind = DetectKindOf(file);
  int32_t result = 0;
  switch (kind) {
    case PictureKind::Bmp: {
      // The platform loader trusts the header's size; refuse absurd ones first.
      uint8_t header[BmpHeaderBytes] = {};
      bool sane = ReadExactly(file, header, sizeof header) &&
                  PeekPictureSize(PictureKind::Bmp, header, sizeof header).has_value();
      CloseHandle(file);
      return sane ? LoadBmp(path) : 0;
    }
    case PictureKind::Png: result = ReadPngSize(file); break;
    case PictureKind::Jpeg:
    case PictureKind::Gif: result = LoadOlePicture(file); break;
    case PictureKind::None: break;
  }
  CloseHandle(file);
  return result;
}

int32_t PictureLoader::LoadBmp(const char* path) {
  HANDLE h = LoadImageA(GetModuleHandleA(nullptr), path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  if (!h) return 0;
  bitmap = static_cast<HBITMAP>(h);
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info)) {
    width = info.bmWidth;
    height = info.bmHeight;
  }
  return 1;
}

int32_t PictureLoader::ReadPngSize(HANDLE file) {
  uint8_t field[8] = {};
  SetFilePointer(file, 16, nullptr, FILE_BEGIN);
  DWORD got = 0;
  if (!ReadFile(file, field, sizeof field, &got, nullptr)) got = 0;
  auto be32 = [](const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
  };
  width = static_cast<int32_t>(be32(field));
  height = static_cast<int32_t>(be32(field + 4));
  return 0;
}

int32_t PictureLoader::LoadOlePicture(HANDLE file) {
  DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE || size == 0 || size > MaxPictureFileBytes) return 0;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!block) return 0;
  void* bytes = GlobalLock(block);
  bool read = bytes && ReadExactly(file, bytes, size);
  // The OLE decoders size their bitmap from the header; look at it before they do.
  bool sane = read && PeekPictureSize(kind, static_cast<const uint8_t*>(bytes), size).has_value();
  if (bytes) GlobalUnlock(block);
  if (!sane) {
    GlobalFree(block);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    return 0;
  }

  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
    GlobalFree(block);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    return 0;
  }
  void* loaded = nullptr;
  if (FAILED(OleLoadPicture(stream, static_cast<LONG>(size), TRUE, IID_IPicture, &loaded))) loaded = nullptr;
  picture = static_cast<IPicture*>(loaded);
  stream->Release();

  int32_t result = 0;
  if (picture) {
    SHORT type = PICTYPE_UNINITIALIZED;
    if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP) {
      result = 1;
      OLE_XSIZE_HIMETRIC w = 0;
      OLE_YSIZE_HIMETRIC h = 0;
      picture->get_Width(&w);
      picture->get_Height(&h);
      HDC screen = GetDC(nullptr);
      width = HiMetricToPixels(w, GetDeviceCaps(screen, LOGPIXELSX));
      height = HiMetricToPixels(h, GetDeviceCaps(screen, LOGPIXELSY));
      ReleaseDC(nullptr, screen);
    }
  }
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  return result;
}

HBITMAP PictureLoader::BitmapHandle() const {
  switch (kind) {
    case PictureKind::Bmp: return bitmap;
    case PictureKind::Jpeg:
    case PictureKind::Gif: {
      if (!picture) return nullptr;
      OLE_HANDLE h = 0;
      if (FAILED(picture->get_Handle(&h))) return nullptr;
      // OLE hands GDI handles out as 32 bits; they widen by sign extension.
      return static_cast<HBITMAP>(LongToHandle(static_cast<LONG>(h)));
    }
    default: return nullptr;
  }
}

void PictureLoader::Release() {
  if (bitmap) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  if (picture && (kind == PictureKind::Jpeg || kind == PictureKind::Gif)) picture->Release();
  picture = nullptr;
  kind = PictureKind::None;
  width = 0;
  height = 0;
}

// --- SurfaceBinding ------------------------------------------------------------

SurfaceBinding::SurfaceBinding(WindowSurfaces* s) : heap(HeapCreate(0, 0, 0)), surfaces(s) {}

SurfaceBinding::~SurfaceBinding() {
  if (heap) HeapDestroy(heap);
}

void SurfaceBinding::BindToWindow() {
  if (!surfaces) return;
  window = surfaces->window.load();
  backBufferDc = surfaces->backBufferDc.load();
  bound = 1;
}

// --- ImageObject ---------------------------------------------------------------

ImageObject::ImageObject(WindowSurfaces* s) : SurfaceBinding(s), loader(new PictureLoader) {
  InitializeCriticalSection(&lock);
  stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

ImageObject::~ImageObject() {
  StopCapture();
  ReleasePicture();
  DeleteCriticalSection(&lock);
  delete loader;
  if (stopEvent) CloseHandle(stopEvent);
}

int32_t ImageObject::Load(const char* path) {
  int32_t r = loader->Load(path);
  HBITMAP h = loader->BitmapHandle();
  if (r == 1) {
    AttachBitmap(h);
  } else if (loader->opened) {
    // The loader has already let go of the old picture, so its handle is dead.
    bitmap = nullptr;
  }
  return r;
}

void ImageObject::AttachBitmap(HBITMAP h) {
  ReleasePicture();
  bitmap = h;
  StartCapture(h);
}

int32_t ImageObject::BitmapWidth() const {
  BITMAP info{};
  return bitmap && GetObjectA(bitmap, sizeof info, &info) ? info.bmWidth : 0;
}

int32_t ImageObject::BitmapHeight() const {
  BITMAP info{};
  return bitmap && GetObjectA(bitmap, sizeof info, &info) ? info.bmHeight : 0;
}

int32_t ImageObject::Draw(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop, HDC dc) {
  if (!bitmap) return 0;
  if (rop == 0) rop = RopSrcCopy;
  int32_t bw = BitmapWidth();
  int32_t bh = BitmapHeight();
  ResolveDrawSize(width, height, bw, bh);

  HDC target = dc ? dc : GetDC(window);
  if (!target) return 0;
  HDC memory = CreateCompatibleDC(target);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  // Both writes under the back buffer's lock: a paint between them would copy the
  // old back buffer over what was just drawn on the window.
  std::unique_lock<std::mutex> backGuard;
  if (bound == 1 && !dc && surfaces) backGuard = std::unique_lock<std::mutex>(surfaces->backBufferLock);
  SetStretchBltMode(target, COLORONCOLOR);
  int32_t result = StretchBlt(target, x, y, width, height, memory, 0, 0, bw, bh, rop);
  if (backGuard.owns_lock()) {
    // Only while the window's back buffer still exists: after WM_DESTROY the handle is gone.
    if (backBufferDc && surfaces->backBufferDc.load() == backBufferDc) {
      SetStretchBltMode(backBufferDc, COLORONCOLOR);
      StretchBlt(backBufferDc, x, y, width, height, memory, 0, 0, bw, bh, rop);
    }
  }
  if (previous) SelectObject(memory, previous);
  DeleteDC(memory);
  if (!dc) ReleaseDC(window, target);
  return result;
}

int32_t ImageObject::SetCaptureDelay(int32_t ms) {
  if (captureThread && WaitForSingleObject(captureThread, 0) == WAIT_TIMEOUT) return 0;
  captureDelay.store(ms);
  return 1;
}

void ImageObject::SetCaptureReady(int32_t flag) {
  EnterCriticalSection(&lock);
  captureReady = flag;
  LeaveCriticalSection(&lock);
}

int32_t ImageObject::CaptureReady() {
  EnterCriticalSection(&lock);
  int32_t flag = captureReady;
  LeaveCriticalSection(&lock);
  return flag;
}

void ImageObject::WaitForCapture() const {
  if (captureThread) WaitForSingleObject(captureThread, INFINITE);
}

void ImageObject::StopCapture() {
  if (!captureThread) return;
  if (stopEvent) SetEvent(stopEvent);
  WaitForSingleObject(captureThread, INFINITE);
  CloseHandle(captureThread);
  captureThread = nullptr;
  captureThreadId = 0;
  if (stopEvent) ResetEvent(stopEvent);
}

void ImageObject::ReleasePicture() {
  // The worker first: it could report its pass right after the flag was cleared.
  StopCapture();
  SetCaptureReady(0);
  if (pixels) {
    HeapFree(heap, 0, pixels);
    pixels = nullptr;
  }
  bitmap = nullptr;
}

void ImageObject::StartCapture(HBITMAP src) {
  if (captureDelay.load() < 0) return;
  int32_t w = BitmapWidth();
  int32_t h = BitmapHeight();

  HDC windowDc = GetDC(window);
  HDC from = CreateCompatibleDC(windowDc);
  HDC to = CreateCompatibleDC(windowDc);
  HBITMAP copy = CreateCompatibleBitmap(windowDc, w, h);
  HGDIOBJ previousFrom = SelectObject(from, src);
  if (!previousFrom) {
    MessageBoxW(window, CaptureFailedText, CaptureFailedCaption, MB_ICONERROR | MB_OK);
  }
  HGDIOBJ previousTo = SelectObject(to, copy);
  BitBlt(to, 0, 0, w, h, from, 0, 0, SRCCOPY);
  if (previousFrom) SelectObject(from, previousFrom);
  if (previousTo) SelectObject(to, previousTo);
  DeleteDC(from);
  DeleteDC(to);
  ReleaseDC(window, windowDc);

  captureCopy = copy;
  captureWidth = w;
  captureHeight = h;
  captureWindow = window;
  captureThread = CreateThread(nullptr, 0, CaptureWorker, this, 0, &captureThreadId);
  if (!captureThread) {
    DeleteObject(captureCopy);
    captureCopy = nullptr;
  }
}

DWORD WINAPI ImageObject::CaptureWorker(LPVOID param) {
  auto* self = static_cast<ImageObject*>(param);
  HBITMAP copy = self->captureCopy;
  if (self->pixels) {
    HeapFree(self->heap, 0, self->pixels);
    self->pixels = nullptr;
  }
  const int32_t w = self->captureWidth;
  const int32_t h = self->captureHeight;
  self->pixels =
      static_cast<uint32_t*>(HeapAlloc(self->heap, HEAP_ZERO_MEMORY, size_t(w) * size_t(h) * 4 + 4));

  HDC windowDc = GetDC(self->captureWindow);
  HDC memory = CreateCompatibleDC(windowDc);
  HGDIOBJ previous = SelectObject(memory, copy);
  bool stopped = false;
  for (int32_t y = 0; y < h && self->pixels; ++y) {
    for (int32_t x = 0; x < w; ++x) self->pixels[size_t(y) * size_t(w) + size_t(x)] = GetPixel(memory, x, y);
    int32_t delay = std::max<int32_t>(0, self->captureDelay.load());
    if (delay == 0) Sleep(0);
    if (WaitForSingleObject(self->stopEvent, static_cast<DWORD>(delay)) == WAIT_OBJECT_0) {
      stopped = true;
      break;
    }
  }
  if (previous) SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(self->captureWindow, windowDc);
  DeleteObject(copy);
  self->captureCopy = nullptr;
  // Without its pixel buffer the pass read nothing, so there is nothing to report.
  if (stopped || !self->pixels) return 1;
  self->SetCaptureReady(1);
  return 0;
}

}  // namespace dfx::win32
