// Test only: the streams of a Web Serial port kept by Web Serial's rules, for
// the test's stand-in ports (serial_shim.js in the page, fake_port.js under
// node). readable and writable exist while the port is open and come anew
// after a cancel or an abort; bytes that come while no reader is there wait;
// a lost device errors the readable; close() refuses while a stream is locked.
// A port built on it says how bytes leave (transmit) and what it does on open,
// close and loss. A global, as the scripts that use it may each run in a scope
// of their own.
globalThis.StreamedPort = class StreamedPort extends EventTarget {
  constructor() {
    super();
    this.isOpen = false;
    this.waiting = [];  // bytes that came while no stream was there
    this.readableStream = null;
    this.writableStream = null;
    this.controller = null;
  }

  get readable() {
    if (!this.isOpen) return null;
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
    if (!this.isOpen) return null;
    if (!this.writableStream) {
      this.writableStream = new WritableStream({
        write: (chunk, controller) => this.transmit(chunk, controller),
        close: () => {
          this.writableStream = null;
        },
        abort: () => {
          this.writableStream = null;
          this.aborted();
        },
      });
    }
    return this.writableStream;
  }

  // Bytes from the device.
  deliver(bytes) {
    const chunk = Uint8Array.from(bytes);
    if (this.controller) {
      this.controller.enqueue(chunk);
    } else {
      this.waiting.push(chunk);
    }
  }

  // The device went away: its stream errs and the port offers no other.
  lose() {
    this.isOpen = false;
    if (this.controller) {
      this.controller.error(new DOMException('The device has been lost.', 'NetworkError'));
    }
    this.controller = null;
    this.readableStream = null;
    this.writableStream = null;
  }

  // The streams' part of close().
  async closeStreams() {
    if (!this.isOpen) throw new DOMException('The port is already closed.', 'InvalidStateError');
    if ((this.readableStream && this.readableStream.locked) ||
        (this.writableStream && this.writableStream.locked)) {
      throw new DOMException('A stream of the port is locked.', 'InvalidStateError');
    }
    if (this.readableStream) await this.readableStream.cancel();
    if (this.writableStream) await this.writableStream.close().catch(() => {});
    this.isOpen = false;
    this.waiting = [];
  }

  transmit() {}

  aborted() {}
};
