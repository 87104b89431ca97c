// The audio side's link as the face sees it, recording what the face sends.
export class FakeLink {
  constructor(values = new Map()) {
    this.current = new Map(values);
    this.edits = [];
    this.gestures = [];
    this.listeners = new Set();
  }

  async describe() {
    return [];
  }

  async values() {
    return new Map(this.current);
  }

  edit(id, plain) {
    this.edits.push([id, plain]);
    this.current.set(id, plain);
  }

  gesture(id, begin) {
    this.gestures.push([id, begin]);
  }

  onChange(listener) {
    this.listeners.add(listener);
    return () => this.listeners.delete(listener);
  }

  // A value changed elsewhere (the host, automation).
  change(id, plain) {
    this.current.set(id, plain);
    for (const listener of this.listeners) listener();
  }
}
