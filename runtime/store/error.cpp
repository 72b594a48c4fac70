#include "runtime/store/error.h"

namespace trv::store {
namespace {
thread_local Error tLastError;
}

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
  return tLastError;
}

Code setError(Code code, int driverCode, std::string driverText) {
  tLastError = Error{code, std::string(codeText(code)), driverCode, std::move(driverText), {}, {}};
  return code;
}

Code setDuplicateKey(std::string keyName, std::string keyDescription, int driverCode,
                     std::string driverText) {
  setError(DuplicateKey, driverCode, std::move(driverText));
  tLastError.keyName = std::move(keyName);
  tLastError.keyDescription = std::move(keyDescription);
  return DuplicateKey;
}

void clearError() {
  tLastError = Error{};
}

}  // namespace trv::store
