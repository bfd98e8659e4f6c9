// Test only: the other end of serial_shim.js. A WebSocket on localhost whose
// every connection is one open of a pseudo-terminal (the simulated keyer of
// `dp3 sim`): bytes both ways, and the line speed of each open set on the
// terminal, so `dp3 sim --realtime` paces at the speed the page chose.
//   node relay.js /dev/pts/N      prints the relay's address, serves until stopped
'use strict';

const {execFileSync} = require('child_process');
const fs = require('fs');
const tty = require('tty');
const {WebSocketServer} = require('ws');

// Raw 8N1 at baudRate, as the serial link sets a real port: no echo, no
// translation of any byte.
function configure(path, baudRate) {
  execFileSync('stty', ['-F', path, 'raw', '-echo', 'cs8', '-cstopb', '-parenb', 'clocal',
                        String(baudRate)]);
}

// Starts the relay on a free port; resolves to {url, events, close()}. events
// lists what the page asked of the line ("open 1200", "signals dtr rts-off", "close").
function startRelay(ptyPath) {
  const events = [];
  const server = new WebSocketServer({host: '127.0.0.1', port: 0});
  const terminals = new Set();

  server.on('connection', (socket) => {
    let terminal = null;
    const reply = (message) => socket.send(JSON.stringify(message));
    const closeTerminal = () => {
      if (!terminal) return;
      terminals.delete(terminal);
      terminal.destroy();
      terminal = null;
    };

    socket.on('message', (data, isBinary) => {
      if (isBinary) {
        if (terminal) terminal.write(Buffer.from(data));
        return;
      }
      const message = JSON.parse(data.toString());
      try {
        switch (message.op) {
          case 'open': {
            if (terminal) throw new Error('already open');
            if (message.dataBits !== 8 || message.stopBits !== 1 || message.parity !== 'none') {
              throw new Error('only 8N1');
            }
            const fd = fs.openSync(ptyPath, fs.constants.O_RDWR | fs.constants.O_NOCTTY |
                                               fs.constants.O_NONBLOCK);
            configure(ptyPath, message.baudRate);
            terminal = new tty.ReadStream(fd);
            terminals.add(terminal);
            terminal.on('data', (chunk) => socket.send(chunk, {binary: true}));
            terminal.on('error', () => socket.close());
            terminal.resume();
            events.push('open ' + message.baudRate);
            break;
          }
          case 'signals':
            // A pseudo-terminal has no modem lines; the request is only noted.
            events.push('signals' + (message.dataTerminalReady ? ' dtr' : ' dtr-off') +
                        (message.requestToSend ? ' rts' : ' rts-off'));
            break;
          case 'close':
            closeTerminal();
            events.push('close');
            break;
          default:
            throw new Error('unknown request ' + message.op);
        }
        reply({ok: true});
      } catch (error) {
        reply({ok: false, error: error.message});
      }
    });
    socket.on('close', closeTerminal);
  });

  return new Promise((resolve) => {
    server.on('listening', () => {
      resolve({
        url: 'ws://127.0.0.1:' + server.address().port,
        events,
        close: () =>
          new Promise((done) => {
            for (const terminal of terminals) terminal.destroy();
            for (const client of server.clients) client.terminate();
            server.close(done);
          }),
      });
    });
  });
}

module.exports = {startRelay};

if (require.main === module) {
  const path = process.argv[2];
  if (!path) {
    console.error('usage: node relay.js /dev/pts/N');
    process.exit(1);
  }
  startRelay(path).then((relay) => console.log(relay.url));
}
