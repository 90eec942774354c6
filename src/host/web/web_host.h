// The host window in a browser page: the page's one <canvas> shows the client area of
// the back buffer, key-downs and presses on the canvas go into the input slot, and the
// game's waits yield to the browser (one thread, Asyncify): a wait for input sleeps until
// an input event wakes it.
#pragma once
#include <cstdint>
#include <memory>

#include "host/host.h"

namespace dfx {

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
