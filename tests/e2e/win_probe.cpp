// A stand-in for the game on the Win32 host: after the handshake and the final set-up
// it draws a row of coloured blocks, then for every key draws one more block below and
// prints the key code, so a real-window test can check pictures and keys.
#include <cstdio>
#include <string>

#include "host/win32/win32_host.h"
#include "image/portable/pixel_surface.h"

namespace {

constexpr uint32_t Colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF, 0x808080};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  dfx::Win32Host host;
  host.StartWindow();
  host.FinishWindowSetup("Discoflipparex VZ-T734Taste V2.3D");

  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  std::unique_ptr<dfx::Image> blocks[8];
  for (int i = 0; i < 8; ++i) {
    std::string path = std::string(folder) + "dfx_probe_" + std::to_string(i) + ".bmp";
    dfx::portable::WriteBmp24(path.c_str(), dfx::portable::PixelSurface(24, 32, Colours[i]));
    blocks[i] = host.CreateImage();
    if (blocks[i]->Load(path.c_str())) blocks[i]->BindToWindow();
    blocks[i]->Draw(8 + 24 * i, 8, 0);
  }
  std::printf("ready\n");
  std::fflush(stdout);
  for (int n = 0;; ++n) {
    int16_t key = dfx::WaitKey(host);
    blocks[n % 8]->Draw(8 + 24 * (n % 24), 40 + 32 * (n / 24 % 5), 0);
    std::printf("key %d\n", key);
    std::fflush(stdout);
  }
}
