#include "image/portable/image_object.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <system_error>

#include "image/portable/picture_decode.h"

namespace dfx::portable {

#ifdef __EMSCRIPTEN__
// A page served without cross-origin isolation gets no threads: the capture pass runs
// inside the load, without pauses between rows.
constexpr bool CaptureOnWorker = false;
#else
constexpr bool CaptureOnWorker = true;
#endif

uint32_t* PrivateHeap::Allocate(size_t count) {
  std::unique_ptr<uint32_t[]> block(new (std::nothrow) uint32_t[count]());
  if (!block) return nullptr;
  blocks_.push_back(std::move(block));
  return blocks_.back().get();
}

void PrivateHeap::Free(uint32_t* block) {
  if (!block) return;
  for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
    if (it->get() == block) {
      blocks_.erase(it);
      return;
    }
  }
}

// ---- PictureLoader ---------------------------------------------------------

namespace {

// Opens a regular file for reading; directories and the like count as unopenable,
// as they do for the platform's file open.
std::FILE* OpenPictureFile(const char* path) {
  if (!path) return nullptr;
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return nullptr;
  struct stat st {};
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

// Reads the whole file, but never more than one byte past the largest file we
// decode, so an oversized file is still recognised (and then refused).
std::vector<uint8_t> ReadCapped(std::FILE* f) {
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  while (bytes.size() <= MaxPictureFileBytes) {
    size_t want = std::min(sizeof chunk, MaxPictureFileBytes + 1 - bytes.size());
    size_t got = std::fread(chunk, 1, want, f);
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (got < want) break;
  }
  return bytes;
}

uint32_t Be32At(const std::vector<uint8_t>& b, size_t pos) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | (pos + i < b.size() ? b[pos + i] : 0);
  return v;
}

}  // namespace

int32_t PictureLoader::Load(const char* path) {
  std::FILE* f = OpenPictureFile(path);
  if (!f) return 0;
  Release();
  std::vector<uint8_t> bytes = ReadCapped(f);
  std::fclose(f);

  uint8_t first[8] = {};
  for (size_t i = 0; i < 8 && i < bytes.size(); ++i) first[i] = bytes[i];
  kind = DetectKind(first);
  switch (kind) {
    case PictureKind::Bmp: return LoadBmp(bytes);
    case PictureKind::Png: ReadPngSize(bytes); return 0;
    case PictureKind::Jpeg:
    case PictureKind::Gif: return LoadDecodedPicture(bytes);
    default: return 0;
  }
}

int32_t PictureLoader::LoadBmp(const std::vector<uint8_t>& bytes) {
  auto decoded = DecodePicture(PictureKind::Bmp, bytes.data(), bytes.size());
  if (!decoded) return 0;
  bitmap = std::make_unique<PixelSurface>(std::move(*decoded));
  width = bitmap->width;
  height = bitmap->height;
  return 1;
}

void PictureLoader::ReadPngSize(const std::vector<uint8_t>& bytes) {
  // Width and height of the header chunk; bytes past a short file read as 0.
  width = int32_t(Be32At(bytes, 16));
  height = int32_t(Be32At(bytes, 20));
}

int32_t PictureLoader::LoadDecodedPicture(const std::vector<uint8_t>& bytes) {
  auto decoded = DecodePicture(kind, bytes.data(), bytes.size());
  if (!decoded) return 0;
  picture = std::make_unique<PixelSurface>(std::move(*decoded));
  width = picture->width;
  height = picture->height;
  return 1;
}

PixelSurface* PictureLoader::BitmapHandle() {
  switch (kind) {
    case PictureKind::Bmp: return bitmap.get();
    case PictureKind::Jpeg:
    case PictureKind::Gif: return picture.get();
    default: return nullptr;
  }
}

void PictureLoader::Release() {
  bitmap.reset();
  picture.reset();
  kind = PictureKind::None;
  width = 0;
  height = 0;
}

// ---- ImageObject -----------------------------------------------------------

ImageObject::ImageObject(const WindowSurfaces* host) : host_(host) {}

ImageObject::~ImageObject() {
  StopCapture();
  ReleasePicture();
}

int32_t ImageObject::Load(const char* path) {
  const int32_t r = loader->Load(path);
  PixelSurface* h = loader->BitmapHandle();
  if (r == 1) {
    AttachBitmap(h);
  } else if (h == nullptr) {
    // The file was opened and the old picture released with it.
    bitmap = nullptr;
  }
  return r;
}

void ImageObject::BindToWindow() {
  if (host_) {
    window = host_->window;
    backBufferDc = host_->backBuffer;
  }
  bound = 1;
}

int32_t ImageObject::Draw(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop) {
  return Draw(x, y, width, height, rop, nullptr);
}

int32_t ImageObject::Draw(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop, DrawTarget* dc) {
  if (!bitmap) return 0;
  if (rop == 0) rop = RopSrcCopy;
  ResolveDrawSize(width, height, BitmapWidth(), BitmapHeight());
  // Unbound and without dc there is no window to draw on: nothing is drawn.
  DrawTarget* dest = dc ? dc : window;
  DrawTarget* back = (bound == 1 && !dc) ? backBufferDc : nullptr;
  // Both writes under both locks, back buffer first as a paint takes them: a paint
  // that came between them would put the old picture back on the window.
  std::unique_lock<std::mutex> backGuard;
  if (back) backGuard = std::unique_lock<std::mutex>(back->mutex);
  int32_t result = 0;
  if (dest) {
    std::unique_lock<std::mutex> guard;
    if (dest != back) guard = std::unique_lock<std::mutex>(dest->mutex);
    result = StretchCopy(*bitmap, dest->surface, x, y, width, height, rop);
    dest->dirty.store(true);
  }
  if (back) {
    StretchCopy(*bitmap, back->surface, x, y, width, height, rop);
    back->dirty.store(true);
  }
  return result;
}

int32_t ImageObject::BitmapWidth() const { return bitmap ? bitmap->width : 0; }
int32_t ImageObject::BitmapHeight() const { return bitmap ? bitmap->height : 0; }

int32_t ImageObject::SetCaptureDelay(int32_t ms) {
  if (captureThread.joinable() && captureRunning.load()) return 0;
  captureDelay.store(ms);
  return 1;
}

void ImageObject::AttachBitmap(PixelSurface* h) {
  ReleasePicture();
  bitmap = h;
  StartCapture(h);
}

void ImageObject::ReleasePicture() {
  // The worker first: it could report its pass right after the flag was cleared.
  if (captureThread.joinable()) StopCapture();
  SetCaptureReady(0);
  captureCopy.reset();
  heap->Free(pixels);
  pixels = nullptr;
  bitmap = nullptr;
}

void ImageObject::StartCapture(PixelSurface* src) {
  if (captureDelay.load() < 0 || !src) return;
  if (captureThread.joinable()) StopCapture();
  captureCopy = std::make_unique<PixelSurface>(*src);
  captureRunning.store(true);
  if (!CaptureOnWorker) {
    CaptureWorker(this);
    return;
  }
  try {
    captureThread = std::thread(CaptureWorker, this);
    captureThreadId = captureThread.get_id();
  } catch (const std::system_error&) {
    // No thread to spare: this load simply gets no capture pass.
    captureRunning.store(false);
    captureCopy.reset();
  }
}

void ImageObject::SetCaptureReady(int32_t flag) {
  std::lock_guard<std::mutex> guard(lock);
  captureReady = flag;
}

int32_t ImageObject::CaptureReady() {
  std::lock_guard<std::mutex> guard(lock);
  return captureReady;
}

void ImageObject::StopCapture() {
  if (!captureThread.joinable()) return;
  {
    std::lock_guard<std::mutex> guard(stopMutex);
    stopRequested = true;
  }
  stopSignal.notify_all();
  captureThread.join();
  captureThreadId = std::thread::id();
  captureRunning.store(false);
  std::lock_guard<std::mutex> guard(stopMutex);
  stopRequested = false;
}

bool ImageObject::CaptureSleep(int32_t ms) {
  if (!CaptureOnWorker) return true;
  std::unique_lock<std::mutex> guard(stopMutex);
  if (ms <= 0) {
    if (stopRequested) return false;
    guard.unlock();
    std::this_thread::yield();
    return true;
  }
  return !stopSignal.wait_for(guard, std::chrono::milliseconds(ms), [this] { return stopRequested; });
}

void ImageObject::CaptureWorker(ImageObject* self) {
  const PixelSurface& copy = *self->captureCopy;
  if (self->pixels) {
    self->heap->Free(self->pixels);
    self->pixels = nullptr;
  }
  const int32_t w = copy.width;
  const int32_t h = copy.height;
  self->pixels = self->heap->Allocate(size_t(w) * size_t(h));
  if (!self->pixels) {
    self->captureRunning.store(false);
    return;
  }
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t c = copy.At(x, y);
      // The platform's colour word has red in the low byte.
      self->pixels[size_t(y) * size_t(w) + size_t(x)] = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
    }
    if (!self->CaptureSleep(self->captureDelay.load())) {
      self->captureRunning.store(false);
      return;
    }
  }
  self->captureCopy.reset();
  self->SetCaptureReady(1);
  self->captureRunning.store(false);
}

}  // namespace dfx::portable
