// The framework's exceptions: one base with a message, and the kinds its classes raise.
#pragma once

#include <stdexcept>
#include <string>

namespace dvr::fw {

// Base of every framework exception; the message is GBK text like every other string here.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A value that cannot be converted: a bad number, or an Assign between unrelated classes.
class EConvertError : public Exception {
    using Exception::Exception;
};

// An operation that the object's state does not allow.
class EInvalidOperation : public Exception {
    using Exception::Exception;
};

// An index outside a list, or a duplicate where the list refuses them.
class EListError : public Exception {
    using Exception::Exception;
};

// Stream failures: opening, writing, seeking where the stream cannot.
class EStreamError : public Exception {
    using Exception::Exception;
};

// A read that could not deliver what was asked, or data that does not parse.
class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
    using EStreamError::EStreamError;
};

// A class name that is not registered.
class EClassNotFound : public Exception {
    using Exception::Exception;
};

} // namespace dvr::fw
