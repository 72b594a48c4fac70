#include "runtime/store/error.h"

namespace trv::store {
namespace {

// Objects destroyed late in a thread's exit (statics of the main thread among them) may still
// call the store after the thread's last error is gone: then errors are dropped, not written
// into freed memory. The flag is trivially destructible, so it stays readable to the end.
thread_local bool tGone = false;
struct Slot {
  Error error;
  ~Slot() { tGone = true; }
};
thread_local Slot tSlot;
const Error kNoError{};

Error* slot() {
  return tGone ? nullptr : &tSlot.error;
}

}  // namespace

std::string_view codeText(Code code) {
  switch (code) {
    case Ok:
      return {};
    case FileNotFound:
      return "File Not Found";
    case PathNotFound:
      return "Path Not Found";
    case AccessDenied:
      return "Access Denied";
    case EntryNotFound:
      return "Entry Not Found";
    case RecordNotAvailable:
      return "Record Not Available";
    case RecordNotFound:
      return "Record Not Found";
    case FileNotOpen:
      return "File Not Open";
    case DuplicateKey:
      return "Creates Duplicate Key";
    case InvalidKeyFile:
      return "Invalid Key File";
    case InvalidRecordDeclaration:
      return "Invalid Record Declaration";
    case FileAlreadyOpen:
      return "File Already Open";
    case RecordChanged:
      return "Record Changed By Another Station";
    case FileSystemError:
      return "File System Error";
  }
  return "Unknown Error";
}

const Error& lastError() {
  const Error* e = slot();
  return e != nullptr ? *e : kNoError;
}

Code setError(Code code, int driverCode, std::string driverText) {
  if (Error* e = slot())
    *e = Error{code, std::string(codeText(code)), driverCode, std::move(driverText), {}, {}};
  return code;
}

Code setDuplicateKey(std::string keyName, std::string keyDescription, int driverCode,
                     std::string driverText) {
  setError(DuplicateKey, driverCode, std::move(driverText));
  if (Error* e = slot()) {
    e->keyName = std::move(keyName);
    e->keyDescription = std::move(keyDescription);
  }
  return DuplicateKey;
}

void clearError() {
  Error* e = slot();
  // Every read starts here: leave an error that is already clear alone.
  if (e == nullptr || *e == Error{}) return;
  *e = Error{};
}

}  // namespace trv::store
