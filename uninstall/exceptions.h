#pragma once
// Failures inside the uninstaller's support classes are thrown as these exceptions and caught,
// by reference to CBaseException, by the uninstaller's own code; they never leave it.

#include <exception>
#include <string>

#include "uninstall/ref_string.h"

namespace trv::uninstall {

enum ErrorCode : int {
  kOutOfMemory = 0,
  kOpenFailed = 1,
  kIoFailure = 2,
  kDataFormatError = 3,
  kConnectionFailure = 6,
  kUnknownUser = 7,
  kInternalError = 8,
  kInitialisationFailure = 9,
};

// The text of an error code; "Unknown error" for a code without one.
const char* errorCodeText(int code);

class CBaseException : public std::exception {
 public:
  explicit CBaseException(int code) : CBaseException(code, CRefString()) {}
  int code() const { return code_; }
  // The message when there is one, else the code's text.
  CRefString errorText() const;
  const char* what() const noexcept override { return what_.c_str(); }

 protected:
  CBaseException(int code, CRefString message);

 private:
  int code_;
  CRefString message_;
  std::string what_;
};

class CFileStoreException : public CBaseException {
 public:
  CFileStoreException(int code, CRefString message) : CBaseException(code, std::move(message)) {}
};

class CTextException : public CBaseException {
 public:
  CTextException(int code, CRefString message) : CBaseException(code, std::move(message)) {}
};

// Carries the operating system's description of `errorNumber` ("Unknown error" for 0).
class CSystemErrorException : public CBaseException {
 public:
  CSystemErrorException(int code, int errorNumber);
};

// The operating system's description of an error number; "Unknown error" when it has none.
CRefString systemErrorText(int errorNumber);

}  // namespace trv::uninstall
