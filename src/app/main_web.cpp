// The browser: the game on the page's canvas; its waits yield to the browser.
#include "app/web_screen_text.h"
#include "game/program.h"

int main() {
  static dfx::ScreenTextWebHost host("#screen");
  dfx::RunProgram(host);
}
