// The keyer's line over Web Serial, under link/web/serial_link.cpp: the ports
// the page was granted, and for each open port the bytes that arrived. The
// link decides the line's rules (time-outs, all or nothing, line time); this
// only waits for the browser, and every call the link waits on is a promise
// that suspends the core meanwhile (Asyncify).
Module['serialLines'] = (() => {
  const granted = [];  // SerialPort objects; "serial:N" is granted[N - 1]
  const lines = new Map();  // open lines by handle
  let nextHandle = 1;

  const options = (baudRate) =>
    ({baudRate, dataBits: 8, stopBits: 1, parity: 'none', flowControl: 'none'});

  // Why a port did not open, in the link's words.
  function openFailure(error) {
    switch (error && error.name) {
      case 'InvalidStateError':
        return 'already open';
      case 'NetworkError':
        return 'in use by another program, or the device could not be opened';
      case 'SecurityError':
        return 'the browser does not allow this page to use the port';
      default:
        return String((error && error.message) || error || 'could not be opened');
    }
  }

  class Line {
    constructor(port) {
      this.port = port;
      this.received = [];
      this.wake = null;
      this.hungUp = false;
      this.stopping = false;
      this.reader = null;
      this.reading = null;
    }

    async start(baudRate) {
      await this.port.open(options(baudRate));
      // DTR on powers some interfaces, RTS off; a port without those lines is no error.
      await this.port.setSignals({dataTerminalReady: true, requestToSend: false}).catch(() => {});
      this.hungUp = false;
      this.reading = this.readAll();
    }

    // Takes every byte the port delivers until the line stops. A framing or
    // parity error ends one stream and the port offers the next; a device
    // that went away ends them all.
    async readAll() {
      let ended = false;
      while (!ended && !this.stopping && this.port.readable) {
        this.reader = this.port.readable.getReader();
        try {
          for (;;) {
            const {value, done} = await this.reader.read();
            if (done) {
              ended = true;
              break;
            }
            for (const byte of value) this.received.push(byte);
            this.notify();
          }
        } catch (error) {
          // the next stream, if the port offers one
        } finally {
          this.reader.releaseLock();
          this.reader = null;
        }
      }
      if (!this.stopping) this.hungUp = true;
      this.notify();
    }

    notify() {
      const wake = this.wake;
      this.wake = null;
      if (wake) wake();
    }

    async stop() {
      this.stopping = true;
      if (this.reader) await this.reader.cancel().catch(() => {});
      await this.reading;
      await this.port.close().catch(() => {});
      this.stopping = false;
    }

    // count bytes within timeoutMs, or null; what did arrive is consumed with the failure.
    async read(count, timeoutMs) {
      const deadline = performance.now() + timeoutMs;
      while (this.received.length < count && !this.hungUp) {
        const left = deadline - performance.now();
        if (left <= 0) break;
        let timer;
        await new Promise((resolve) => {
          this.wake = resolve;
          timer = setTimeout(resolve, left);
        });
        clearTimeout(timer);
        this.wake = null;
      }
      if (this.received.length < count) {
        this.received = [];
        return null;
      }
      return Uint8Array.from(this.received.splice(0, count));
    }

    // All the bytes to the port within timeoutMs; a write that does not end in
    // time is aborted, which discards what it queued.
    async write(bytes, timeoutMs) {
      if (this.hungUp || !this.port.writable) return false;
      const writer = this.port.writable.getWriter();
      let timer;
      const late = new Promise((resolve) => {
        timer = setTimeout(() => resolve(false), timeoutMs);
      });
      const written = writer.write(bytes).then(() => true, () => false);
      const ok = await Promise.race([written, late]);
      clearTimeout(timer);
      if (!ok) {
        // The browser's port ends a stalled write when aborted; a port that
        // does not is given up on rather than waited for.
        const abortWait = new Promise((resolve) => {
          timer = setTimeout(resolve, timeoutMs);
        });
        await Promise.race([writer.abort().catch(() => {}), abortWait]);
        clearTimeout(timer);
      }
      writer.releaseLock();
      return ok;
    }

    // Web Serial sets the speed at open only. The bytes that arrived stay.
    async reopen(baudRate, oldBaudRate) {
      await this.stop();
      try {
        await this.start(baudRate);
        return true;
      } catch (error) {
        await this.start(oldBaudRate).catch(() => {
          this.hungUp = true;
        });
        return false;
      }
    }
  }

  return {
    // A port the operator chose in the browser's picker (or granted earlier):
    // its name for the core, the same name each time.
    grant(port) {
      let index = granted.indexOf(port);
      if (index < 0) index = granted.push(port) - 1;
      return 'serial:' + (index + 1);
    },
    // The browser's own name for a port the page holds, for the port list.
    describe(name) {
      const port = this.port(name);
      if (!port || typeof port.getInfo !== 'function') return '';
      const info = port.getInfo();
      if (info.usbVendorId === undefined) return '';
      const hex = (n) => n.toString(16).padStart(4, '0');
      return 'USB ' + hex(info.usbVendorId) + ':' + hex(info.usbProductId || 0);
    },
    names() {
      return granted.map((port, index) => 'serial:' + (index + 1));
    },
    port(name) {
      const match = /^serial:(\d+)$/.exec(name);
      return match ? granted[Number(match[1]) - 1] : undefined;
    },
    async open(name, baudRate) {
      const port = this.port(name);
      if (!port) return {handle: 0, reason: 'no such port (choose it again)'};
      const line = new Line(port);
      line.baudRate = baudRate;
      try {
        await line.start(baudRate);
      } catch (error) {
        return {handle: 0, reason: openFailure(error)};
      }
      const handle = nextHandle++;
      lines.set(handle, line);
      return {handle, reason: ''};
    },
    // The calls below never reject: a rejected promise would leave the core
    // suspended for good. Whatever the browser throws is the call's failure.
    async close(handle) {
      const line = lines.get(handle);
      lines.delete(handle);
      if (line) await line.stop().catch(() => {});
    },
    async write(handle, bytes, timeoutMs) {
      const line = lines.get(handle);
      return line ? line.write(bytes, timeoutMs).catch(() => false) : false;
    },
    async read(handle, count, timeoutMs) {
      const line = lines.get(handle);
      return line ? line.read(count, timeoutMs).catch(() => null) : null;
    },
    async reopen(handle, baudRate) {
      const line = lines.get(handle);
      if (!line) return false;
      const ok = await line.reopen(baudRate, line.baudRate).catch(() => false);
      if (ok) line.baudRate = baudRate;
      return ok;
    },
    purge(handle) {
      const line = lines.get(handle);
      if (line) line.received = [];
    },
    hungUp(handle) {
      const line = lines.get(handle);
      return !line || line.hungUp;
    },
  };
})();
