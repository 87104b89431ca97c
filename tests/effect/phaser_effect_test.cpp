// The phaser's identity, parameters, factory programs and state chunks, driven
// through the core with a recording stand-in for the host layer.
#include "effect/phaser_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/recording_host.h"

namespace tav {
namespace {

class TestPhaser : public PhaserEffect<test::RecordingHost> {
  public:
    void ParamChanged(int index) override {
        ++paramChanges;
        PhaserEffect::ParamChanged(index);
    }
    int paramChanges = 0;
};

using Bytes = std::vector<uint8_t>;

Bytes GetChunk(TestPhaser& fx, int index, StateChunk& chunk) {
    void* data = nullptr;
    const int32_t size = fx.GetChunk(index, chunk, &data);
    if (size <= 0 || data == nullptr) return {};
    const auto* p = static_cast<const uint8_t*>(data);
    return {p, p + size};
}

struct Session {
    TestPhaser fx;
    StateChunk programChunk;
    StateChunk bankChunk;
    Bytes Program() { return GetChunk(fx, 1, programChunk); }
    Bytes Bank() { return GetChunk(fx, 0, bankChunk); }
    int SetProgram(const Bytes& b) {
        return fx.SetChunk(1, programChunk, b.data(), int64_t(b.size()));
    }
    int SetBank(const Bytes& b) { return fx.SetChunk(0, bankChunk, b.data(), int64_t(b.size())); }
};

void PutLe(Bytes& b, uint64_t v, int n) {
    for (int i = 0; i < n; ++i, v >>= 8) b.push_back(uint8_t(v));
}
void PutDouble(Bytes& b, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    PutLe(b, bits, 8);
}
double DoubleAt(const Bytes& b, size_t pos) {
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | b[pos + i];
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}
Bytes Header() {
    return {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
}

const double kDefaults[13] = {2500, 60, 30, 12, 80, 2500, 60, 30, 12, 80, 2, 1, -60};

std::string Display(const TestPhaser& fx, int index, double x, bool isUnit = false) {
    char text[32];
    fx.Param(index)->FormatValue(x, isUnit, text, sizeof text);
    return text;
}

TEST(PhaserEffect, IdentityAndParameterTable) {
    TestPhaser fx;
    EXPECT_EQ(fx.ParamCount(), 13);
    EXPECT_EQ(fx.PresetCount(), 10);
    EXPECT_EQ(fx.UniqueId(), 0x656F6F79);
    EXPECT_EQ(fx.VersionDecimal(), 10000);
    EXPECT_STREQ(fx.EffectName(), "Tavrellion");
    EXPECT_STREQ(fx.VendorName(), "Qorva");
    EXPECT_STREQ(fx.ProductName(), "");
    EXPECT_EQ(fx.ManufacturerCode(), 0x516F7276);
    EXPECT_TRUE(fx.SupportsChannels(1, 1));
    EXPECT_TRUE(fx.SupportsChannels(2, 2));

    const char* names[13] = {"Freq Left",        "FBack Left", "Left Depth",  "Left Sweep Rate",
                             "Wet Left",         "Freq Right", "FBack Right", "Right Depth",
                             "Right Sweep Rate", "Wet Right",  "Accent",      "Filter Mirror",
                             "Bypass Ceil"};
    const char* labels[13] = {"Hz", "%", "%", "", "%", "Hz", "%", "%", "", "%", "", "", "dB"};
    const double mins[13] = {40, 0, 0, 0, 0, 40, 0, 0, 0, 0, 0, 0, -100};
    const double maxs[13] = {20000, 100, 100, 30, 100, 20000, 100, 100, 30, 100, 2, 1, -50};
    for (int i = 0; i < 13; ++i) {
        const PluginParam* p = fx.Param(i);
        SCOPED_TRACE(names[i]);
        EXPECT_STREQ(p->Name(), names[i]);
        EXPECT_STREQ(p->UnitLabel(), labels[i]);
        EXPECT_EQ(p->value, kDefaults[i]);
        EXPECT_EQ(p->minValue, mins[i]);
        EXPECT_EQ(p->maxValue, maxs[i]);
        EXPECT_EQ(p->curveExponent, (i == 0 || i == 5) ? 2.0 : 1.0);
        EXPECT_EQ(p->kind, (i == 3 || i == 8 || i == 10 || i == 11) ? KindChoice : KindInteger);
        EXPECT_EQ(p->decimals, 0);
    }
    EXPECT_EQ(fx.Param(3)->ValueLabelCount(), 31);
    EXPECT_EQ(fx.Param(8)->ValueLabelCount(), 31);
}

TEST(PhaserEffect, DisplayTexts) {
    TestPhaser fx;
    EXPECT_EQ(Display(fx, 3, 29), "16/1D");
    EXPECT_EQ(Display(fx, 8, 0), "1/32");
    EXPECT_EQ(Display(fx, 8, 12), "1/2");
    EXPECT_EQ(Display(fx, 3, 30), "32/1");
    EXPECT_EQ(Display(fx, 10, 1), "Right");
    EXPECT_EQ(Display(fx, 11, 0), "No");
    EXPECT_EQ(Display(fx, 0, 0.5, true), "5030");
    EXPECT_EQ(Display(fx, 12, -60), "-60");
    EXPECT_EQ(fx.Param(3)->ParseText("1/1D"), 17.0);
    fx.Param(0)->SetFromUnit(0.5);
    EXPECT_EQ(fx.Param(0)->value, 5030.0);
}

TEST(PhaserEffect, ProgramChunkHoldsTheDefaults) {
    Session s;
    const Bytes program = s.Program();
    ASSERT_EQ(program.size(), 112u);
    EXPECT_EQ(Bytes(program.begin(), program.begin() + 8), Header());
    for (int i = 0; i < 13; ++i) EXPECT_EQ(DoubleAt(program, 8 + 8 * i), kDefaults[i]) << i;
}

TEST(PhaserEffect, BankChunkRightAfterCreation) {
    Session s;
    const Bytes bank = s.Bank();
    Bytes expected = Header();
    auto entry = [&](const std::string& name, const double* values) {
        PutLe(expected, name.size(), 4);
        expected.insert(expected.end(), name.begin(), name.end());
        expected.push_back(values != nullptr ? 1 : 0);
        for (int i = 0; values != nullptr && i < 13; ++i) PutDouble(expected, values[i]);
    };
    entry("---- default ----", kDefaults);
    const double presets[6][13] = {{1000, 90, 50, 17, 80, 2000, 60, 100, 18, 80, 0, 2, -60},
                                   {4000, 60, 55, 18, 80, 4000, 60, 55, 18, 80, 0, 2, -60},
                                   {2500, 60, 30, 21, 80, 2500, 60, 30, 21, 80, 0, 2, -60},
                                   {3000, 60, 40, 24, 80, 3000, 60, 40, 24, 80, 0, 2, -60},
                                   {2500, 60, 20, 15, 80, 2500, 60, 20, 15, 80, 0, 2, -60},
                                   {2500, 60, 20, 12, 80, 2500, 60, 20, 12, 80, 0, 2, -60}};
    const char* names[6] = {"Psy Asymetric",    "Psy Symetric Balance", "Pad Balance",
                            "Pad Long Balance", "Soft Sweep",           "Fast Soft Sweep"};
    for (int p = 0; p < 6; ++p) entry(names[p], presets[p]);
    entry("- 8 -", nullptr);
    entry("- 9 -", nullptr);
    entry("- 10 -", nullptr);
    EXPECT_EQ(bank, expected);
}

TEST(PhaserEffect, RecallingFactoryProgramsBoundsTheirValues) {
    TestPhaser fx;
    ASSERT_TRUE(fx.SelectPreset(1));
    EXPECT_EQ(fx.Param(11)->value, 1.0) << "stored 2, bounded to Yes";
    EXPECT_EQ(fx.Param(10)->value, 0.0);
    EXPECT_EQ(fx.Param(0)->value, 1000.0);
    EXPECT_EQ(fx.CurrentPreset(), 1);
    ASSERT_TRUE(fx.SelectPreset(0));
    for (int i = 0; i < 13; ++i) EXPECT_EQ(fx.Param(i)->value, kDefaults[i]);
    EXPECT_FALSE(fx.SelectPreset(10));
    EXPECT_FALSE(fx.SelectPreset(-1));
    EXPECT_EQ(fx.CurrentPreset(), 0);
}

TEST(PhaserEffect, PlaceholdersBecomeUserPresets) {
    TestPhaser fx;
    fx.Param(1)->value = 42;
    ASSERT_TRUE(fx.SelectPreset(8));
    EXPECT_STREQ(fx.PresetName(8), "user preset 1");
    EXPECT_TRUE(fx.Preset(8)->initialised);
    ASSERT_TRUE(fx.SelectPreset(9));
    EXPECT_STREQ(fx.PresetName(9), "user preset 2");
    fx.Param(1)->value = 7;
    ASSERT_TRUE(fx.SelectPreset(8));
    EXPECT_EQ(fx.Param(1)->value, 42.0);

    fx.StoreCurrentPreset("");
    EXPECT_STREQ(fx.PresetName(8), "user preset 1") << "an empty name keeps the old one";
    const std::string longName(300, 'n');
    fx.StoreCurrentPreset(longName.c_str());
    EXPECT_EQ(std::strlen(fx.PresetName(8)), 255u);
}

TEST(PhaserEffect, HeaderlessAndOutOfRangeProgramChunks) {
    Session s;
    Bytes bare;
    const double values[13] = {25000, 10, 20, 5, 40, 300, 20, 70, 29, 100, 1, 0, -90};
    for (double v : values) PutDouble(bare, v);
    ASSERT_EQ(bare.size(), 104u);
    EXPECT_EQ(s.SetProgram(bare), 1);
    EXPECT_EQ(s.fx.Param(0)->value, 20000.0) << "25000 is clamped";
    for (int i = 1; i < 13; ++i) EXPECT_EQ(s.fx.Param(i)->value, values[i]) << i;

    // A bank whose version is below 0x10000 is read as a program after the header.
    Bytes oldBank = {0x74, 0x66, 0x66, 0x70, 0xFF, 0xFF, 0x00, 0x00};
    for (int i = 0; i < 13; ++i) PutDouble(oldBank, kDefaults[i]);
    EXPECT_EQ(s.SetBank(oldBank), 1);
    EXPECT_EQ(s.fx.Param(0)->value, 2500.0);
    // Extra bytes after what is needed are ignored.
    Bytes longer = s.Program();
    longer.resize(longer.size() + 50, 0xAB);
    EXPECT_EQ(s.SetProgram(longer), 1);
}

TEST(PhaserEffect, ChunksRoundTripByteForByte) {
    Session s;
    ASSERT_TRUE(s.fx.SelectPreset(3));
    s.fx.Param(2)->value = 77;
    ASSERT_TRUE(s.fx.SelectPreset(8));
    s.fx.StoreCurrentPreset("mine");
    const Bytes bank = s.Bank();
    const Bytes program = s.Program();
    ASSERT_EQ(s.SetBank(bank), 1);
    EXPECT_EQ(s.Bank(), bank);
    ASSERT_EQ(s.SetProgram(program), 1);
    EXPECT_EQ(s.Program(), program);

    Session fresh;
    ASSERT_EQ(fresh.SetBank(bank), 1);
    EXPECT_STREQ(fresh.fx.PresetName(8), "mine");
    ASSERT_EQ(fresh.SetProgram(program), 1);
    EXPECT_EQ(fresh.Program(), program);
}

TEST(PhaserEffect, LongBankNamesAreCut) {
    Session s;
    Bytes bank = s.Bank();
    Bytes edited = Header();
    const std::string longName(400, 'x');
    PutLe(edited, longName.size(), 4);
    edited.insert(edited.end(), longName.begin(), longName.end());
    // The rest of the first entry (flag and values) and the other entries as saved.
    edited.insert(edited.end(), bank.begin() + 8 + 4 + 17, bank.end());
    ASSERT_EQ(edited.size(), bank.size() + 400 - 17);
    ASSERT_EQ(s.SetBank(edited), 1);
    EXPECT_EQ(std::string(s.fx.PresetName(0)), std::string(255, 'x'));
}

// Every damaged chunk is refused whole: no value, preset, name or current
// program changes, and no parameter hook runs.
TEST(PhaserEffect, DamagedChunksChangeNothing) {
    Session s;
    ASSERT_TRUE(s.fx.SelectPreset(2));
    s.fx.Param(4)->value = 33;
    const Bytes goodBank = s.Bank();
    const Bytes goodProgram = s.Program();

    Bytes nanProgram = goodProgram;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(&nanProgram[8 + 8 * 5], &nan, 8);
    Bytes infBare(goodProgram.begin() + 8, goodProgram.end());
    const double inf = std::numeric_limits<double>::infinity();
    std::memcpy(&infBare[0], &inf, 8);
    Bytes negativeName = goodBank;
    negativeName[8] = 0xFF, negativeName[9] = 0xFF, negativeName[10] = 0xFF,
    negativeName[11] = 0xFF;
    Bytes nameTooLong = goodBank;
    nameTooLong[9] = 0x40;

    const std::vector<std::pair<const char*, Bytes>> programs = {
        {"short program", Bytes(goodProgram.begin(), goodProgram.end() - 1)},
        {"short bare block", Bytes(goodProgram.begin() + 8, goodProgram.end() - 8)},
        {"magic only", Bytes(goodProgram.begin(), goodProgram.begin() + 6)},
        {"empty", {}},
        {"NaN value", nanProgram},
        {"infinite bare value", infBare},
    };
    const std::vector<std::pair<const char*, Bytes>> banks = {
        {"truncated entry", Bytes(goodBank.begin(), goodBank.begin() + 8 + 4 + 17 + 1 + 50)},
        {"ends before the last preset", Bytes(goodBank.begin(), goodBank.end() - 3)},
        {"magic only", Bytes(goodBank.begin(), goodBank.begin() + 7)},
        {"negative name length", negativeName},
        {"name past the end", nameTooLong},
        {"NaN in a preset",
         [&] {
             Bytes b = goodBank;
             std::memcpy(&b[8 + 4 + 17 + 1 + 16], &nan, 8);
             return b;
         }()},
    };
    auto check = [&](const char* what, int result) {
        SCOPED_TRACE(what);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(s.fx.paramChanges, 0);
        EXPECT_EQ(s.fx.CurrentPreset(), 2);
        EXPECT_EQ(s.Bank(), goodBank);
        EXPECT_EQ(s.Program(), goodProgram);
    };
    for (const auto& [what, bytes] : programs) {
        s.fx.paramChanges = 0;
        check(what, s.SetProgram(bytes));
        s.fx.paramChanges = 0;
        if (bytes.size() < 8 || bytes[0] != 0x74) check(what, s.SetBank(bytes));
    }
    for (const auto& [what, bytes] : banks) {
        s.fx.paramChanges = 0;
        check(what, s.SetBank(bytes));
    }
    s.fx.paramChanges = 0;
    check("no data", s.fx.SetChunk(0, s.bankChunk, nullptr, 100));
    check("negative size", s.fx.SetChunk(1, s.programChunk, goodProgram.data(), -1));
    check("absurd size", s.fx.SetChunk(1, s.programChunk, goodProgram.data(), int64_t(1) << 40));
    void* out = nullptr;
    EXPECT_EQ(s.fx.GetChunk(1, s.programChunk, nullptr), 0);
    EXPECT_EQ(out, nullptr);
}

// Sweep Sync after the chunks' data: "TvSy", version, sync (little-endian).
Bytes SyncTrailer(int32_t version, int32_t sync) {
    Bytes b = {'T', 'v', 'S', 'y'};
    PutLe(b, static_cast<uint32_t>(version), 4);
    PutLe(b, static_cast<uint32_t>(sync), 4);
    return b;
}
Bytes Joined(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// With "Free" nothing is added: the chunks are those the tests above pin byte for
// byte, also after the setting went to "Song" and back.
TEST(PhaserEffect, SweepSyncFreeLeavesTheChunksAsTheyWere) {
    Session fresh;
    const Bytes program = fresh.Program();
    const Bytes bank = fresh.Bank();
    ASSERT_EQ(program.size(), 112u);
    Session s;
    s.fx.SetSweepSync(SweepSync::Song);
    s.fx.SetSweepSync(SweepSync::Free);
    EXPECT_EQ(s.Program(), program);
    EXPECT_EQ(s.Bank(), bank);
}

TEST(PhaserEffect, SweepSyncSongTravelsInATrailerOfBothChunks) {
    Session s;
    const Bytes freeProgram = s.Program();
    const Bytes freeBank = s.Bank();
    s.fx.SetSweepSync(SweepSync::Song);
    const Bytes program = s.Program();
    const Bytes bank = s.Bank();
    EXPECT_EQ(program, Joined(freeProgram, SyncTrailer(1, 1)));
    EXPECT_EQ(bank, Joined(freeBank, SyncTrailer(1, 1)));

    const struct {
        const char* what;
        bool bank;
        Bytes bytes;
        SweepSync before, after;
    } cases[] = {
        {"program with the trailer", false, program, SweepSync::Free, SweepSync::Song},
        {"bank with the trailer", true, bank, SweepSync::Free, SweepSync::Song},
        {"program without one", false, freeProgram, SweepSync::Song, SweepSync::Free},
        {"bank without one", true, freeBank, SweepSync::Song, SweepSync::Free},
        {"headerless program with the trailer", false, Bytes(program.begin() + 8, program.end()),
         SweepSync::Free, SweepSync::Song},
        {"a trailer that says Free", false, Joined(freeProgram, SyncTrailer(1, 0)), SweepSync::Song,
         SweepSync::Free},
        {"zeros after the data", true, Joined(freeBank, Bytes(12, 0)), SweepSync::Song,
         SweepSync::Free},
        {"bytes after the trailer", true, Joined(bank, Bytes(5, 0xAB)), SweepSync::Free,
         SweepSync::Song},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Session t;
        t.fx.SetSweepSync(c.before);
        EXPECT_EQ(c.bank ? t.SetBank(c.bytes) : t.SetProgram(c.bytes), 1);
        EXPECT_EQ(t.fx.GetSweepSync(), c.after);
    }
    Session copy;
    ASSERT_EQ(copy.SetBank(bank), 1);
    EXPECT_EQ(copy.Bank(), bank);
    EXPECT_EQ(copy.Program(), program);
}

// A trailer cut short, of an unknown version or with a sync other than 0 or 1 is
// refused with the rest of the chunk, whichever the setting was.
TEST(PhaserEffect, DamagedSweepSyncTrailersAreRefusedWhole) {
    const Bytes good = SyncTrailer(1, 1);
    const std::pair<const char*, Bytes> trailers[] = {
        {"first byte of the tag", {'T'}},
        {"tag cut", {'T', 'v', 'S'}},
        {"tag only", Bytes(good.begin(), good.begin() + 4)},
        {"cut in the version", Bytes(good.begin(), good.begin() + 6)},
        {"cut in the sync", Bytes(good.begin(), good.begin() + 11)},
        {"version 0", SyncTrailer(0, 1)},
        {"version 2", SyncTrailer(2, 1)},
        {"sync 2", SyncTrailer(1, 2)},
        {"sync -1", SyncTrailer(1, -1)},
    };
    for (const SweepSync held : {SweepSync::Song, SweepSync::Free}) {
        Session s;
        ASSERT_TRUE(s.fx.SelectPreset(2));
        s.fx.Param(4)->value = 33;
        s.fx.SetSweepSync(SweepSync::Free);
        const Bytes programData = s.Program();
        const Bytes bankData = s.Bank();
        s.fx.SetSweepSync(held);
        const Bytes goodProgram = s.Program();
        const Bytes goodBank = s.Bank();
        for (const auto& [what, trailer] : trailers) {
            SCOPED_TRACE(what);
            for (const bool bank : {false, true}) {
                s.fx.paramChanges = 0;
                const Bytes bytes = Joined(bank ? bankData : programData, trailer);
                EXPECT_EQ(bank ? s.SetBank(bytes) : s.SetProgram(bytes), 0);
                EXPECT_EQ(s.fx.paramChanges, 0);
                EXPECT_EQ(s.fx.GetSweepSync(), held);
                EXPECT_EQ(s.fx.CurrentPreset(), 2);
                EXPECT_EQ(s.Bank(), goodBank);
                EXPECT_EQ(s.Program(), goodProgram);
            }
        }
    }
}

Bytes GlideTrailer(int32_t version, int32_t glide) {
    Bytes b = SyncTrailer(version, glide);
    b[2] = 'G';
    b[3] = 'l';
    return b;
}

// Glide "Off" follows Sweep Sync's trailer in one of its own; "On" adds nothing, so
// chunks of sessions saved before Glide load with it on, and a reader that knows
// only Sweep Sync reads past it.
TEST(PhaserEffect, GlideOffTravelsInATrailerAfterSweepSyncs) {
    Session s;
    const Bytes plain = s.Program();
    const Bytes plainBank = s.Bank();
    s.fx.SetGlide(false);
    EXPECT_EQ(s.Program(), Joined(plain, GlideTrailer(1, 0)));
    s.fx.SetSweepSync(SweepSync::Song);
    const Bytes both = Joined(Joined(plain, SyncTrailer(1, 1)), GlideTrailer(1, 0));
    EXPECT_EQ(s.Program(), both);
    EXPECT_EQ(s.Bank(), Joined(Joined(plainBank, SyncTrailer(1, 1)), GlideTrailer(1, 0)));

    const struct {
        const char* what;
        Bytes bytes;
        int result;
        SweepSync sync;
        bool glide;
    } cases[] = {
        {"both", both, 1, SweepSync::Song, false},
        {"today's Sweep Sync trailer", Joined(plain, SyncTrailer(1, 1)), 1, SweepSync::Song, true},
        {"Glide's alone", Joined(plain, GlideTrailer(1, 0)), 1, SweepSync::Free, false},
        {"neither", plain, 1, SweepSync::Free, true},
        {"Glide's damaged", Joined(plain, GlideTrailer(1, 2)), 0, SweepSync::Song, true},
        {"Glide's cut short", Bytes(both.begin(), both.end() - 3), 0, SweepSync::Song, true},
        {"Glide's before Sweep Sync's",
         Joined(Joined(plain, GlideTrailer(1, 0)), SyncTrailer(1, 1)), 1, SweepSync::Free, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Session t;
        t.fx.SetSweepSync(SweepSync::Song);
        EXPECT_EQ(t.SetProgram(c.bytes), c.result);
        EXPECT_EQ(t.fx.GetSweepSync(), c.sync);
        EXPECT_EQ(t.fx.GetGlide(), c.glide);
    }
}

// Sweep Sync is none of a program's thirteen values: choosing programs keeps it.
TEST(PhaserEffect, ProgramsLeaveSweepSyncAlone) {
    TestPhaser fx;
    fx.SetSweepSync(SweepSync::Song);
    for (const int program : {1, 0, 8, 3}) {
        ASSERT_TRUE(fx.SelectPreset(program));
        EXPECT_EQ(fx.GetSweepSync(), SweepSync::Song) << program;
    }
}

// Random and mutated chunks: the state is either fully replaced or untouched.
TEST(PhaserEffect, MutatedChunksAreAllOrNothing) {
    Session s;
    const Bytes seedBank = s.Bank();
    const Bytes seedProgram = s.Program();
    uint64_t rng = 0x243F6A8885A308D3ull;
    auto next = [&] {
        rng ^= rng << 13, rng ^= rng >> 7, rng ^= rng << 17;
        return rng;
    };
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        const bool bank = (round & 1) == 0;
        Bytes b = bank ? seedBank : seedProgram;
        switch (next() % 4) {
            case 0:  // flip a few bytes
                for (int k = 0, n = 1 + int(next() % 4); k < n; ++k)
                    b[next() % b.size()] ^= uint8_t(next());
                break;
            case 1:  // truncate
                b.resize(next() % (b.size() + 1));
                break;
            case 2:  // random bytes
                b.resize(next() % 200);
                for (auto& byte : b) byte = uint8_t(next());
                break;
            default:  // extend with noise
                for (int k = int(next() % 40); k > 0; --k) b.push_back(uint8_t(next()));
        }
        const Bytes beforeBank = s.Bank();
        const Bytes beforeProgram = s.Program();
        const int result = bank ? s.SetBank(b) : s.SetProgram(b);
        if (result == 0) {
            ASSERT_EQ(s.Bank(), beforeBank) << "round " << round;
            ASSERT_EQ(s.Program(), beforeProgram) << "round " << round;
            continue;
        }
        ++accepted;
        for (int i = 0; i < 13; ++i) {
            const double v = s.fx.Param(i)->value;
            ASSERT_TRUE(std::isfinite(v));
            ASSERT_GE(v, s.fx.Param(i)->minValue);
            ASSERT_LE(v, s.fx.Param(i)->maxValue);
        }
        if (!bank) {
            const bool hasHeader =
                b.size() >= 4 && b[0] == 0x74 && b[1] == 0x66 && b[2] == 0x66 && b[3] == 0x70;
            const size_t start = hasHeader ? 8 : 0;
            for (int i = 0; i < 13; ++i) {
                double v = DoubleAt(b, start + 8 * i);
                const PluginParam* p = s.fx.Param(i);
                v = v < p->minValue ? p->minValue : (v > p->maxValue ? p->maxValue : v);
                ASSERT_EQ(p->value, v) << "round " << round << " parameter " << i;
            }
        }
        // Go back to the seed so later mutations start from a known state.
        ASSERT_EQ(s.SetBank(seedBank), 1);
        ASSERT_EQ(s.SetProgram(seedProgram), 1);
    }
    EXPECT_GT(accepted, 100);
}

}  // namespace
}  // namespace tav
