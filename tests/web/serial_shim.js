// Test only: stands in for navigator.serial with one port (on
// port_streams.js, loaded before it) whose bytes travel over a WebSocket to
// relay.js and on to a pseudo-terminal (dp3 sim). Each open() is one
// connection, which sets the terminal's speed. The relay's address comes in
// window.dp3RelayUrl, set before this runs.
(() => {
  const relayUrl = window.dp3RelayUrl;

  class RelayPort extends StreamedPort {
    constructor() {
      super();
      this.socket = null;
      this.replies = [];
    }

    getInfo() {
      return {};  // a pseudo-terminal has no USB ids
    }

    transmit(chunk) {
      if (!this.socket) throw new DOMException('The port is closed.', 'InvalidStateError');
      this.socket.send(new Uint8Array(chunk));
    }

    // One control request to the relay and its answer.
    request(message) {
      return new Promise((resolve, reject) => {
        this.replies.push({resolve, reject});
        this.socket.send(JSON.stringify(message));
      });
    }

    async open(options) {
      if (this.isOpen) throw new DOMException('The port is already open.', 'InvalidStateError');
      if (!(options && options.baudRate > 0)) throw new TypeError('baudRate must be given');
      const socket = new WebSocket(relayUrl);
      socket.binaryType = 'arraybuffer';
      await new Promise((resolve, reject) => {
        socket.onopen = resolve;
        socket.onerror = () => reject(new DOMException('Failed to open serial port.', 'NetworkError'));
      });
      socket.onmessage = (event) => this.receive(event.data);
      socket.onclose = () => this.relayGone();
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
      this.isOpen = true;
    }

    receive(data) {
      if (typeof data !== 'string') {
        this.deliver(new Uint8Array(data));
        return;
      }
      const reply = JSON.parse(data);
      const waiter = this.replies.shift();
      if (waiter) reply.ok ? waiter.resolve(reply) : waiter.reject(new Error(reply.error));
    }

    // The relay went away: the device is lost.
    relayGone() {
      this.socket = null;
      this.lose();
      for (const waiter of this.replies.splice(0)) waiter.reject(new Error('lost'));
      navigator.serial.dispatchEvent(new Event('disconnect'));
    }

    async setSignals(signals) {
      if (!this.isOpen) throw new DOMException('The port is closed.', 'InvalidStateError');
      await this.request({op: 'signals', ...signals});
    }

    async close() {
      await this.closeStreams();
      await this.request({op: 'close'});
      const socket = this.socket;
      this.socket = null;
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
