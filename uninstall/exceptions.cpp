#include "uninstall/exceptions.h"

#include <cstring>

namespace trv::uninstall {

const char* errorCodeText(int code) {
  switch (code) {
    case kOutOfMemory:
      return "Out of memory";
    case kOpenFailed:
      return "Open failed";
    case kIoFailure:
      return "IO failure";
    case kDataFormatError:
      return "Data format error";
    case kConnectionFailure:
      return "Connection failure";
    case kUnknownUser:
      return "Unknown user identification code";
    case kInternalError:
      return "Internal Error";
    case kInitialisationFailure:
      return "Initialisation Failure";
    default:
      return "Unknown error";
  }
}

CBaseException::CBaseException(int code, CRefString message)
    : code_(code), message_(std::move(message)), what_(errorText().view()) {}

CRefString CBaseException::errorText() const {
  return message_.isEmpty() ? CRefString(errorCodeText(code_)) : message_;
}

CRefString systemErrorText(int errorNumber) {
  if (errorNumber == 0) return "Unknown error";
  char buf[256];
  // The GNU form returns the text, which may or may not be `buf`.
  const char* text = ::strerror_r(errorNumber, buf, sizeof buf);
  return text && *text ? CRefString(text) : CRefString("Unknown error");
}

CSystemErrorException::CSystemErrorException(int code, int errorNumber)
    : CBaseException(code, systemErrorText(errorNumber)) {}

}  // namespace trv::uninstall
