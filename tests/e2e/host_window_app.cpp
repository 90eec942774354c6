// A tiny program around the SDL host for the real-window test:
//   host_window_app DIR ZOOM         opens the window at ZOOM (0: the default), draws a
//                                    known scene, says which threads run events and game,
//                                    prints READY, then KEY n for every key until closed
//   host_window_app --cover          a plain white window over the top-left of the screen
//   host_window_app --check PPM X Y DIR ZOOM  compares a screenshot with the scene drawn
//                                    at (X, Y), each pixel a ZOOM x ZOOM block
//   host_window_app --close WINDOW   asks a window to close, as a window manager's close box does
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "host/sdl/sdl_host.h"
#include "image/portable/image_object.h"

// In its own file: the X11 headers' names clash with ours.
int RunClose(const char* windowText);

namespace {

using dfx::portable::DrawTarget;
using dfx::portable::PixelSurface;

constexpr const char* Title = "dfx host window test";

struct Picture {
  const char* file;
  PixelSurface pixels;
};

std::vector<Picture> ScenePictures() {
  PixelSurface checker(2, 2);
  checker.At(0, 0) = 0xFF0000;
  checker.At(1, 0) = 0x00FF00;
  checker.At(0, 1) = 0x0000FF;
  checker.At(1, 1) = 0xFFFF00;
  PixelSurface glyph(24, 32, 0xB4C8A0);
  for (int y = 4; y < 28; ++y) glyph.At(12, y) = 0x202020;
  return {{"glyph.bmp", glyph}, {"checker.bmp", checker}, {"edge.bmp", PixelSurface(20, 20, 0x30A0F0)}};
}

// The same draws for the window and for the reference the check compares with.
void DrawScene(std::vector<std::unique_ptr<dfx::Image>>& images) {
  images[0]->Draw(8, 8, 0);
  images[0]->Draw(40, 8, 48, 0, 0);
  images[1]->Draw(200, 40, 96, 64, 0);
  images[2]->Draw(630, 190, 0);  // cut by the right and bottom edges
}

std::vector<std::unique_ptr<dfx::Image>> LoadScene(const std::string& dir, const std::vector<Picture>& pictures,
                                                   const std::function<std::unique_ptr<dfx::Image>()>& make) {
  std::vector<std::unique_ptr<dfx::Image>> images;
  for (const Picture& p : pictures) {
    const std::string path = dir + "/" + p.file;
    dfx::portable::WriteBmp24(path.c_str(), p.pixels);
    images.push_back(make());
    if (images.back()->Load(path.c_str()) != 1) std::fprintf(stderr, "cannot load %s\n", path.c_str());
    images.back()->BindToWindow();
  }
  return images;
}

int RunWindow(const std::string& dir, int zoom) {
  dfx::SdlHost host(zoom);
  const std::thread::id mainThread = std::this_thread::get_id();
  host.Run([&] {
    host.StartWindow();
    host.FinishWindowSetup(Title);
    auto images = LoadScene(dir, ScenePictures(), [&] { return host.CreateImage(); });
    DrawScene(images);
    const bool split = host.EventThread() == mainThread && host.GameThread() != mainThread;
    std::printf("%s\nREADY\n", split ? "EVENTS ON MAIN, GAME APART" : "WRONG THREADS");
    std::fflush(stdout);
    for (;;) {
      std::printf("KEY %d\n", dfx::WaitKey(host));
      std::fflush(stdout);
    }
  });
  return 1;
}

int RunCover() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* w = SDL_CreateWindow("cover", 0, 0, 800, 400, SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS);
  if (!w) return 1;
  bool announced = false;
  for (;;) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (e.type == SDL_QUIT) {
        SDL_Quit();
        return 0;
      }
    }
    SDL_Surface* s = SDL_GetWindowSurface(w);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 255, 255, 255));
    SDL_UpdateWindowSurface(w);
    if (!announced) {
      std::printf("COVERING\n");
      std::fflush(stdout);
      announced = true;
    }
    SDL_Delay(20);
  }
}

// Binary PPM with 8- or 16-bit samples (screenshot tools write either).
bool ReadPpm(const char* path, PixelSurface& out) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, max = 0;
  in >> magic >> w >> h >> max;
  in.get();
  if (!in || magic != "P6" || (max != 255 && max != 65535) || w <= 0 || h <= 0 || w > 8192 || h > 8192) return false;
  const size_t sampleBytes = max == 255 ? 1 : 2;
  out = PixelSurface(w, h);
  std::vector<unsigned char> data(size_t(w) * size_t(h) * 3 * sampleBytes);
  in.read(reinterpret_cast<char*>(data.data()), std::streamsize(data.size()));
  if (!in) return false;
  for (size_t i = 0; i < out.pixels.size(); ++i) {
    uint32_t c = 0;
    for (size_t k = 0; k < 3; ++k) c = c << 8 | data[(3 * i + k) * sampleBytes];  // high byte of each sample
    out.pixels[i] = c;
  }
  return true;
}



// zoom: each scene pixel is a zoom x zoom block on the screen.
int RunCheck(const char* ppm, int ox, int oy, const std::string& dir, int zoom) {
  PixelSurface shot;
  if (!ReadPpm(ppm, shot)) {
    std::fprintf(stderr, "cannot read %s\n", ppm);
    return 2;
  }
  DrawTarget window(dfx::ClientWidth, dfx::ClientHeight, 0);
  DrawTarget back(dfx::ClientWidth, dfx::ClientHeight, 0);
  dfx::portable::WindowSurfaces surfaces{&window, &back};
  auto images = LoadScene(dir, ScenePictures(), [&] { return std::make_unique<dfx::portable::ImageObject>(&surfaces); });
  DrawScene(images);
  // A few pixels known by hand, so that an empty scene cannot pass.
  const struct {
    int x, y;
    uint32_t colour;
  } known[] = {{8, 8, 0xB4C8A0},   {20, 12, 0x202020}, {200, 40, 0xFF0000}, {295, 103, 0xFFFF00},
               {639, 203, 0x30A0F0}, {629, 203, 0},     {300, 150, 0}};
  for (const auto& k : known) {
    if (window.surface.At(k.x, k.y) != k.colour) {
      std::fprintf(stderr, "reference scene is wrong at %d,%d\n", k.x, k.y);
      return 1;
    }
  }
  int bad = 0;
  for (int y = 0; y < dfx::ClientHeight * zoom; ++y) {
    for (int x = 0; x < dfx::ClientWidth * zoom; ++x) {
      const int sx = ox + x, sy = oy + y;
      const uint32_t got = (sx < shot.width && sy < shot.height) ? shot.At(sx, sy) : 0xFFFFFFFF;
      const uint32_t drawn = window.surface.At(x / zoom, y / zoom);
      if (got != drawn && bad++ < 5) std::fprintf(stderr, "pixel %d,%d: screen %06X, drawn %06X\n", x, y, got, drawn);
    }
  }
  if (bad) std::fprintf(stderr, "%d pixels differ\n", bad);
  return bad ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--cover") == 0) return RunCover();
  if (argc == 7 && std::strcmp(argv[1], "--check") == 0) {
    return RunCheck(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5], std::atoi(argv[6]));
  }
  if (argc == 3 && std::strcmp(argv[1], "--close") == 0) return RunClose(argv[2]);
  if (argc == 3) return RunWindow(argv[1], std::atoi(argv[2]));
  std::fprintf(stderr, "usage: host_window_app DIR ZOOM | --cover | --check PPM X Y DIR ZOOM | --close WINDOW\n");
  return 2;
}
