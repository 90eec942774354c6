// The page's figures: how soon a first visit shows the title screen, and what a waiting
// game costs the browser's main thread (task time over 10 s at the title and at the
// player's first turn).
// Usage: node tools/web/bench.mjs WEB_DIR [CHROMIUM]
import { launchChromium, servePage, settled } from './page.mjs';

const [webDir = 'build/web', chromium = '/usr/bin/chromium'] = process.argv.slice(2);
const visits = 5;
const idleSeconds = 10;
const server = await servePage(webDir);
const browser = await launchChromium(chromium);
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  await page.setCacheEnabled(false);
  // The first visit starts the browser's page processes; the others fetch every file
  // again (no cache), as a person's running browser would on a first visit.
  await page.goto(server.url).then(() => settled(page, 0));
  const times = [];
  for (let i = 0; i < visits; ++i) {
    await page.goto(server.url).then(() => settled(page, 0));
    times.push(await page.evaluate(() => performance.now()));
  }
  times.sort((a, b) => a - b);
  console.log(`title screen after ${Math.round(times[visits >> 1])} ms (median of ${visits} visits; ` +
    `${Math.round(times[0])}..${Math.round(times[visits - 1])})`);

  // Three windows in a row, the median first: the first after a load also holds the
  // browser's own tidying up.
  const taskShare = async () => {
    const ms = [];
    for (let i = 0; i < 3; ++i) {
      const before = (await page.metrics()).TaskDuration;
      await new Promise((resolve) => setTimeout(resolve, idleSeconds * 1000));
      ms.push(Math.round(((await page.metrics()).TaskDuration - before) * 1000));
    }
    const median = [...ms].sort((a, b) => a - b)[1];
    const share = (median / idleSeconds / 10).toFixed(2);
    return `${median} ms of tasks in ${idleSeconds} s (${share}%; windows ${ms.join(', ')} ms)`;
  };
  console.log(`waiting at the title: ${await taskShare()}`);
  // Level 1, you start: the game then waits for the player's first move.
  let taken = 0;
  for (const code of ['ArrowRight', 'Digit1']) {
    await page.keyboard.press(code);
    await settled(page, ++taken);
  }
  console.log(`waiting for the player's move: ${await taskShare()}`);
} finally {
  await browser.close();
  server.close();
}
