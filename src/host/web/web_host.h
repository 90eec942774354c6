// The host window in a browser page: the page's one <canvas> shows the client area of
// the back buffer after each change, key-downs become Windows virtual-key codes in a
// one-byte slot, and the game's waits yield to the browser (one thread, Asyncify).
#pragma once
#include <cstdint>
#include <memory>

#include "host/host.h"

namespace dfx {

// The virtual-key code of a browser key-down (KeyboardEvent.key and .code), or 0 for
// keys that are not stored: any key with Alt held, Alt itself and F10, as elsewhere.
uint8_t VirtualKeyFromWeb(const char* key, const char* code, bool alt);

class WebHost : public Host {
 public:
  // canvasSelector names the page's canvas, e.g. "#screen".
  explicit WebHost(const char* canvasSelector);
  ~WebHost() override;
  WebHost(const WebHost&) = delete;
  WebHost& operator=(const WebHost&) = delete;

  void StartWindow() override;
  void FinishWindowSetup(const char* title) override;
  std::unique_ptr<Image> CreateImage() override;
  Input TakeInput() override;
  void IdleForKey() override;

  struct State;

 protected:
  // Called once as the game starts to wait for input, with the whole screen on the canvas.
  virtual void WaitingForInput() {}

 private:
  std::unique_ptr<State> state_;
};

}  // namespace dfx
