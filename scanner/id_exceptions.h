// The exceptions of the echo client and its socket layer, and the run-time's general
// exception and conversion error they stand under. Messages are GBK/ASCII text, shown by
// the window's general error handling.
#pragma once

#include <stdexcept>
#include <string>

namespace lr {

// The run-time's general exception class.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A text that does not convert to an integer: "'%s' is not a valid integer value".
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

class EIdExceptionBase : public Exception {
 public:
  using Exception::Exception;
};
class EIdException : public EIdExceptionBase {
 public:
  using EIdExceptionBase::EIdExceptionBase;
};

// A socket call that returned the platform's error result; `LastError` is its code.
class EIdSocketError : public EIdException {
 public:
  EIdSocketError(int code, const std::string& message) : EIdException(message), code_(code) {}
  int LastError() const { return code_; }

 private:
  int code_;
};
class EIdNotASocket : public EIdSocketError {
 public:
  using EIdSocketError::EIdSocketError;
};

class EIdSocketHandleError : public EIdException {
 public:
  using EIdException::EIdException;
};
class EIdPackageSizeTooBig : public EIdSocketHandleError {
 public:
  EIdPackageSizeTooBig() : EIdSocketHandleError("Package Size Too Big.") {}
};
class EIdNotAllBytesSent : public EIdSocketHandleError {
 public:
  EIdNotAllBytesSent() : EIdSocketHandleError("Not all bytes sent.") {}
};

class EIdStackError : public EIdException {
 public:
  using EIdException::EIdException;
};
class EIdStackInitializationFailed : public EIdStackError {
 public:
  EIdStackInitializationFailed() : EIdStackError("Winsock Initialization Error.") {}
};

class EIdWinsockStubError : public EIdException {
 public:
  explicit EIdWinsockStubError(const std::string& library)
      : EIdException("Error on loading Winsock2 library (" + library + ")") {}
};

class EIdIcmpException : public EIdException {
 public:
  using EIdException::EIdException;
};

// The text of a socket error code ("Connection refused." for 10061); empty for codes
// without one.
const char* SocketErrorText(int code);

// "Socket Error # %d\r\n%s" for `code`.
std::string SocketErrorMessage(int code);

// Throws the exception for a failed socket call: EIdNotASocket for 10038, EIdSocketError
// for every other code.
[[noreturn]] void RaiseSocketError(int code);

}  // namespace lr
