// The browser: the game on the page's canvas; its waits yield to the browser.
#include "game/program.h"
#include "host/web/web_host.h"

int main() {
  static dfx::WebHost host("#screen");
  dfx::RunProgram(host);
}
