#include "runtime/mail/gmime_support.h"

#include <gmime/gmime.h>

#include <mutex>

namespace trv::mail::detail {

void ensureMimeLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

void ObjectUnref::operator()(void* object) const {
  if (object != nullptr) g_object_unref(object);
}

}  // namespace trv::mail::detail
