#include "raster/embedded_resources.h"

#include <cstring>

namespace tav {
namespace {

// Constant-initialised, so tables registering during static initialisation always
// find it ready, whatever the order of the binary's initialisers.
constinit EmbeddedResourceTable* g_tables = nullptr;

}  // namespace

EmbeddedResourceTable::EmbeddedResourceTable(const EmbeddedResource* entries, size_t count)
    : entries_(entries), count_(count), next_(g_tables) {
    g_tables = this;
}

EmbeddedResourceTable::~EmbeddedResourceTable() {
    for (EmbeddedResourceTable** link = &g_tables; *link != nullptr; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            break;
        }
    }
}

const EmbeddedResource* EmbeddedResourceTable::Find(const char* type, int id) const {
    for (size_t i = 0; i < count_; ++i)
        if (entries_[i].id == id && std::strcmp(entries_[i].type, type) == 0) return &entries_[i];
    return nullptr;
}

const EmbeddedResource* FindEmbeddedResource(const char* type, int id) {
    for (const EmbeddedResourceTable* table = g_tables; table != nullptr; table = table->Next())
        if (const EmbeddedResource* found = table->Find(type, id)) return found;
    return nullptr;
}

}  // namespace tav
