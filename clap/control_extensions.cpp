// remote-controls, param-indication and context-menu: what a host's controllers,
// lanes and menus need of the plug-in. The pages come from the parameters'
// description; the indications show on the face's knobs; the menus carry the
// face's own choices (scale, Sweep Sync, Glide) both ways.
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "clap/clap_plugin.h"
#include "clap/extensions.h"
#include "core/number_text.h"
#include "editor/editor_surface.h"

namespace tav::clap {
namespace {

ClapPlugin* Ready(const clap_plugin* plugin, const char* entry) {
    ClapPlugin* self = ClapPlugin::From(plugin, entry);
    return self != nullptr && self->Ready() ? self : nullptr;
}

uint32_t PageCount(const clap_plugin* plugin) {
    return Ready(plugin, "remote_controls.count") != nullptr ? kControlPageCount : 0;
}

bool Page(const clap_plugin* plugin, uint32_t index, clap_remote_controls_page* page) {
    ClapPlugin* self = Ready(plugin, "remote_controls.get");
    if (self == nullptr || page == nullptr || index >= static_cast<uint32_t>(kControlPageCount))
        return false;
    const ControlPage& from = kControlPages[index];
    std::memset(page, 0, sizeof *page);
    CopyText(page->section_name, sizeof page->section_name, from.section);
    CopyText(page->page_name, sizeof page->page_name, from.name);
    page->page_id = index;
    for (int slot = 0; slot < kControlSlots; ++slot) {
        const uint32_t id = from.ids[slot];
        const bool known = self->Params().Target(id).role != HostParamRole::None;
        page->param_ids[slot] = known ? id : CLAP_INVALID_ID;
    }
    page->is_for_preset = false;
    return true;
}

// Without a colour of the host's, the menu's light grey: it reads on every panel.
constexpr uint32_t kOwnMarkColor = 0xFFE6E6E6u;

uint32_t ColorWord(const clap_color* color) {
    if (color == nullptr || color->alpha == 0) return kOwnMarkColor;
    return uint32_t{color->alpha} << 24 | uint32_t{color->red} << 16 | uint32_t{color->green} << 8 |
           color->blue;
}

// The effect parameter an indication is for; settings and bypass have no knob.
int MarkedIndex(ClapPlugin& self, clap_id id) {
    const HostParamTarget target = self.Params().Target(id);
    return target.role == HostParamRole::Effect ? target.index : -1;
}

void SetMapping(const clap_plugin* plugin, clap_id id, bool mapped, const clap_color* color,
                const char*, const char*) {
    ClapPlugin* self = Ready(plugin, "param_indication.set_mapping");
    const int index = self != nullptr ? MarkedIndex(*self, id) : -1;
    if (index < 0) return;
    ParamMarks marks = self->Marks(index);
    marks.mappedColor = mapped ? ColorWord(color) : 0;
    self->SetMarks(index, marks);
}

void SetAutomation(const clap_plugin* plugin, clap_id id, uint32_t state, const clap_color* color) {
    ClapPlugin* self = Ready(plugin, "param_indication.set_automation");
    const int index = self != nullptr ? MarkedIndex(*self, id) : -1;
    if (index < 0 || state > CLAP_PARAM_INDICATION_AUTOMATION_OVERRIDING) return;
    ParamMarks marks = self->Marks(index);
    marks.automationColor = state == CLAP_PARAM_INDICATION_AUTOMATION_NONE ? 0 : ColorWord(color);
    marks.automationDriving = state == CLAP_PARAM_INDICATION_AUTOMATION_PLAYING ||
                              state == CLAP_PARAM_INDICATION_AUTOMATION_RECORDING;
    self->SetMarks(index, marks);
}

// The face's choices as action ids: a scale by its place, a setting's step under
// its number.
constexpr clap_id kScaleAction = 0x100;
constexpr clap_id kSettingAction = 0x200;
constexpr clap_id kSettingStride = 0x10;
constexpr int kScaleCount = static_cast<int>(std::size(kEditorScales));

bool KnownTarget(ClapPlugin& self, const clap_context_menu_target* target) {
    if (target == nullptr || target->kind == CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL) return true;
    return target->kind == CLAP_CONTEXT_MENU_TARGET_KIND_PARAM &&
           self.Params().Target(target->id).role != HostParamRole::None;
}

// Writes one heading and its options into the host's menu: a submenu of check
// entries where the builder has them, else "heading: option" entries.
class MenuWriter {
  public:
    explicit MenuWriter(const clap_context_menu_builder& builder) : builder_(builder) {
        auto supports = [&](uint32_t kind) {
            return builder.supports != nullptr && builder.supports(&builder, kind);
        };
        submenus_ = supports(CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU) &&
                    supports(CLAP_CONTEXT_MENU_ITEM_END_SUBMENU);
        checks_ = supports(CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY);
    }

    bool Group(const char* heading, const std::vector<std::string>& options, int checked,
               bool enabled, clap_id firstAction) {
        bool ok = true;
        if (submenus_) {
            const clap_context_menu_submenu begin{heading, true};
            ok = builder_.add_item(&builder_, CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU, &begin);
        }
        for (size_t o = 0; o < options.size() && ok; ++o) {
            const std::string label = submenus_ ? options[o] : heading + (": " + options[o]);
            const auto action = firstAction + static_cast<clap_id>(o);
            if (checks_) {
                const clap_context_menu_check_entry entry{label.c_str(), enabled,
                                                          static_cast<int>(o) == checked, action};
                ok = builder_.add_item(&builder_, CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY, &entry);
            } else {
                const clap_context_menu_entry entry{label.c_str(), enabled, action};
                ok = builder_.add_item(&builder_, CLAP_CONTEXT_MENU_ITEM_ENTRY, &entry);
            }
        }
        if (submenus_ && ok)
            ok = builder_.add_item(&builder_, CLAP_CONTEXT_MENU_ITEM_END_SUBMENU, nullptr);
        return ok;
    }

  private:
    const clap_context_menu_builder& builder_;
    bool submenus_ = false;
    bool checks_ = false;
};

// The same entries for the plug-in and for any of its parameters: the face's menu.
// The scales need a face to scale; without one they show, disabled.
bool Populate(const clap_plugin* plugin, const clap_context_menu_target* target,
              const clap_context_menu_builder* builder) {
    ClapPlugin* self = Ready(plugin, "context_menu.populate");
    ModelValues model;
    if (self == nullptr || builder == nullptr || builder->add_item == nullptr ||
        !KnownTarget(*self, target) || !self->Plugin().ReadModel(model))
        return false;
    MenuWriter writer(*builder);
    std::vector<std::string> scales;
    int current = -1;
    const IEditorLink* face = self->Face() != nullptr ? self->Face()->Editor() : nullptr;
    for (int i = 0; i < kScaleCount; ++i) {
        scales.push_back(std::to_string(kEditorScales[i]) + " %");
        if (face != nullptr && face->ScalePercent() == kEditorScales[i]) current = i;
    }
    bool ok = writer.Group("Scale", scales, current, face != nullptr, kScaleAction);
    for (int setting = 0; setting < kExtraSettingCount && ok; ++setting) {
        const ExtraSetting& info = kExtraSettings[setting];
        ok = writer.Group(info.name, {info.texts[0], info.texts[1]},
                          SettingStep(model.settings[setting]), true,
                          kSettingAction + static_cast<clap_id>(setting) * kSettingStride);
    }
    return ok;
}

bool Perform(const clap_plugin* plugin, const clap_context_menu_target* target, clap_id action) {
    ClapPlugin* self = Ready(plugin, "context_menu.perform");
    if (self == nullptr || !KnownTarget(*self, target)) return false;
    if (action >= kScaleAction && action < kScaleAction + kScaleCount)
        return ApplyEditorScale(*self, kEditorScales[action - kScaleAction]);
    if (action < kSettingAction) return false;
    const auto setting = static_cast<int>((action - kSettingAction) / kSettingStride);
    const auto step = static_cast<int>((action - kSettingAction) % kSettingStride);
    if (!IsExtraSetting(setting) || step > 1) return false;
    self->ChooseSetting(setting, step);
    return true;
}

// The host's entries as the face's menu shows them: a submenu flattens into a
// heading over its entries.
bool AddHostItem(const clap_context_menu_builder* builder, uint32_t kind, const void* data) {
    if (builder == nullptr) return false;
    auto& entries = *static_cast<std::vector<MenuExtraEntry>*>(builder->ctx);
    MenuExtraEntry entry;
    switch (kind) {
        case CLAP_CONTEXT_MENU_ITEM_ENTRY: {
            const auto* item = static_cast<const clap_context_menu_entry*>(data);
            if (item == nullptr || item->label == nullptr) return false;
            entry = {MenuExtraEntry::Kind::Entry, item->label, item->is_enabled, false,
                     item->action_id};
            break;
        }
        case CLAP_CONTEXT_MENU_ITEM_CHECK_ENTRY: {
            const auto* item = static_cast<const clap_context_menu_check_entry*>(data);
            if (item == nullptr || item->label == nullptr) return false;
            entry = {MenuExtraEntry::Kind::Entry, item->label, item->is_enabled, item->is_checked,
                     item->action_id};
            break;
        }
        case CLAP_CONTEXT_MENU_ITEM_SEPARATOR:
            entry.kind = MenuExtraEntry::Kind::Separator;
            break;
        case CLAP_CONTEXT_MENU_ITEM_BEGIN_SUBMENU:
        case CLAP_CONTEXT_MENU_ITEM_TITLE: {
            // A submenu's record and a title's have the same first two members.
            const auto* item = static_cast<const clap_context_menu_item_title*>(data);
            if (item == nullptr || item->title == nullptr) return false;
            entry = {MenuExtraEntry::Kind::Heading, item->title, false, false, 0};
            break;
        }
        case CLAP_CONTEXT_MENU_ITEM_END_SUBMENU:
            return true;
        default:
            return false;
    }
    entries.push_back(std::move(entry));
    return true;
}

bool SupportsHostItem(const clap_context_menu_builder*, uint32_t kind) {
    return kind <= CLAP_CONTEXT_MENU_ITEM_TITLE;
}

const clap_host_context_menu* HostMenu(const clap_host* host) {
    if (host == nullptr || host->get_extension == nullptr) return nullptr;
    for (const char* id : {CLAP_EXT_CONTEXT_MENU, CLAP_EXT_CONTEXT_MENU_COMPAT}) {
        const auto* menu =
            static_cast<const clap_host_context_menu*>(host->get_extension(host, id));
        if (menu != nullptr && menu->populate != nullptr && menu->perform != nullptr) return menu;
    }
    return nullptr;
}

}  // namespace

// The menu opens on the face's backdrop: the host's entries for the plug-in as a
// whole. Its calls are the main thread's; a face on a thread of its own (a host that
// lends no run loop) shows none.
void OfferHostMenu(ClapPlugin& plugin) {
    const clap_host_context_menu* menu = HostMenu(plugin.Host());
    auto* surface =
        plugin.Face() != nullptr ? dynamic_cast<EditorSurface*>(plugin.Face()->Editor()) : nullptr;
    if (menu == nullptr || surface == nullptr) return;
    ClapPlugin* self = &plugin;
    MenuExtras extras;
    extras.gather = [self, menu] {
        std::vector<MenuExtraEntry> entries;
        if (!self->OnMainThread()) return entries;
        const clap_context_menu_builder builder{&entries, AddHostItem, SupportsHostItem};
        const clap_context_menu_target global{CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL, 0};
        if (!menu->populate(self->Host(), &global, &builder)) entries.clear();
        return entries;
    };
    extras.perform = [self, menu](uint32_t action) {
        const clap_context_menu_target global{CLAP_CONTEXT_MENU_TARGET_KIND_GLOBAL, 0};
        if (self->OnMainThread()) menu->perform(self->Host(), &global, action);
    };
    surface->SetMenuExtras(std::move(extras));
}

const clap_plugin_remote_controls kRemoteControlsExtension = {PageCount, Page};
const clap_plugin_param_indication kParamIndicationExtension = {SetMapping, SetAutomation};
const clap_plugin_context_menu kContextMenuExtension = {Populate, Perform};

}  // namespace tav::clap
