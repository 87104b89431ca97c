// The VST 3 binary interface between a host and a plug-in module: types,
// interface identifiers, vtable layouts and records, written from the ABI's
// published facts for 64-bit Windows and Linux. Names keep their customary
// spelling so hosts' documentation reads across. Interfaces are pure virtual
// with no destructor: a virtual destructor would shift every slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tav::vst3 {

using int8 = char;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;
using tresult = int32;
using TBool = uint8;
using TChar = char16_t;
using char16 = char16_t;
using String128 = TChar[128];
using FIDString = const char*;
using CString = const char*;
using TUID = char[16];
using ParamID = uint32;
using ParamValue = double;
using SampleRate = double;
using TSamples = int64;
using Sample32 = float;
using Sample64 = double;
using SpeakerArrangement = uint64;
using MediaType = int32;
using BusDirection = int32;
using UnitID = int32;
using ProgramListID = int32;

// ---- Results. Success is 0: never read a tresult as a bool. ----
#if defined(_WIN32)
inline constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);
inline constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
inline constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
inline constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);
inline constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);
inline constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);
inline constexpr bool kComGuidOrder = true;
#else
inline constexpr tresult kNoInterface = -1;
inline constexpr tresult kInvalidArgument = 2;
inline constexpr tresult kNotImplemented = 3;
inline constexpr tresult kInternalError = 4;
inline constexpr tresult kNotInitialized = 5;
inline constexpr tresult kOutOfMemory = 6;
inline constexpr bool kComGuidOrder = false;
#endif
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = 0;
inline constexpr tresult kResultFalse = 1;

// ---- Identifiers: 16 bytes built from four 32-bit numbers in the platform's order. ----
struct Uid {
    uint8 bytes[16];

    constexpr Uid(uint32 l1, uint32 l2, uint32 l3, uint32 l4) : bytes{} {
        const uint32 words[4] = {l1, l2, l3, l4};
        for (int w = 0; w < 4; ++w) {
            for (int b = 0; b < 4; ++b)
                bytes[w * 4 + b] = static_cast<uint8>(words[w] >> (24 - 8 * b));
        }
        if (kComGuidOrder) {
            // Data1 and the two halves of l2 are little-endian in a COM GUID.
            Swap(0, 3);
            Swap(1, 2);
            Swap(4, 5);
            Swap(6, 7);
        }
    }
    bool Matches(const void* other) const {
        return other != nullptr && std::memcmp(bytes, other, sizeof bytes) == 0;
    }
    void CopyTo(void* out) const { std::memcpy(out, bytes, sizeof bytes); }
    const char* Data() const { return reinterpret_cast<const char*>(bytes); }

  private:
    constexpr void Swap(int a, int b) {
        const uint8 t = bytes[a];
        bytes[a] = bytes[b];
        bytes[b] = t;
    }
};

// Reference parameters of the interface are passed as pointers; they are
// declared as pointers here so that a null one from a careless host can be
// checked instead of being undefined behaviour.

// Objects delete themselves in release, never through an interface pointer:
// each interface's destructor is protected and not virtual (a virtual one would
// take a vtable slot).
#define TAV_VST3_INTERFACE(Name) \
  protected:                     \
    ~Name() = default;           \
                                 \
  public:

// ---- FUnknown and the factory ----
struct FUnknown {
    static constexpr Uid iid{0x00000000, 0x00000000, 0xC0000000, 0x00000046};
    TAV_VST3_INTERFACE(FUnknown)
    virtual tresult queryInterface(const TUID iid, void** obj) = 0;
    virtual uint32 addRef() = 0;
    virtual uint32 release() = 0;
};

struct PFactoryInfo {
    static constexpr int32 kClassesDiscardable = 1 << 0;
    static constexpr int32 kComponentNonDiscardable = 1 << 3;
    static constexpr int32 kUnicode = 1 << 4;
    char vendor[64];
    char url[256];
    char email[128];
    int32 flags;
};

inline constexpr int32 kManyInstances = 0x7FFFFFFF;

struct PClassInfo {
    TUID cid;
    int32 cardinality;
    char category[32];
    char name[64];
};

struct PClassInfo2 {
    TUID cid;
    int32 cardinality;
    char category[32];
    char name[64];
    uint32 classFlags;
    char subCategories[128];
    char vendor[64];
    char version[64];
    char sdkVersion[64];
};

struct PClassInfoW {
    TUID cid;
    int32 cardinality;
    char category[32];
    char16 name[64];
    uint32 classFlags;
    char subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
};

struct IPluginFactory : FUnknown {
    static constexpr Uid iid{0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F};
    TAV_VST3_INTERFACE(IPluginFactory)
    virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32 countClasses() = 0;
    virtual tresult getClassInfo(int32 index, PClassInfo* info) = 0;
    virtual tresult createInstance(FIDString cid, FIDString iid, void** obj) = 0;
};

struct IPluginFactory2 : IPluginFactory {
    static constexpr Uid iid{0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB};
    TAV_VST3_INTERFACE(IPluginFactory2)
    virtual tresult getClassInfo2(int32 index, PClassInfo2* info) = 0;
};

struct IPluginFactory3 : IPluginFactory2 {
    static constexpr Uid iid{0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931};
    TAV_VST3_INTERFACE(IPluginFactory3)
    virtual tresult getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
    virtual tresult setHostContext(FUnknown* context) = 0;
};

// ---- Host objects the plug-in reads and calls ----
enum SeekMode : int32 { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

struct IBStream : FUnknown {
    static constexpr Uid iid{0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B};
    TAV_VST3_INTERFACE(IBStream)
    virtual tresult read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
    virtual tresult write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
    virtual tresult seek(int64 pos, int32 mode, int64* result) = 0;
    virtual tresult tell(int64* pos) = 0;
};

struct ISizeableStream : FUnknown {
    static constexpr Uid iid{0x04F9549E, 0xE02F4E6E, 0x87E86A87, 0x47F4E17F};
    TAV_VST3_INTERFACE(ISizeableStream)
    virtual tresult getStreamSize(int64* size) = 0;
    virtual tresult setStreamSize(int64 size) = 0;
};

struct IAttributeList : FUnknown {
    static constexpr Uid iid{0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4};
    TAV_VST3_INTERFACE(IAttributeList)
    using AttrID = const char*;
    virtual tresult setInt(AttrID id, int64 value) = 0;
    virtual tresult getInt(AttrID id, int64* value) = 0;
    virtual tresult setFloat(AttrID id, double value) = 0;
    virtual tresult getFloat(AttrID id, double* value) = 0;
    virtual tresult setString(AttrID id, const TChar* string) = 0;
    virtual tresult getString(AttrID id, TChar* string, uint32 sizeInBytes) = 0;
    virtual tresult setBinary(AttrID id, const void* data, uint32 size) = 0;
    virtual tresult getBinary(AttrID id, const void** data, uint32* size) = 0;
};

struct IMessage : FUnknown {
    static constexpr Uid iid{0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613};
    TAV_VST3_INTERFACE(IMessage)
    virtual FIDString getMessageID() = 0;
    virtual void setMessageID(FIDString id) = 0;
    virtual IAttributeList* getAttributes() = 0;
};

struct IConnectionPoint : FUnknown {
    static constexpr Uid iid{0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1};
    TAV_VST3_INTERFACE(IConnectionPoint)
    virtual tresult connect(IConnectionPoint* other) = 0;
    virtual tresult disconnect(IConnectionPoint* other) = 0;
    virtual tresult notify(IMessage* message) = 0;
};

struct IHostApplication : FUnknown {
    static constexpr Uid iid{0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5};
    TAV_VST3_INTERFACE(IHostApplication)
    virtual tresult getName(String128 name) = 0;
    virtual tresult createInstance(TUID cid, TUID iid, void** obj) = 0;
};

// restartComponent flags.
enum RestartFlags : int32 {
    kReloadComponent = 1 << 0,
    kIoChanged = 1 << 1,
    kParamValuesChanged = 1 << 2,
    kLatencyChanged = 1 << 3,
    kParamTitlesChanged = 1 << 4,
};

struct IComponentHandler : FUnknown {
    static constexpr Uid iid{0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6};
    TAV_VST3_INTERFACE(IComponentHandler)
    virtual tresult beginEdit(ParamID id) = 0;
    virtual tresult performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult endEdit(ParamID id) = 0;
    virtual tresult restartComponent(int32 flags) = 0;
};

struct IComponentHandler2 : FUnknown {
    static constexpr Uid iid{0xF040B4B3, 0xA36045EC, 0xABCDC045, 0xB4D5A2CC};
    TAV_VST3_INTERFACE(IComponentHandler2)
    virtual tresult setDirty(TBool state) = 0;
    virtual tresult requestOpenEditor(FIDString name) = 0;
    virtual tresult startGroupEdit() = 0;
    virtual tresult finishGroupEdit() = 0;
};

struct IParamValueQueue : FUnknown {
    static constexpr Uid iid{0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA};
    TAV_VST3_INTERFACE(IParamValueQueue)
    virtual ParamID getParameterId() = 0;
    virtual int32 getPointCount() = 0;
    virtual tresult getPoint(int32 index, int32* sampleOffset, ParamValue* value) = 0;
    virtual tresult addPoint(int32 sampleOffset, ParamValue value, int32* index) = 0;
};

struct IParameterChanges : FUnknown {
    static constexpr Uid iid{0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D};
    TAV_VST3_INTERFACE(IParameterChanges)
    virtual int32 getParameterCount() = 0;
    virtual IParamValueQueue* getParameterData(int32 index) = 0;
    virtual IParamValueQueue* addParameterData(const ParamID* id, int32* index) = 0;
};

// Events are never read: the effect declares no event buses.
struct Event {
    int32 busIndex;
    int32 sampleOffset;
    double ppqPosition;
    uint16 flags;
    uint16 type;
    alignas(8) uint8 payload[24];
};

struct IEventList : FUnknown {
    static constexpr Uid iid{0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44};
    TAV_VST3_INTERFACE(IEventList)
    virtual int32 getEventCount() = 0;
    virtual tresult getEvent(int32 index, Event* e) = 0;
    virtual tresult addEvent(Event* e) = 0;
};

// ---- The component and its processor ----
enum MediaTypes : int32 { kAudio = 0, kEvent = 1 };
enum BusDirections : int32 { kInput = 0, kOutput = 1 };
enum BusTypes : int32 { kMain = 0, kAux = 1 };
enum SymbolicSampleSizes : int32 { kSample32 = 0, kSample64 = 1 };
enum ProcessModes : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
inline constexpr SpeakerArrangement kStereo = 0x3;
inline constexpr SpeakerArrangement kMono = 0x80000;
inline constexpr uint32 kNoTail = 0;
inline constexpr uint32 kInfiniteTail = 0xFFFFFFFFu;

struct BusInfo {
    static constexpr uint32 kDefaultActive = 1 << 0;
    MediaType mediaType;
    BusDirection direction;
    int32 channelCount;
    String128 name;
    int32 busType;
    uint32 flags;
};

struct RoutingInfo {
    MediaType mediaType;
    int32 busIndex;
    int32 channel;
};

struct ProcessSetup {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 maxSamplesPerBlock;
    SampleRate sampleRate;
};

struct AudioBusBuffers {
    int32 numChannels;
    uint64 silenceFlags;
    union {
        Sample32** channelBuffers32;
        Sample64** channelBuffers64;
    };
};

struct ProcessContext {
    enum StatesAndFlags : uint32 {
        kPlaying = 1 << 1,
        kCycleActive = 1 << 2,
        kRecording = 1 << 3,
        kSystemTimeValid = 1 << 8,
        kProjectTimeMusicValid = 1 << 9,
        kTempoValid = 1 << 10,
        kBarPositionValid = 1 << 11,
        kCycleValid = 1 << 12,
        kTimeSigValid = 1 << 13,
        kSmpteValid = 1 << 14,
        kClockValid = 1 << 15,
        kContTimeValid = 1 << 17,
        kChordValid = 1 << 18,
    };
    uint32 state;
    double sampleRate;
    TSamples projectTimeSamples;
    int64 systemTime;
    TSamples continousTimeSamples;
    double projectTimeMusic;
    double barPositionMusic;
    double cycleStartMusic;
    double cycleEndMusic;
    double tempo;
    int32 timeSigNumerator;
    int32 timeSigDenominator;
    uint8 chordKeyNote;
    uint8 chordRootNote;
    int16 chordMask;
    int32 smpteOffsetSubframes;
    uint32 frameRateFps;
    uint32 frameRateFlags;
    int32 samplesToNextClock;
};

struct ProcessData {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 numSamples;
    int32 numInputs;
    int32 numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    IEventList* inputEvents;
    IEventList* outputEvents;
    ProcessContext* processContext;
};

struct IPluginBase : FUnknown {
    static constexpr Uid iid{0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625};
    TAV_VST3_INTERFACE(IPluginBase)
    virtual tresult initialize(FUnknown* context) = 0;
    virtual tresult terminate() = 0;
};

struct IComponent : IPluginBase {
    static constexpr Uid iid{0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802};
    TAV_VST3_INTERFACE(IComponent)
    virtual tresult getControllerClassId(TUID classId) = 0;
    virtual tresult setIoMode(int32 mode) = 0;
    virtual int32 getBusCount(MediaType type, BusDirection dir) = 0;
    virtual tresult getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo* bus) = 0;
    virtual tresult getRoutingInfo(RoutingInfo* inInfo, RoutingInfo* outInfo) = 0;
    virtual tresult activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
    virtual tresult setActive(TBool state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;
};

struct IAudioProcessor : FUnknown {
    static constexpr Uid iid{0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D};
    TAV_VST3_INTERFACE(IAudioProcessor)
    virtual tresult setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                       SpeakerArrangement* outputs, int32 numOuts) = 0;
    virtual tresult getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement* arr) = 0;
    virtual tresult canProcessSampleSize(int32 symbolicSampleSize) = 0;
    virtual uint32 getLatencySamples() = 0;
    virtual tresult setupProcessing(ProcessSetup* setup) = 0;
    virtual tresult setProcessing(TBool state) = 0;
    virtual tresult process(ProcessData* data) = 0;
    virtual uint32 getTailSamples() = 0;
};

struct IProcessContextRequirements : FUnknown {
    static constexpr Uid iid{0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0};
    TAV_VST3_INTERFACE(IProcessContextRequirements)
    enum Flags : uint32 {
        kNeedSystemTime = 1 << 0,
        kNeedContinousTimeSamples = 1 << 1,
        kNeedProjectTimeMusic = 1 << 2,
        kNeedBarPositionMusic = 1 << 3,
        kNeedCycleMusic = 1 << 4,
        kNeedSamplesToNextClock = 1 << 5,
        kNeedTempo = 1 << 6,
        kNeedTimeSignature = 1 << 7,
        kNeedChord = 1 << 8,
        kNeedFrameRate = 1 << 9,
        kNeedTransportState = 1 << 10,
    };
    virtual uint32 getProcessContextRequirements() = 0;
};

// ---- The edit controller ----
struct ParameterInfo {
    enum ParameterFlags : int32 {
        kNoFlags = 0,
        kCanAutomate = 1 << 0,
        kIsReadOnly = 1 << 1,
        kIsWrapAround = 1 << 2,
        kIsList = 1 << 3,
        kIsHidden = 1 << 4,
        kIsProgramChange = 1 << 15,
        kIsBypass = 1 << 16,
    };
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32 stepCount;
    ParamValue defaultNormalizedValue;
    UnitID unitId;
    int32 flags;
};

inline constexpr UnitID kRootUnitId = 0;
inline constexpr UnitID kNoParentUnitId = -1;
inline constexpr ProgramListID kNoProgramListId = -1;

struct IPlugView;

struct IEditController : IPluginBase {
    static constexpr Uid iid{0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E};
    TAV_VST3_INTERFACE(IEditController)
    virtual tresult setComponentState(IBStream* state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;
    virtual int32 getParameterCount() = 0;
    virtual tresult getParameterInfo(int32 paramIndex, ParameterInfo* info) = 0;
    virtual tresult getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                          String128 string) = 0;
    virtual tresult getParamValueByString(ParamID id, TChar* string,
                                          ParamValue* valueNormalized) = 0;
    virtual ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue getParamNormalized(ParamID id) = 0;
    virtual tresult setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* createView(FIDString name) = 0;
};

struct UnitInfo {
    UnitID id;
    UnitID parentUnitId;
    String128 name;
    ProgramListID programListId;
};

struct ProgramListInfo {
    ProgramListID id;
    String128 name;
    int32 programCount;
};

struct IUnitInfo : FUnknown {
    static constexpr Uid iid{0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1};
    TAV_VST3_INTERFACE(IUnitInfo)
    virtual int32 getUnitCount() = 0;
    virtual tresult getUnitInfo(int32 unitIndex, UnitInfo* info) = 0;
    virtual int32 getProgramListCount() = 0;
    virtual tresult getProgramListInfo(int32 listIndex, ProgramListInfo* info) = 0;
    virtual tresult getProgramName(ProgramListID listId, int32 programIndex, String128 name) = 0;
    virtual tresult getProgramInfo(ProgramListID listId, int32 programIndex, CString attributeId,
                                   String128 attributeValue) = 0;
    virtual tresult hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
    virtual tresult getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                        String128 name) = 0;
    virtual UnitID getSelectedUnit() = 0;
    virtual tresult selectUnit(UnitID unitId) = 0;
    virtual tresult getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                 UnitID* unitId) = 0;
    virtual tresult setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) = 0;
};

// ---- The editor's view (used by the editor; declared here with the rest) ----
struct ViewRect {
    int32 left;
    int32 top;
    int32 right;
    int32 bottom;
};

struct IPlugFrame;

struct IPlugView : FUnknown {
    static constexpr Uid iid{0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29};
    TAV_VST3_INTERFACE(IPlugView)
    virtual tresult isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult attached(void* parent, FIDString type) = 0;
    virtual tresult removed() = 0;
    virtual tresult onWheel(float distance) = 0;
    virtual tresult onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult getSize(ViewRect* size) = 0;
    virtual tresult onSize(ViewRect* newSize) = 0;
    virtual tresult onFocus(TBool state) = 0;
    virtual tresult setFrame(IPlugFrame* frame) = 0;
    virtual tresult canResize() = 0;
    virtual tresult checkSizeConstraint(ViewRect* rect) = 0;
};

struct IPlugFrame : FUnknown {
    static constexpr Uid iid{0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3};
    TAV_VST3_INTERFACE(IPlugFrame)
    virtual tresult resizeView(IPlugView* view, ViewRect* newSize) = 0;
};

struct IPlugViewContentScaleSupport : FUnknown {
    static constexpr Uid iid{0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F};
    TAV_VST3_INTERFACE(IPlugViewContentScaleSupport)
    virtual tresult setContentScaleFactor(float factor) = 0;
};

struct IEventHandler : FUnknown {
    static constexpr Uid iid{0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983};
    TAV_VST3_INTERFACE(IEventHandler)
    virtual void onFDIsSet(int fd) = 0;
};

struct ITimerHandler : FUnknown {
    static constexpr Uid iid{0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9};
    TAV_VST3_INTERFACE(ITimerHandler)
    virtual void onTimer() = 0;
};

struct IRunLoop : FUnknown {
    static constexpr Uid iid{0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389};
    TAV_VST3_INTERFACE(IRunLoop)
    virtual tresult registerEventHandler(IEventHandler* handler, int fd) = 0;
    virtual tresult unregisterEventHandler(IEventHandler* handler) = 0;
    virtual tresult registerTimer(ITimerHandler* handler, uint64 milliseconds) = 0;
    virtual tresult unregisterTimer(ITimerHandler* handler) = 0;
};

// ---- Module entry points ----
using GetFactoryProc = IPluginFactory* (*)();

inline constexpr const char* kSdkVersionString = "VST 3.7.14";
inline constexpr const char* kAudioEffectClass = "Audio Module Class";
inline constexpr const char* kComponentControllerClass = "Component Controller Class";

// ---- Layout checks: the same on both 64-bit targets ----
static_assert(sizeof(TChar) == 2 && sizeof(String128) == 256);
static_assert(sizeof(PFactoryInfo) == 452 && offsetof(PFactoryInfo, url) == 64 &&
              offsetof(PFactoryInfo, email) == 320 && offsetof(PFactoryInfo, flags) == 448);
static_assert(sizeof(PClassInfo) == 116 && offsetof(PClassInfo, cardinality) == 16 &&
              offsetof(PClassInfo, category) == 20 && offsetof(PClassInfo, name) == 52);
static_assert(sizeof(PClassInfo2) == 440 && offsetof(PClassInfo2, classFlags) == 116 &&
              offsetof(PClassInfo2, subCategories) == 120 && offsetof(PClassInfo2, vendor) == 248 &&
              offsetof(PClassInfo2, version) == 312 && offsetof(PClassInfo2, sdkVersion) == 376);
static_assert(sizeof(PClassInfoW) == 696 && offsetof(PClassInfoW, name) == 52 &&
              offsetof(PClassInfoW, classFlags) == 180 &&
              offsetof(PClassInfoW, subCategories) == 184 && offsetof(PClassInfoW, vendor) == 312 &&
              offsetof(PClassInfoW, version) == 440 && offsetof(PClassInfoW, sdkVersion) == 568);
static_assert(sizeof(BusInfo) == 276 && offsetof(BusInfo, name) == 12 &&
              offsetof(BusInfo, busType) == 268 && offsetof(BusInfo, flags) == 272);
static_assert(sizeof(RoutingInfo) == 12);
static_assert(sizeof(ProcessSetup) == 24 && offsetof(ProcessSetup, sampleRate) == 16);
static_assert(sizeof(AudioBusBuffers) == 24 && offsetof(AudioBusBuffers, silenceFlags) == 8 &&
              offsetof(AudioBusBuffers, channelBuffers32) == 16);
static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, inputs) == 24 &&
              offsetof(ProcessData, outputs) == 32 &&
              offsetof(ProcessData, inputParameterChanges) == 40 &&
              offsetof(ProcessData, outputParameterChanges) == 48 &&
              offsetof(ProcessData, inputEvents) == 56 &&
              offsetof(ProcessData, outputEvents) == 64 &&
              offsetof(ProcessData, processContext) == 72);
static_assert(sizeof(ProcessContext) == 112 && offsetof(ProcessContext, sampleRate) == 8 &&
              offsetof(ProcessContext, projectTimeSamples) == 16 &&
              offsetof(ProcessContext, systemTime) == 24 &&
              offsetof(ProcessContext, continousTimeSamples) == 32 &&
              offsetof(ProcessContext, projectTimeMusic) == 40 &&
              offsetof(ProcessContext, barPositionMusic) == 48 &&
              offsetof(ProcessContext, cycleStartMusic) == 56 &&
              offsetof(ProcessContext, cycleEndMusic) == 64 &&
              offsetof(ProcessContext, tempo) == 72 &&
              offsetof(ProcessContext, timeSigNumerator) == 80 &&
              offsetof(ProcessContext, timeSigDenominator) == 84 &&
              offsetof(ProcessContext, chordKeyNote) == 88 &&
              offsetof(ProcessContext, smpteOffsetSubframes) == 92 &&
              offsetof(ProcessContext, frameRateFps) == 96 &&
              offsetof(ProcessContext, samplesToNextClock) == 104);
static_assert(sizeof(ParameterInfo) == 792 && alignof(ParameterInfo) == 8 &&
              offsetof(ParameterInfo, title) == 4 && offsetof(ParameterInfo, shortTitle) == 260 &&
              offsetof(ParameterInfo, units) == 516 && offsetof(ParameterInfo, stepCount) == 772 &&
              offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
              offsetof(ParameterInfo, unitId) == 784 && offsetof(ParameterInfo, flags) == 788);
static_assert(sizeof(UnitInfo) == 268 && offsetof(UnitInfo, name) == 8 &&
              offsetof(UnitInfo, programListId) == 264);
static_assert(sizeof(ProgramListInfo) == 264 && offsetof(ProgramListInfo, programCount) == 260);
static_assert(sizeof(Event) == 48 && offsetof(Event, flags) == 16 && offsetof(Event, type) == 18 &&
              offsetof(Event, payload) == 24);
static_assert(sizeof(ViewRect) == 16);

}  // namespace tav::vst3
