#pragma once
// Internal to runtime/mail: start-up of the MIME library and ownership of its objects,
// without exposing the library's headers.

#include <memory>

namespace trv::mail::detail {

// Initialises the MIME library once per process; safe from any thread.
void ensureMimeLibrary();

struct ObjectUnref {
  void operator()(void* object) const;  // drops one reference of a library object
};

template <class T>
using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

}  // namespace trv::mail::detail
