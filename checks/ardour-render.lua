-- Drives headless Ardour (ardour7-lua) as a VST 3 or LV2 host for checks/check-ardour-vst3:
--   ardour7-lua ardour-render.lua WORKDIR PROGRAM-NAME TEMPO RATE [VST3|LV2
--       [RAMP-TO SECONDS DEVICE [PARAMETER=VALUE ...]]]
-- Records two seconds of the Dummy backend's pink noise into a stereo track,
-- exports the track as it is (WORKDIR/out/dry.wav), inserts Tavrellion (VST 3 by default),
-- selects PROGRAM-NAME through Ardour's preset interface ("-": none) and exports again
-- (WORKDIR/out/wet.wav). Both exports are 32-bit float WAV without dither.
-- With RAMP-TO the tempo map ramps from TEMPO at the start to RAMP-TO at beat 32
-- (RAMP-TO 0: no ramp); SECONDS and DEVICE choose the take's length and the Dummy
-- backend's signal; each PARAMETER (by its name in Ardour) is set to VALUE.
-- Each step prints a line; the caller reads them to tell where a run stopped.
local work, program, tempo, rate = arg[1], arg[2], tonumber(arg[3]), tonumber(arg[4])
local format = arg[5] or "VST3"
local ramp_to = tonumber(arg[6] or "0")
local take_seconds = tonumber(arg[7] or "2")
local device = arg[8] or "Pink Noise"
local preroll = 8192 -- silence before the take: the plug-in starts on silence
local format_preset = "6c1d6f0e-7a43-4d0b-9a55-3f2b8e1c0a02" -- written by the caller

local function say(...)
    print(...)
    io.stdout:flush()
end

local function fail(msg)
    say("FAIL: " .. msg)
    os.exit(1)
end

local function wait_until(what, seconds, ready)
    local deadline = ARDOUR.LuaAPI.monotonic_time() + seconds * 1e6
    while not ready() do
        if ARDOUR.LuaAPI.monotonic_time() > deadline then fail(what) end
        ARDOUR.LuaAPI.usleep(20000)
    end
end

-- Ardour 7.3 frees an export preset twice when Lua collects a SimpleExport
-- (~ExportProfileManager): the exporters stay referenced, and the run ends
-- without closing the Lua state.
local exporters = {}
local function export(session, name, length)
    local e = session:simple_export()
    exporters[#exporters + 1] = e
    if not e:set_preset(format_preset) then fail("Ardour does not know the float WAV export preset") end
    e:set_folder(work .. "/out")
    e:set_name(name)
    e:set_range(0, length)
    if not e:check_outputs() then fail("nothing to export") end
    if not e:run_export() then fail("export of " .. name .. " failed") end
    say("exported " .. name)
end

if AudioEngine:set_backend("None (Dummy)", "", "") == nil then fail("no Dummy backend") end
AudioEngine:set_device_name(device)
AudioEngine:set_sample_rate(rate)
AudioEngine:set_buffer_size(1024)
if AudioEngine:start() ~= 0 then fail("the Dummy backend does not start") end

local s = create_session(work .. "/session", "tav", rate)
if s == nil then fail("no session") end

local tm = Temporal.TempoMap.fetch_writable()
if ramp_to > 0 then
    -- The end first: a tempo that has a later point ramps to that point's tempo.
    tm:set_tempo(Temporal.Tempo(ramp_to, ramp_to, 4), Temporal.timepos_t.from_ticks(32 * 1920))
    tm:set_tempo(Temporal.Tempo(tempo, ramp_to, 4), Temporal.timepos_t(0))
else
    tm:set_tempo(Temporal.Tempo(tempo, tempo, 4), Temporal.timepos_t(0))
end
Temporal.TempoMap.update(tm)

local track = s:new_audio_track(2, 2, nil, 1, "Input", ARDOUR.PresentationInfo.max_order,
    ARDOUR.TrackMode.Normal, true):front()
local none = PBD.GroupControlDisposition.NoGroup

-- Two seconds of the backend's noise, recorded as Ardour records any input.
track:rec_enable_control():set_value(1, none)
s:maybe_enable_record(false)
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
wait_until("the transport does not roll", 10, function() return s:transport_rolling() end)
ARDOUR.LuaAPI.usleep(math.floor(take_seconds * 1000000))
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
wait_until("the recording does not end", 10,
    function() return s:transport_stopped() and track:playlist():n_regions() > 0 end)
s:disable_record(false, false)
track:rec_enable_control():set_value(0, none)
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorDisk, none)
track:input():disconnect_all(nil)

-- The take plays unchanged: no region fades, after some silence.
local region
for r in track:playlist():region_list():iter() do region = r end
region:to_audioregion():set_fade_in_active(false)
region:to_audioregion():set_fade_out_active(false)
region:set_position(Temporal.timepos_t(preroll))
local length = preroll + region:length():samples()
say("recorded " .. region:length():samples() .. " frames")

export(s, "dry", length)

local plugin_type = ({ VST3 = ARDOUR.PluginType.VST3, LV2 = ARDOUR.PluginType.LV2 })[format]
if plugin_type == nil then fail("no plug-in format " .. format) end
local proc = ARDOUR.LuaAPI.new_plugin(s, "Tavrellion", plugin_type, "")
if proc:isnil() then fail("Ardour does not find Tavrellion (" .. format .. ")") end
if track:add_processor_by_index(proc, 0, nil, true) ~= 0 then fail("Ardour cannot insert Tavrellion") end
local plugin = proc:to_insert():plugin(0)
say("inserted " .. plugin:name() .. " by " .. plugin:maker())

if program ~= "-" then
    local preset = plugin:preset_by_label(program)
    if preset == nil or not preset.valid then fail("Ardour lists no preset named " .. program) end
    say("selecting program " .. preset.label .. " (" .. preset.uri .. ")")
    if not plugin:load_preset(preset) then fail("Ardour could not select " .. program) end
    say("program selected")
    if plugin:last_preset().label ~= program then fail("Ardour reports preset " .. plugin:last_preset().label) end
end

for i = 9, #arg do
    local name, value = arg[i]:match("^(.-)=(.*)$")
    local set = false
    for n = 0, plugin:parameter_count() - 1 do
        -- Outputs (the latency port) have no automation: Ardour raises an error.
        local ok, _, _, pd = pcall(ARDOUR.LuaAPI.plugin_automation, proc, n)
        if ok and pd ~= nil and pd.label == name then
            set = ARDOUR.LuaAPI.set_processor_param(proc, n, tonumber(value))
            break
        end
    end
    if not set then fail("Ardour could not set " .. arg[i]) end
    say("set " .. arg[i])
end

export(s, "wet", length)

say("done")
os.exit(0)
