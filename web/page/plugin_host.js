// The page as a Web Audio Modules host of the plug-in: one instance in an audio
// context, its parameters found by their ids, and the transport it follows.
import { initializeWamHost } from './plugin/sdk/index.js';
import Tavrellion from './plugin/index.js';

const kBypassId = 1000;
const kProgramId = 1001;

export class PluginHost {
  static async create(context, state) {
    const [groupId] = await initializeWamHost(context);
    const instance = await Tavrellion.createInstance(groupId, context, state);
    const host = new PluginHost(context, instance);
    host.names = await host.node.programNames();
    host.current = (await host.node.values()).get(kProgramId) ?? 0;
    return host;
  }

  constructor(context, instance) {
    this.context = context;
    this.instance = instance;
    this.node = instance.audioNode;
    this.names = [];
    this.current = 0;
    this.bpm = 120;
    this.beats = 0;     // quarter notes played when the tempo last changed
    this.since = 0;     // and the context's time then
    this.playing = false;
  }

  createGui() {
    return this.instance.createGui();
  }

  programNames() {
    return this.names;
  }

  program() {
    return this.current;
  }

  selectProgram(index) {
    this.current = index;
    return this.node.selectProgram(index);
  }

  setBypass(on) {
    return this.node.edit(kBypassId, on ? 1 : 0);
  }

  async state() {
    return this.node.getState();
  }

  // The sweep follows the page's tempo; while playing, Song sync counts bars from
  // the press of Play, and a tempo change carries the count on from where it is.
  transport(playing) {
    const now = this.context.currentTime;
    const beatsPerBar = 4;
    const bar = Math.floor(this.beats / beatsPerBar);
    this.node.scheduleEvents({
      type: 'wam-transport',
      time: now,
      data: {
        currentBar: bar,
        currentBarStarted: now - ((this.beats - bar * beatsPerBar) * 60) / this.bpm,
        tempo: this.bpm,
        timeSigNumerator: beatsPerBar,
        timeSigDenominator: 4,
        playing,
      },
    });
  }

  beatsNow() {
    if (!this.playing) return this.beats;
    return this.beats + ((this.context.currentTime - this.since) * this.bpm) / 60;
  }

  startTransport(bpm) {
    this.bpm = bpm;
    this.beats = 0;
    this.since = this.context.currentTime;
    this.playing = true;
    this.transport(true);
  }

  stopTransport() {
    this.beats = this.beatsNow();
    this.playing = false;
    this.transport(false);
  }

  setTempo(bpm) {
    this.beats = this.beatsNow();
    this.since = this.context.currentTime;
    this.bpm = bpm;
    this.transport(this.playing);
  }
}
