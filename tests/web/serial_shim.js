// Test only: stands in for navigator.serial with one port whose bytes travel
// over a WebSocket to relay.js and on to a pseudo-terminal (dp3 sim). It keeps
// the rules of Web Serial the page's link relies on: the speed is set by
// open(), readable and writable are new streams after a cancel or an abort,
// close() refuses while a stream is locked, a lost line errors the readable.
// The relay's address comes in window.dp3RelayUrl, set before this runs.
(() => {
  const relayUrl = window.dp3RelayUrl;

  class RelayPort extends EventTarget {
    constructor() {
      super();
      this.socket = null;
      this.readableStream = null;
      this.writableStream = null;
      this.controller = null;
      this.waiting = [];  // bytes that came while no stream was there
      this.replies = [];
    }

    getInfo() {
      return {};  // a pseudo-terminal has no USB ids
    }

    get readable() {
      if (!this.socket) return null;
      if (!this.readableStream) {
        this.readableStream = new ReadableStream({
          start: (controller) => {
            this.controller = controller;
            for (const chunk of this.waiting.splice(0)) controller.enqueue(chunk);
          },
          cancel: () => {
            this.controller = null;
            this.readableStream = null;
          },
        });
      }
      return this.readableStream;
    }

    get writable() {
      if (!this.socket) return null;
      if (!this.writableStream) {
        const ended = () => {
          this.writableStream = null;
        };
        this.writableStream = new WritableStream({
          write: (chunk) => {
            if (!this.socket) throw new DOMException('The port is closed.', 'InvalidStateError');
            this.socket.send(new Uint8Array(chunk));
          },
          close: ended,
          abort: ended,
        });
      }
      return this.writableStream;
    }

    // One control request to the relay and its answer.
    request(message) {
      return new Promise((resolve, reject) => {
        this.replies.push({resolve, reject});
        this.socket.send(JSON.stringify(message));
      });
    }

    async open(options) {
      if (this.socket) throw new DOMException('The port is already open.', 'InvalidStateError');
      if (!(options && options.baudRate > 0)) throw new TypeError('baudRate must be given');
      const socket = new WebSocket(relayUrl);
      socket.binaryType = 'arraybuffer';
      await new Promise((resolve, reject) => {
        socket.onopen = resolve;
        socket.onerror = () => reject(new DOMException('Failed to open serial port.', 'NetworkError'));
      });
      socket.onmessage = (event) => this.receive(event.data);
      socket.onclose = () => this.lost();
      this.socket = socket;
      try {
        await this.request({
          op: 'open',
          baudRate: options.baudRate,
          dataBits: options.dataBits || 8,
          stopBits: options.stopBits || 1,
          parity: options.parity || 'none',
          flowControl: options.flowControl || 'none',
        });
      } catch (error) {
        this.socket = null;
        socket.onclose = null;
        socket.close();
        throw new DOMException('Failed to open serial port.', 'NetworkError');
      }
    }

    receive(data) {
      if (typeof data === 'string') {
        const reply = JSON.parse(data);
        const waiter = this.replies.shift();
        if (waiter) reply.ok ? waiter.resolve(reply) : waiter.reject(new Error(reply.error));
        return;
      }
      const chunk = new Uint8Array(data);
      if (this.controller) {
        this.controller.enqueue(chunk);
      } else {
        this.waiting.push(chunk);
      }
    }

    // The relay went away: the device is lost.
    lost() {
      if (!this.socket) return;
      this.socket = null;
      if (this.controller) this.controller.error(new DOMException('The device has been lost.', 'NetworkError'));
      this.controller = null;
      this.readableStream = null;
      this.writableStream = null;
      for (const waiter of this.replies.splice(0)) waiter.reject(new Error('lost'));
      navigator.serial.dispatchEvent(new Event('disconnect'));
    }

    async setSignals(signals) {
      if (!this.socket) throw new DOMException('The port is closed.', 'InvalidStateError');
      await this.request({op: 'signals', ...signals});
    }

    async close() {
      if (!this.socket) throw new DOMException('The port is already closed.', 'InvalidStateError');
      if ((this.readableStream && this.readableStream.locked) ||
          (this.writableStream && this.writableStream.locked)) {
        throw new DOMException('A stream of the port is locked.', 'InvalidStateError');
      }
      if (this.readableStream) await this.readableStream.cancel();
      if (this.writableStream) await this.writableStream.close().catch(() => {});
      await this.request({op: 'close'});
      const socket = this.socket;
      this.socket = null;
      this.waiting = [];
      socket.onclose = null;
      socket.close();
    }
  }

  const port = new RelayPort();
  let granted = false;
  const serial = new EventTarget();
  serial.requestPort = async () => {
    granted = true;
    return port;
  };
  serial.getPorts = async () => (granted ? [port] : []);
  Object.defineProperty(Navigator.prototype, 'serial', {configurable: true, get: () => serial});
})();
