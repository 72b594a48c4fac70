#include "runtime/mail/gmime_support.h"

#include <gmime/gmime.h>

#include <mutex>

namespace trv::mail::detail {

std::unique_lock<std::mutex> useMimeLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
  static std::mutex mutex;
  return std::unique_lock<std::mutex>(mutex);
}

void ObjectUnref::operator()(void* object) const {
  if (object != nullptr) g_object_unref(object);
}

}  // namespace trv::mail::detail
