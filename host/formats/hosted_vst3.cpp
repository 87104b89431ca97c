#include "host/formats/hosted_vst3.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "host/audio_callback_mark.h"
#include "host/formats/transport_report.h"

namespace tav {

using namespace vst3;
using vst3host::MemoryStream;

namespace {

template <class I>
Vst3Ref<I> Query(FUnknown* object) {
    void* found = nullptr;
    if (object == nullptr || object->queryInterface(I::iid.Data(), &found) != kResultOk) {
        return nullptr;
    }
    return Vst3Ref<I>(static_cast<I*>(found));
}

template <class I>
Vst3Ref<I> Make(IPluginFactory* factory, const TUID cid) {
    void* object = nullptr;
    if (factory->createInstance(cid, I::iid.Data(), &object) != kResultOk) return nullptr;
    return Vst3Ref<I>(static_cast<I*>(object));
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Trimmed(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}

}  // namespace

std::string Vst3CidText(const TUID cid) {
    uint8 b[16];
    std::memcpy(b, cid, sizeof b);
    if (kComGuidOrder) {
        // Back from COM order: l1 and the halves of l2 were stored little-endian.
        std::swap(b[0], b[3]);
        std::swap(b[1], b[2]);
        std::swap(b[4], b[5]);
        std::swap(b[6], b[7]);
    }
    char text[33];
    for (int i = 0; i < 16; ++i) std::snprintf(text + 2 * i, 3, "%02X", b[i]);
    return text;
}

bool IsVst3Module(const std::string& path) {
    if (EndsWith(Trimmed(path), ".vst3")) return true;
    PluginLibrary probe;
    return probe.Load(path, nullptr) && probe.Symbol("GetPluginFactory") != nullptr &&
           probe.FindEntry() == nullptr;
}

bool HostedVst3::Create(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        *error = path + ": " + why;
        return false;
    };
    binary_ = PluginLibrary::Vst3Binary(Trimmed(path));
    if (!library_.Load(binary_, error) || !library_.EnterVst3(error)) return fail(*error);
    auto getFactory = reinterpret_cast<GetFactoryProc>(library_.Symbol("GetPluginFactory"));
    if (getFactory == nullptr) return fail("no GetPluginFactory");
    factory_.reset(getFactory());
    if (!factory_) return fail("GetPluginFactory gave no factory");
    factory_->getFactoryInfo(&factoryInfo_);

    // The first audio effect class; its details from the second factory if there is one.
    auto factory2 = Query<IPluginFactory2>(factory_.get());
    const int32 classes = factory_->countClasses();
    int32 found = -1;
    for (int32 i = 0; i < classes && found < 0; ++i) {
        PClassInfo info = {};
        if (factory_->getClassInfo(i, &info) != kResultOk) continue;
        if (std::strncmp(info.category, kAudioEffectClass, sizeof info.category) != 0) continue;
        found = i;
        if (!factory2 || factory2->getClassInfo2(i, &classInfo_) != kResultOk) {
            std::memcpy(classInfo_.cid, info.cid, sizeof info.cid);
            classInfo_.cardinality = info.cardinality;
            std::memcpy(classInfo_.category, info.category, sizeof info.category);
            std::memcpy(classInfo_.name, info.name, sizeof info.name);
        }
    }
    if (found < 0) return fail("the factory has no audio effect class");

    component_ = Make<IComponent>(factory_.get(), classInfo_.cid);
    if (!component_) return fail("the factory made no component");
    // Asked before initialize, as the interface wants.
    if (component_->getControllerClassId(controllerCid_) != kResultOk) {
        return fail("the component names no controller class");
    }
    if (component_->initialize(&host_) != kResultOk) {
        component_.reset();  // never terminated after a failed initialize
        return fail("the component's initialize failed");
    }
    componentReady_ = true;
    processor_ = Query<IAudioProcessor>(component_.get());
    if (!processor_) return fail("the component is no audio processor");

    controller_ = Make<IEditController>(factory_.get(), controllerCid_);
    if (!controller_) return fail("the factory made no controller");
    if (controller_->initialize(&host_) != kResultOk) {
        controller_.reset();
        return fail("the controller's initialize failed");
    }
    controllerReady_ = true;
    componentPoint_ = Query<IConnectionPoint>(component_.get());
    controllerPoint_ = Query<IConnectionPoint>(controller_.get());
    if (componentPoint_ && controllerPoint_) {
        componentPoint_->connect(controllerPoint_.get());
        controllerPoint_->connect(componentPoint_.get());
    }
    controller_->setComponentHandler(&handler_);
    units_ = Query<IUnitInfo>(controller_.get());

    // The controller starts from what the component holds.
    if (const std::vector<std::uint8_t> state = ReadState(false); !state.empty()) {
        MemoryStream stream(state);
        controller_->setComponentState(&stream);
    }

    SpeakerArrangement stereo = kStereo;
    processor_->setBusArrangements(&stereo, 1, &stereo, 1);
    for (BusDirection dir : {kInput, kOutput}) {
        BusInfo bus = {};
        const bool has = component_->getBusCount(kAudio, dir) > 0 &&
                         component_->getBusInfo(kAudio, dir, 0, &bus) == kResultOk;
        (dir == kInput ? inputs_ : outputs_) = has ? bus.channelCount : 0;
    }
    ReadParameters();
    ReadPrograms();
    return true;
}

HostedVst3::~HostedVst3() {
    CloseEditorWindow();
    StopAudio();
    if (componentPoint_ && controllerPoint_) {
        componentPoint_->disconnect(controllerPoint_.get());
        controllerPoint_->disconnect(componentPoint_.get());
    }
    componentPoint_.reset();
    controllerPoint_.reset();
    units_.reset();
    if (controllerReady_) controller_->terminate();
    if (componentReady_) component_->terminate();
    processor_.reset();
    controller_.reset();
    component_.reset();
    factory_.reset();
    library_.Unload();  // ModuleExit, then the module goes
}

void HostedVst3::ReadParameters() {
    const int32 count = controller_->getParameterCount();
    for (int32 i = 0; i < count; ++i) {
        ParameterInfo info = {};
        if (controller_->getParameterInfo(i, &info) != kResultOk) continue;
        if ((info.flags & ParameterInfo::kIsProgramChange) != 0 && programParam_ < 0) {
            programParam_ = static_cast<int>(params_.size());
        }
        params_.push_back(info);
    }
}

void HostedVst3::ReadPrograms() {
    if (programParam_ < 0) return;
    // The root unit's program list, which the program-change parameter steps through.
    const int32 units = units_ ? units_->getUnitCount() : 0;
    for (int32 i = 0; i < units; ++i) {
        UnitInfo unit = {};
        if (units_->getUnitInfo(i, &unit) == kResultOk &&
            unit.id == params_[Index(programParam_)].unitId) {
            programList_ = unit.programListId;
        }
    }
    const int32 lists = units_ ? units_->getProgramListCount() : 0;
    for (int32 i = 0; i < lists; ++i) {
        ProgramListInfo list = {};
        if (units_->getProgramListInfo(i, &list) != kResultOk || list.id != programList_) continue;
        for (int32 p = 0; p < list.programCount; ++p) {
            String128 name = {};
            units_->getProgramName(programList_, p, name);
            programNames_.push_back(vst3host::FromUtf16(name));
        }
    }
    // Without a list the parameter's steps still name the programs.
    if (programNames_.empty()) {
        const int32 steps = params_[Index(programParam_)].stepCount;
        for (int32 p = 0; p <= steps; ++p) programNames_.push_back(ProgramName(p));
    }
}

bool HostedVst3::Supports(ProcessKind kind) const {
    if (kind == ProcessKind::Accumulating) return false;
    return processor_->canProcessSampleSize(kind == ProcessKind::Double ? kSample64 : kSample32) ==
           kResultTrue;
}

bool HostedVst3::Activate(ProcessKind kind, std::string* error) {
    sampleSize_ = kind == ProcessKind::Double ? kSample64 : kSample32;
    ProcessSetup setup{kRealtime, sampleSize_, settings_.blockSize, settings_.sampleRate};
    if (processor_->setupProcessing(&setup) != kResultOk) {
        if (error != nullptr) *error = "the processor refused its setup";
        return false;
    }
    if (component_->setActive(1) != kResultOk) {
        if (error != nullptr) *error = "the component refused to become active";
        return false;
    }
    return true;
}

bool HostedVst3::StartProcessing(std::string* error) {
    if (processor_->setProcessing(1) == kResultOk) return true;
    if (error != nullptr) *error = "the processor refused to start processing";
    return false;
}

void HostedVst3::RunProcess(int32 sampleSize, void** inputs, void** outputs, int frames) {
    ProcessContext context = Vst3Context(TransportNow());
    AudioBusBuffers in = {}, out = {};
    in.numChannels = inputs_;
    out.numChannels = outputs_;
    // The union's two members are the same pointer; the sample size says which.
    in.channelBuffers32 = reinterpret_cast<Sample32**>(inputs);
    out.channelBuffers32 = reinterpret_cast<Sample32**>(outputs);
    ProcessData data = {};
    data.processMode = kRealtime;
    data.symbolicSampleSize = sampleSize;
    data.numSamples = frames;
    data.numInputs = inputs != nullptr ? 1 : 0;
    data.numOutputs = outputs != nullptr ? 1 : 0;
    data.inputs = inputs != nullptr ? &in : nullptr;
    data.outputs = outputs != nullptr ? &out : nullptr;
    data.inputParameterChanges = &changes_;
    data.processContext = &context;
    {
        const AudioCallbackMark mark;
        processor_->process(&data);
    }
    changes_.Clear();
}

void HostedVst3::Process(ProcessKind kind, float** inputs, float** outputs, int frames) {
    if (kind != ProcessKind::Replacing || sampleSize_ != kSample32 || !Active()) return;
    RunProcess(kSample32, reinterpret_cast<void**>(inputs), reinterpret_cast<void**>(outputs),
               frames);
}

void HostedVst3::ProcessDouble(double** inputs, double** outputs, int frames) {
    if (sampleSize_ != kSample64 || !Active()) return;
    RunProcess(kSample64, reinterpret_cast<void**>(inputs), reinterpret_cast<void**>(outputs),
               frames);
}

void HostedVst3::FlushChanges() {
    if (changes_.getParameterCount() == 0) return;
    RunProcess(sampleSize_, nullptr, nullptr, 0);
}

std::string HostedVst3::ParamName(int index) {
    return vst3host::FromUtf16(params_[Index(index)].title);
}

std::string HostedVst3::ParamLabel(int index) {
    return vst3host::FromUtf16(params_[Index(index)].units);
}

std::string HostedVst3::ParamDisplay(int index) {
    const ParamID id = params_[Index(index)].id;
    String128 text = {};
    if (controller_->getParamStringByValue(id, controller_->getParamNormalized(id), text) !=
        kResultOk) {
        return std::string();
    }
    return vst3host::FromUtf16(text);
}

double HostedVst3::ParamValue(int index) {
    return controller_->getParamNormalized(params_[Index(index)].id);
}

void HostedVst3::SetParamValue(int index, double unit) {
    SetParamValueAt(index, unit, 0);
}

void HostedVst3::SetParamValueAt(int index, double unit, int offset) {
    const ParamID id = params_[Index(index)].id;
    controller_->setParamNormalized(id, unit);
    changes_.Add(id, offset, unit);
}

void HostedVst3::ResendParam(int index) {
    const ParamID id = params_[Index(index)].id;
    changes_.Add(id, 0, controller_->getParamNormalized(id));
}

bool HostedVst3::SetParameterText(int index, const std::string& text) {
    std::u16string wide = vst3host::ToUtf16(text);
    double unit = 0.0;
    if (controller_->getParamValueByString(params_[Index(index)].id, wide.data(), &unit) !=
        kResultOk) {
        return false;
    }
    SetParamValue(index, unit);
    return true;
}

int HostedVst3::Program() {
    if (programParam_ < 0) return 0;
    const int32 steps = params_[Index(programParam_)].stepCount;
    return static_cast<int>(std::lround(ParamValue(programParam_) * steps));
}

void HostedVst3::SetProgram(int index) {
    if (programParam_ < 0) return;
    const int32 steps = params_[Index(programParam_)].stepCount;
    SetParamValue(programParam_, steps > 0 ? static_cast<double>(index) / steps : 0.0);
}

std::string HostedVst3::ProgramName(int index) {
    if (programParam_ < 0) return std::string();
    if (units_ && programList_ != kNoProgramListId) {
        String128 name = {};
        if (units_->getProgramName(programList_, index, name) == kResultOk) {
            return vst3host::FromUtf16(name);
        }
    }
    // No list: the program parameter's text for that step.
    String128 name = {};
    const ParameterInfo& info = params_[Index(programParam_)];
    const double unit = info.stepCount > 0 ? static_cast<double>(index) / info.stepCount : 0.0;
    controller_->getParamStringByValue(info.id, unit, name);
    return vst3host::FromUtf16(name);
}

std::vector<std::uint8_t> HostedVst3::ReadState(bool) {
    MemoryStream stream;
    if (component_->getState(&stream) != kResultOk) return {};
    return stream.Bytes();
}

bool HostedVst3::WriteState(bool, const std::vector<std::uint8_t>& bytes) {
    MemoryStream forComponent(bytes);
    if (component_->setState(&forComponent) != kResultOk) return false;
    MemoryStream forController(bytes);
    return controller_->setComponentState(&forController) == kResultOk;
}

bool HostedVst3::EditorSize(int* width, int* height, std::string* error) {
    if (!view_) {
        view_.reset(controller_->createView("editor"));
        if (!view_) {
            *error = "the plug-in has no editor";
            return false;
        }
    }
    ViewRect rect = {};
    if (view_->getSize(&rect) != kResultOk) {
        *error = "the plug-in gave no editor size";
        return false;
    }
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return true;
}

bool HostedVst3::SetEditorScale(double factor, std::string* error) {
    if (!EditorReady(error)) return false;
    auto scale = Query<IPlugViewContentScaleSupport>(view_.get());
    if (!scale) {
        *error = "the view takes no scale factor";
        return false;
    }
    const bool ok = scale->setContentScaleFactor(static_cast<float>(factor)) == kResultOk;
    if (!ok) *error = "the view refused the scale factor";
    return ok;
}

bool HostedVst3::OpenEditorIn(void* parent, std::string* error) {
    if (!EditorReady(error)) return false;
    const char* type = nullptr;
    for (const char* candidate : {"HWND", "X11EmbedWindowID"}) {
        if (view_->isPlatformTypeSupported(candidate) == kResultTrue) {
            type = candidate;
            break;
        }
    }
    if (type == nullptr) {
        *error = "the editor supports no window type of this platform";
        return false;
    }
    const bool lendRunLoop = settings_.vst3RunLoop && std::strcmp(type, "HWND") != 0;
    frame_ = std::make_unique<vst3host::PlugFrame>(
        lendRunLoop ? &runLoop_ : nullptr,
        [this](int w, int h) { return !onEditorResize || onEditorResize(w, h); });
    view_->setFrame(frame_.get());
    if (view_->attached(parent, type) != kResultOk) {
        view_->setFrame(nullptr);
        view_.reset();
        *error = "the plug-in did not open its editor";
        return false;
    }
    return true;
}

void HostedVst3::CloseEditorWindow() {
    if (!view_) return;
    view_->removed();
    view_->setFrame(nullptr);
    view_.reset();  // a new view for the next opening, as hosts do
    frame_.reset();
}

void HostedVst3::PrintIdentity(std::ostream& out) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%X", static_cast<unsigned>(factoryInfo_.flags));
    out << "binary        " << binary_ << "\n"
        << "format        VST 3\n"
        << "effect        " << classInfo_.name << "\n"
        << "vendor        " << classInfo_.vendor << "\n"
        << "version       " << classInfo_.version << " (" << classInfo_.sdkVersion << ")\n"
        << "category      " << classInfo_.category << " (" << classInfo_.subCategories << ")\n"
        << "class id      " << Vst3CidText(classInfo_.cid) << "\n"
        << "controller    " << Vst3CidText(controllerCid_) << "\n"
        << "factory       " << factoryInfo_.vendor << ", " << factoryInfo_.url << ", "
        << factoryInfo_.email << ", flags " << flags << "\n";
}

void HostedVst3::PrintDetails(std::ostream& out) {
    out << "sample sizes  " << SampleSizes() << "\n"
        << "latency       " << processor_->getLatencySamples() << "\n"
        << "tail          " << processor_->getTailSamples() << "\n";
}

void HostedVst3::PrintHostCalls(std::ostream& out) {
    for (const std::string& call : handler_.Calls()) out << "  " << call << "\n";
}

}  // namespace tav
