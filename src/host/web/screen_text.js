// What the LCD shows, kept in the document for screen readers (the canvas is hidden from
// them): its six text lines in a polite live region, where a line is spoken when it
// changes, and the board as an 8x8 grid that holds the focus and follows the cursor box.
// The game reads its own canvas back with the glyph matcher of `dfx read-screen` each
// time it waits for input, and calls Module.showScreenText with the result.
(function () {
  var canvas = document.getElementById('screen');
  if (!canvas || !window.Module) return;
  canvas.setAttribute('aria-hidden', 'true');
  canvas.tabIndex = -1;

  var section = document.createElement('section');
  section.setAttribute('aria-label', 'Game screen as text');
  // Out of sight, yet read and focusable: the picture shows the same.
  section.style.cssText = 'position:absolute;width:1px;height:1px;margin:-1px;overflow:hidden;' +
    'clip-path:inset(50%);white-space:nowrap';
  var linesBox = document.createElement('div');
  linesBox.id = 'screen-lines';
  linesBox.setAttribute('aria-live', 'polite');
  var lines = [];
  for (var i = 0; i < 6; ++i) {
    var line = document.createElement('div');
    line.dataset.cells = '';
    lines.push(linesBox.appendChild(line));
  }
  var grid = document.createElement('div');
  grid.id = 'screen-board';
  grid.setAttribute('role', 'grid');
  grid.setAttribute('aria-label', 'Board');
  grid.tabIndex = 0;
  var cells = [];
  for (var y = 0; y < 8; ++y) {
    var row = grid.appendChild(document.createElement('div'));
    row.setAttribute('role', 'row');
    for (var x = 0; x < 8; ++x) {
      var cell = row.appendChild(document.createElement('div'));
      cell.setAttribute('role', 'gridcell');
      cell.id = 'square-' + 'abcdefgh'[x] + (y + 1);
      cells.push(cell);
    }
  }
  section.appendChild(linesBox);
  section.appendChild(grid);
  canvas.parentNode.insertBefore(section, canvas.nextSibling);
  // The keys are read on the whole window; the grid keeps the focus (in the canvas's
  // place, which showed none) so that a screen reader passes them on to the game.
  canvas.addEventListener('mousedown', function () { setTimeout(function () { grid.focus(); }); });
  grid.focus();

  // The glyphs that are not characters, by the shape they show; a cell that matches no
  // glyph (under the board's pictures) says nothing, but for the disc the game draws
  // beside each count, which is read like a square.
  var shapes = { 2: '\u25a1', 3: '\u25a0', 4: '\u2190', 5: '\u2192' };
  function spoken(cellText, disc) {
    var cells = cellText.match(/\\x[0-9A-F]{2}|[\s\S]/g) || [];
    if (disc && cells[9] === '?') cells[9] = disc + ' ';
    return cells.map(function (cell) {
      return cell.length === 4 ? shapes[parseInt(cell.slice(2), 16)] || ' ' : cell === '?' ? ' ' : cell;
    }).join('').replace(/ +/g, ' ').trim();
  }
  var squareWords = { '-': 'empty', X: 'black', O: 'white', 1: 'turning', 2: 'turning', 3: 'turning' };

  // text: six lines of 24 cells as `dfx read-screen` prints them; board: 64 squares
  // (- X O, 1 to 3 while turning, ? for none); cursor: the boxed square or -1; counts:
  // the discs beside the counts on rows 4 and 5 (X, O or ?).
  Module.showScreenText = function (text, board, cursor, counts) {
    text.split('\n').slice(0, 6).forEach(function (cellText, i) {
      if (lines[i].dataset.cells === cellText) return;
      lines[i].dataset.cells = cellText;
      // Only a line whose words change is spoken again.
      var words = spoken(cellText, i >= 4 && squareWords[counts[i - 4]]);
      if (lines[i].textContent !== words) lines[i].textContent = words;
    });
    for (var i = 0; i < 64; ++i) {
      var label = cells[i].id.slice(7) + ', ' + (squareWords[board[i]] || 'not shown') +
        (i === cursor ? ', cursor' : '');
      cells[i].dataset.square = board[i];
      if (cells[i].textContent !== label) cells[i].textContent = label;
    }
    // A screen reader speaks the cursor's cell when the active one changes.
    var active = cursor >= 0 ? cells[cursor].id : null;
    if (grid.getAttribute('aria-activedescendant') === active) return;
    if (active) grid.setAttribute('aria-activedescendant', active);
    else grid.removeAttribute('aria-activedescendant');
  };
})();
