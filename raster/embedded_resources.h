#pragma once

#include <cstddef>

// Resources compiled into a Linux binary by tav_add_png_resources (cmake/TavResources.cmake),
// the stand-in for Windows module resources. Each binary keeps its own table, so the
// symbols stay inside it.
#define TAV_EMBEDDED_LOCAL __attribute__((visibility("hidden")))

namespace tav {

struct EmbeddedResource {
    const char* type;
    int id;
    const unsigned char* data;
    size_t size;
};

// A generated source defines one of these at namespace scope; construction enters its
// entries into the binary's table, destruction (at unload) takes them out.
class TAV_EMBEDDED_LOCAL EmbeddedResourceTable {
  public:
    EmbeddedResourceTable(const EmbeddedResource* entries, size_t count);
    ~EmbeddedResourceTable();
    EmbeddedResourceTable(const EmbeddedResourceTable&) = delete;
    EmbeddedResourceTable& operator=(const EmbeddedResourceTable&) = delete;

    const EmbeddedResource* Find(const char* type, int id) const;
    const EmbeddedResourceTable* Next() const { return next_; }

  private:
    const EmbeddedResource* entries_;
    size_t count_;
    EmbeddedResourceTable* next_ = nullptr;
};

// The entry of this type and number, or none. Tables registered later win, so a
// binary can override a resource of a library it links.
TAV_EMBEDDED_LOCAL const EmbeddedResource* FindEmbeddedResource(const char* type, int id);

}  // namespace tav
