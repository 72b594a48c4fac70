#pragma once
// Internal to runtime/mail: start-up of the MIME library and ownership of its objects,
// without exposing the library's headers.

#include <memory>
#include <mutex>

namespace trv::mail::detail {

// Initialises the MIME library once per process and holds it for one caller at a time: its
// shared caches (charsets, time zones) are not ours to trust across threads.
[[nodiscard]] std::unique_lock<std::mutex> useMimeLibrary();

struct ObjectUnref {
  void operator()(void* object) const;  // drops one reference of a library object
};

template <class T>
using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

}  // namespace trv::mail::detail
