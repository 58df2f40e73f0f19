// Serves a folder over HTTP on 127.0.0.1 (./web, and the browser test): the page, the game's
// script and WebAssembly, and its preloaded data. Run: node tools/serve.mjs DIR [PORT]; PORT 0 (the
// default) takes any free port. Prints the address once it listens.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, sep } from 'node:path';
import { pathToFileURL } from 'node:url';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.mjs': 'text/javascript',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
};

// Starts serving dir; resolves to the server once it listens (server.address().port).
export function serve(dir, port = 0) {
  const root = normalize(dir) + sep;
  const server = createServer(async (req, res) => {
    let path;
    try {
      path = decodeURIComponent(new URL(req.url, 'http://localhost').pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
    if (!file.startsWith(root) || (req.method !== 'GET' && req.method !== 'HEAD')) {
      res.writeHead(404).end();
      return;
    }
    try {
      const body = await readFile(file);
      res.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream', 'Cache-Control': 'no-store' });
      res.end(req.method === 'HEAD' ? undefined : body);
    } catch {
      res.writeHead(404).end();
    }
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const [dir, port = '0'] = process.argv.slice(2);
  if (!dir || !/^\d+$/.test(port) || Number(port) > 65535) {
    console.error('usage: node tools/serve.mjs DIR [PORT]');
    process.exit(2);
  }
  serve(dir, Number(port)).then(
    (server) => console.log(`KROMBLIX is served at http://127.0.0.1:${server.address().port}/ (Ctrl+C stops it)`),
    (error) => {
      console.error(`Cannot serve on 127.0.0.1:${port}: ${error.message}`);
      process.exit(1);
    });
}
