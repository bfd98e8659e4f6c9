// Test only: a SerialPort in the same process for the web link's unit tests
// under node (on port_streams.js), scripted by the test through
// Module.fakePort: what the keyer sends and when, a write that does not end,
// an open that fails, a device that goes away. It notes what the link asked.
Module['fakePort'] = (() => {
  class FakePort extends StreamedPort {
    constructor() {
      super();
      this.events = [];
      this.stallWrites = false;
      this.failOpen = '';
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

    transmit(chunk, controller) {
      // A stalled line: the write ends only when the stream is aborted, as
      // the browser's own port ends it.
      if (this.stallWrites) {
        return new Promise((resolve, reject) => {
          controller.signal.addEventListener('abort', () => reject(controller.signal.reason));
        });
      }
      this.events.push('write ' + chunk.length);
      return undefined;
    }

    aborted() {
      this.events.push('abort');
    }

    async setSignals(signals) {
      this.events.push('signals ' + (signals.dataTerminalReady ? 'dtr' : '-dtr') + ' ' +
                       (signals.requestToSend ? 'rts' : '-rts'));
    }

    async close() {
      await this.closeStreams();
      this.events.push('close');
    }

    lose() {
      super.lose();
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
