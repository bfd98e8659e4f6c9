// Test only: a SerialPort in the same process for the web link's unit tests
// under node, with Web Serial's rules for streams and close, scripted by the
// test through Module.fakePort: what the keyer sends and when, a write that
// does not end, an open that fails, a device that goes away.
Module['fakePort'] = (() => {
  class FakePort {
    constructor() {
      this.events = [];
      this.isOpen = false;
      this.pending = [];  // bytes sent while no stream was there
      this.stallWrites = false;
      this.failOpen = '';
      this.readableStream = null;
      this.writableStream = null;
      this.controller = null;
    }

    getInfo() {
      return {usbVendorId: 0x0403, usbProductId: 0x6001};
    }

    async open(options) {
      if (this.failOpen) throw new DOMException('Failed to open serial port.', this.failOpen);
      if (this.isOpen) throw new DOMException('The port is already open.', 'InvalidStateError');
      this.isOpen = true;
      this.events.push('open ' + options.baudRate + ' ' + options.dataBits +
                       options.parity[0].toUpperCase() + options.stopBits + ' ' + options.flowControl);
    }

    get readable() {
      if (!this.isOpen) return null;
      if (!this.readableStream) {
        this.readableStream = new ReadableStream({
          start: (controller) => {
            this.controller = controller;
            for (const chunk of this.pending.splice(0)) controller.enqueue(chunk);
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
          write: (chunk, controller) => {
            // A stalled line: the write ends only when the stream is aborted,
            // as the browser's own port ends it.
            if (this.stallWrites) {
              return new Promise((resolve, reject) => {
                controller.signal.addEventListener('abort', () => reject(controller.signal.reason));
              });
            }
            this.events.push('write ' + chunk.length);
            return undefined;
          },
          abort: () => {
            this.events.push('abort');
            this.writableStream = null;
          },
          close: () => {
            this.writableStream = null;
          },
        });
      }
      return this.writableStream;
    }

    async setSignals(signals) {
      this.events.push('signals ' + (signals.dataTerminalReady ? 'dtr' : '-dtr') + ' ' +
                       (signals.requestToSend ? 'rts' : '-rts'));
    }

    async close() {
      if (!this.isOpen) throw new DOMException('The port is already closed.', 'InvalidStateError');
      if ((this.readableStream && this.readableStream.locked) ||
          (this.writableStream && this.writableStream.locked)) {
        throw new DOMException('A stream of the port is locked.', 'InvalidStateError');
      }
      if (this.readableStream) await this.readableStream.cancel();
      this.isOpen = false;
      this.pending = [];
      this.writableStream = null;
      this.events.push('close');
    }

    send(bytes) {
      const chunk = Uint8Array.from(bytes);
      if (this.controller) {
        this.controller.enqueue(chunk);
      } else {
        this.pending.push(chunk);
      }
    }

    // The device went away: its stream errs and the port offers no other.
    lose() {
      this.isOpen = false;
      if (this.controller) this.controller.error(new DOMException('The device has been lost.', 'NetworkError'));
      this.controller = null;
      this.readableStream = null;
      this.writableStream = null;
      this.events.push('lost');
    }
  }

  // Node ends a run whose every promise waits on nothing; that is a failure,
  // not a pass.
  let exited = false;
  Module['onExit'] = () => {
    exited = true;
  };
  process.on('exit', () => {
    if (exited) return;
    console.error('The tests stopped, waiting on a promise that never settles.');
    process.exitCode = 1;
  });

  let port = null;
  return {
    // A new port, granted to the page; its name for the link.
    fresh() {
      port = new FakePort();
      return Module.serialLines.grant(port);
    },
    get port() {
      return port;
    },
  };
})();
