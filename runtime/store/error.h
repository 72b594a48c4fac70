#pragma once
// Error codes of the keyed-record store and the calling thread's last error.
//
// Every store operation first clears the calling thread's last error and, when it fails, sets it
// to the code of the system's numbered table with that code's text, plus the driver's own code
// and text (SQLite's extended result code and message, or errno and its text). The last error
// stays readable on that thread until the thread's next store operation; the message catalog
// reads it to fill "%ErrorCode", "%ErrorText", "%FileErrorCode" and "%FileError".

#include <string>
#include <string_view>

namespace trv::store {

enum Code : int {
  Ok = 0,
  FileNotFound = 2,
  PathNotFound = 3,
  AccessDenied = 5,
  EntryNotFound = 30,
  RecordNotAvailable = 33,  // held by another station (a lock that could not be had in time)
  RecordNotFound = 35,
  FileNotOpen = 37,
  DuplicateKey = 40,
  InvalidKeyFile = 46,
  InvalidRecordDeclaration = 47,  // the file's stored layout differs from the declaration
  FileAlreadyOpen = 52,
  RecordChanged = 89,  // changed (or deleted and replaced) by another station since it was read
  FileSystemError = 90,
};

struct Error {
  Code code = Ok;
  std::string text;            // the code's text ("File Not Found"), empty for Ok
  int driverCode = 0;          // SQLite extended result code or errno
  std::string driverText;      // the driver's message
  std::string keyName;         // for DuplicateKey: the key that would be duplicated
  std::string keyDescription;  // for DuplicateKey: that key's registered description
  friend bool operator==(const Error&, const Error&) = default;
};

// The text of a code of the table ("Record Not Found"); "Unknown Error" for any other value.
std::string_view codeText(Code code);

// The calling thread's last error (code Ok after a successful operation).
const Error& lastError();

// Sets the calling thread's last error; used by the store and by layers that report store-like
// failures of their own (file access). Returns `code` so that callers can `return setError(...)`.
Code setError(Code code, int driverCode = 0, std::string driverText = {});
// Sets the duplicate-key error with the key's name and description.
Code setDuplicateKey(std::string keyName, std::string keyDescription, int driverCode,
                     std::string driverText);
void clearError();

}  // namespace trv::store
